#include "assets/pictures/GameImages.h"

#include <QPainter>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const QColor TableGreen(0, 128, 0);

uint8_t Alpha(uint32_t argb)
{
    return uint8_t(argb >> 24);
}

const qreal Ratios[] = {1, 1.25, 1.5, 2};

// `n` logical pixels in device pixels at `ratio`, as the generator rounds them.
int Px(int n, qreal ratio)
{
    return int(std::lround(n * ratio));
}

// The slot of each ratio in the arrays below.
int Slot(qreal ratio)
{
    return int(std::find(std::begin(Ratios), std::end(Ratios), ratio) - std::begin(Ratios));
}

// Pictures are loaded once per ratio, as each ratio's own rendering, for the whole suite.
class GameImages : public ::testing::TestWithParam<qreal>
{
protected:
    static void SetUpTestSuite()
    {
        for (qreal ratio : Ratios)
            LoadGameImages(lists[Slot(ratio)].cards, lists[Slot(ratio)].game,
                           lists[Slot(ratio)].logo, ratio);
    }
    struct Lists
    {
        TBitmap32List cards, game, logo;
    };
    static inline Lists lists[4];
    qreal R() const { return GetParam(); }
    int Px(int n) const { return ::Px(n, R()); }
    QSize Px(QSize size) const { return QSize(Px(size.width()), Px(size.height())); }
    const Lists& L() const { return lists[Slot(GetParam())]; }
};

TEST_P(GameImages, ListsHoldTheirPicturesInTheirSizes)
{
    ASSERT_EQ(L().cards.Count(), 52);
    ASSERT_EQ(L().game.Count(), 9);
    ASSERT_EQ(L().logo.Count(), 2);
    for (int i = 0; i < 52; ++i) {
        EXPECT_EQ(L().cards.Bitmap(i).Width(), Px(53)) << "face " << i;
        EXPECT_EQ(L().cards.Bitmap(i).Height(), Px(83)) << "face " << i;
    }
    const QSize gameSizes[] = {{53, 83}, {53, 83}, {53, 83}, {53, 83}, {53, 83},
                               {17, 17}, {59, 89}, {59, 89}, {59, 89}};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(L().game.Bitmap(i).Image().size(), Px(gameSizes[i])) << "game picture " << i;
    EXPECT_EQ(L().logo.Bitmap(0).Image().size(), Px(QSize(322, 270)));
    EXPECT_EQ(L().logo.Bitmap(1).Image().size(), Px(QSize(100, 20)));
    for (int i = 0; i < MenuImageCount; ++i)
        EXPECT_EQ(MenuImage(i, R()).size(), Px(QSize(16, 16)));
}

TEST_P(GameImages, ListPicturesKeepTheDefaultBlendSettings)
{
    for (const TBitmap32List* list : {&L().cards, &L().game, &L().logo}) {
        for (int i = 0; i < list->Count(); ++i) {
            EXPECT_EQ(list->Bitmap(i).DrawMode(), dmOpaque);
            EXPECT_EQ(list->Bitmap(i).MasterAlpha(), 255);
        }
    }
}

// Alpha rules, checked on every pixel: the expected alpha as a function of the position.
struct AlphaRule
{
    const char* what;
    int list; // 0 cards, 1 game, 2 logo
    int first, last;
    int body;     // alpha of every ordinary pixel, -1: any
    bool corners; // the four corner blocks are transparent
};

class AlphaRules : public ::testing::TestWithParam<std::tuple<qreal, AlphaRule>>
{
protected:
    static void SetUpTestSuite()
    {
        for (qreal ratio : Ratios)
            LoadGameImages(lists[Slot(ratio)][0], lists[Slot(ratio)][1], lists[Slot(ratio)][2],
                           ratio);
    }
    static inline TBitmap32List lists[4][3];
};

TEST_P(AlphaRules, EveryPixel)
{
    const auto [ratio, rule] = GetParam();
    // A corner is one logical pixel, at least one device pixel.
    const int scale = std::max(1, Px(1, ratio));
    for (int i = rule.first; i <= rule.last; ++i) {
        const TBitmap32& b = lists[Slot(ratio)][rule.list].Bitmap(i);
        int wrong = 0;
        QPoint firstWrong;
        for (int y = 0; y < b.Height(); ++y) {
            for (int x = 0; x < b.Width(); ++x) {
                const bool corner =
                    (x < scale || x >= b.Width() - scale) && (y < scale || y >= b.Height() - scale);
                const int want = rule.corners && corner ? 0 : rule.body;
                if (Alpha(b.Pixel(x, y)) != want && wrong++ == 0)
                    firstWrong = QPoint(x, y);
            }
        }
        EXPECT_EQ(wrong, 0) << rule.what << " " << i << " at ratio " << ratio << ", first at ("
                            << firstWrong.x() << ", " << firstWrong.y() << "): alpha "
                            << int(Alpha(b.Pixel(firstWrong.x(), firstWrong.y())));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, AlphaRules,
    ::testing::Combine(::testing::ValuesIn(Ratios),
                       ::testing::Values(AlphaRule{"card face", 0, 0, 51, 254, true},
                                         AlphaRule{"card back", 1, 0, 1, 254, true},
                                         AlphaRule{"slot mark", 1, 2, 4, 255, true},
                                         AlphaRule{"arrow", 1, 5, 5, 255, false},
                                         AlphaRule{"logo", 2, 0, 0, 255, false})));

TEST_P(GameImages, FramesAreATwoPixelBorderTransparentInside)
{
    const int s = std::max(1, Px(1));
    const int t = Px(2);
    for (int i = 6; i <= 8; ++i) {
        const TBitmap32& frame = L().game.Bitmap(i);
        int wrong = 0;
        for (int y = 0; y < frame.Height(); ++y) {
            for (int x = 0; x < frame.Width(); ++x) {
                const bool border =
                    x < t || y < t || x >= frame.Width() - t || y >= frame.Height() - t;
                const bool corner =
                    (x < s || x >= frame.Width() - s) && (y < s || y >= frame.Height() - s);
                const int alpha = Alpha(frame.Pixel(x, y));
                if (border && !corner ? alpha != 255 : alpha != 0)
                    ++wrong;
            }
        }
        EXPECT_EQ(wrong, 0) << "frame " << i;
    }
    // Black, red, blue.
    const QColor black = QColor::fromRgb(L().game.Bitmap(6).Pixel(s, 0));
    const QColor red = QColor::fromRgb(L().game.Bitmap(7).Pixel(s, 0));
    const QColor blue = QColor::fromRgb(L().game.Bitmap(8).Pixel(s, 0));
    EXPECT_LT(black.value(), 40);
    EXPECT_GT(red.red(), 180);
    EXPECT_LT(red.blue(), 80);
    EXPECT_GT(blue.blue(), 180);
    EXPECT_LT(blue.red(), 80);
}

TEST_P(GameImages, CaptionIsLightLetteringOnTransparency)
{
    const TBitmap32& caption = L().logo.Bitmap(1);
    int clear = 0, partial = 0, solid = 0;
    for (int y = 0; y < caption.Height(); ++y) {
        for (int x = 0; x < caption.Width(); ++x) {
            const uint32_t p = caption.Pixel(x, y);
            const int a = Alpha(p);
            (a == 0 ? clear : a == 255 ? solid : partial)++;
            if (a > 0) {
                EXPECT_GT(QColor::fromRgb(p).lightness(), 200) << "at " << x << ", " << y;
            }
        }
    }
    EXPECT_GT(clear, caption.Width() * caption.Height() / 2); // mostly background
    EXPECT_GT(partial, 0);                                    // smoothed edges
    EXPECT_GT(solid, 0);
    // Its edge rows and columns are pure background.
    for (int x = 0; x < caption.Width(); ++x) {
        EXPECT_EQ(Alpha(caption.Pixel(x, 0)), 0);
        EXPECT_EQ(Alpha(caption.Pixel(x, caption.Height() - 1)), 0);
    }
}

TEST_P(GameImages, MenuPicturesHaveTransparentSurroundings)
{
    const QImage door = MenuImage(0, R());
    const QImage info = MenuImage(1, R());
    EXPECT_EQ(door.format(), QImage::Format_ARGB32);
    // The round sign leaves its corners clear and shows blue and white inside.
    EXPECT_EQ(qAlpha(info.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(info.pixel(info.width() - 1, info.height() - 1)), 0);
    const QColor centre = info.pixelColor(Px(8), Px(8)); // the stem of the "i"
    EXPECT_GT(centre.lightness(), 200);
    const QColor ring = info.pixelColor(Px(4), Px(8));
    EXPECT_GT(ring.blue(), ring.red() + 80);
    int transparent = 0, green = 0;
    for (int y = 0; y < door.height(); ++y) {
        for (int x = 0; x < door.width(); ++x) {
            const QColor c = door.pixelColor(x, y);
            transparent += c.alpha() == 0;
            green += c.alpha() == 255 && c.green() > c.red() + 60 && c.green() > c.blue() + 60;
        }
    }
    EXPECT_GT(transparent, 0);
    EXPECT_GT(green, 0); // the lower pane
    EXPECT_THROW(MenuImage(2), std::out_of_range);
}

INSTANTIATE_TEST_SUITE_P(Ratios, GameImages, ::testing::ValuesIn(Ratios));

// ---------------------------------------------------------------------------------------
// The card faces' order, as far as it can be seen: suit-major blocks of 13, red suits
// first, values from two to ace.

class CardFaces : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { LoadGameImages(cards, game, logo); }
    static inline TBitmap32List cards, game, logo;

    enum TInk
    {
        inkNone,
        inkRed,
        inkBlack,
        inkOther
    };
    static TInk Ink(uint32_t p)
    {
        const int r = (p >> 16) & 0xff, g = (p >> 8) & 0xff, b = p & 0xff;
        if (r > 150 && g < 90 && b < 90)
            return inkRed;
        if (r < 70 && g < 70 && b < 70)
            return inkBlack;
        if (r > 200 && g > 200 && b > 200)
            return inkNone;
        return inkOther;
    }
    static int Count(int index, TInk ink, QRect area = QRect(0, 0, 53, 83))
    {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += Ink(cards.Bitmap(index).Pixel(x, y)) == ink;
        return n;
    }
    // Where an area is inked, whatever the colour: for comparing the same symbol on two
    // cards of different colours.
    static std::vector<bool> Mask(int index, QRect area)
    {
        std::vector<bool> mask;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor c = QColor::fromRgb(cards.Bitmap(index).Pixel(x, y));
                mask.push_back(std::min({c.red(), c.green(), c.blue()}) < 128);
            }
        }
        return mask;
    }
    // Pixels of an area whose ink differs by more than a quarter of full ink between two
    // cards: unlike the masks, it sees the small corner symbols differ in their smoothed
    // edges, where a true-drawn club and a spade share most of their pixels' halves.
    static int InkDifferences(int a, int b, QRect area)
    {
        const auto ink = [](uint32_t p) { return 255 - std::min({qRed(p), qGreen(p), qBlue(p)}); };
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += std::abs(ink(cards.Bitmap(a).Pixel(x, y)) - ink(cards.Bitmap(b).Pixel(x, y))) >
                     64;
        return n;
    }
    static int Differences(const std::vector<bool>& a, const std::vector<bool>& b)
    {
        int n = 0;
        for (size_t i = 0; i < a.size(); ++i)
            n += a[i] != b[i];
        return n;
    }
    // Separate blobs of the suit's colour in an area (8-connected): the pips of a card.
    static int Blobs(int index, TInk ink, QRect area)
    {
        std::vector<int> seen(size_t(area.width() * area.height()), 0);
        auto at = [&](int x, int y) -> int& {
            return seen[size_t((y - area.top()) * area.width() + x - area.left())];
        };
        int blobs = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (at(x, y) || Ink(cards.Bitmap(index).Pixel(x, y)) != ink)
                    continue;
                ++blobs;
                std::vector<QPoint> stack{QPoint(x, y)};
                at(x, y) = 1;
                while (!stack.empty()) {
                    const QPoint p = stack.back();
                    stack.pop_back();
                    for (int dy = -1; dy <= 1; ++dy) {
                        for (int dx = -1; dx <= 1; ++dx) {
                            const QPoint q(p.x() + dx, p.y() + dy);
                            if (!area.contains(q) || at(q.x(), q.y()) ||
                                Ink(cards.Bitmap(index).Pixel(q.x(), q.y())) != ink)
                                continue;
                            at(q.x(), q.y()) = 1;
                            stack.push_back(q);
                        }
                    }
                }
            }
        }
        return blobs;
    }
    static int Gold(int index)
    {
        int n = 0;
        for (int y = 0; y < 83; ++y) {
            for (int x = 0; x < 53; ++x) {
                const QColor c = QColor::fromRgb(cards.Bitmap(index).Pixel(x, y));
                n += c.red() > 180 && c.green() > 120 && c.blue() < 90;
            }
        }
        return n;
    }
    static inline const QRect RankArea{1, 1, 11, 11};
    static inline const QRect SuitArea{1, 13, 9, 10};
    // The number cards' pips, between the corner columns.
    static inline const QRect PipArea{12, 5, 29, 73};
};

TEST_F(CardFaces, DiamondsAndHeartsAreRedSpadesAndClubsBlack)
{
    for (int i = 0; i < 52; ++i) {
        const bool red = i < 26;
        const int redInk = Count(i, inkRed), blackInk = Count(i, inkBlack);
        if (red)
            EXPECT_GT(redInk, 40) << "face " << i;
        else
            EXPECT_GT(blackInk, 40) << "face " << i;
        // The corner symbol is drawn in the suit's colour only.
        EXPECT_EQ(Count(i, red ? inkBlack : inkRed, SuitArea), 0) << "face " << i;
        EXPECT_GT(Count(i, red ? inkRed : inkBlack, SuitArea), 15) << "face " << i;
    }
}

TEST_F(CardFaces, BlocksOfThirteenShareTheirSuitAndValuesRepeatAcrossBlocks)
{
    // Edge smoothing differs a little between red and black lettering, hence the slack.
    for (int suit = 0; suit < 4; ++suit) {
        for (int value = 1; value < 13; ++value) {
            EXPECT_LE(Differences(Mask(suit * 13 + value, SuitArea), Mask(suit * 13, SuitArea)), 2)
                << "suit " << suit << " value " << value;
        }
        if (suit > 0) {
            EXPECT_GE(InkDifferences(suit * 13, (suit - 1) * 13, SuitArea), 6)
                << "suits " << suit - 1 << " and " << suit;
        }
    }
    for (int value = 0; value < 13; ++value) {
        for (int suit = 1; suit < 4; ++suit) {
            EXPECT_LE(Differences(Mask(suit * 13 + value, RankArea), Mask(value, RankArea)), 4)
                << "suit " << suit << " value " << value;
        }
        if (value > 0) {
            EXPECT_GE(Differences(Mask(value, RankArea), Mask(value - 1, RankArea)), 6)
                << "value " << value;
        }
    }
}

TEST_F(CardFaces, TwoToTenShowTheirPipsCourtsAreFiguresAceIsOneLargeSymbol)
{
    for (int suit = 0; suit < 4; ++suit) {
        const TInk ink = suit < 2 ? inkRed : inkBlack;
        for (int value = 0; value <= 8; ++value)
            EXPECT_EQ(Blobs(suit * 13 + value, ink, PipArea), value + 2) << "suit " << suit;
        // Jack, queen and king wear gold; no other face has any.
        for (int value = 0; value < 13; ++value) {
            if (value >= 9 && value <= 11) {
                EXPECT_GT(Gold(suit * 13 + value), 30) << "suit " << suit << " value " << value;
            } else {
                EXPECT_EQ(Gold(suit * 13 + value), 0) << "suit " << suit << " value " << value;
            }
        }
        // The ace's one symbol fills the middle of the card.
        const int ace = suit * 13 + 12;
        EXPECT_EQ(Blobs(ace, ink, PipArea), 1) << "suit " << suit;
        EXPECT_EQ(Ink(cards.Bitmap(ace).Pixel(26, 41)), ink) << "suit " << suit;
        EXPECT_GT(Count(ace, ink, QRect(16, 30, 21, 21)), 200) << "suit " << suit;
    }
}

// The ace of clubs' top leaf is a circle at every zoom: its edge, found to a fraction of a
// pixel along rays from the leaf's centre, keeps one radius. Curves flattened into a few
// straight sides before scaling show as a radius that swings by pixels at 300 %.
TEST_F(CardFaces, TheClubsLeavesStayRoundWhenZoomed)
{
    struct TCase
    {
        qreal Ratio;
        double MaxSwing; // device pixels
    };
    const TCase cases[] = {{1, 0.5}, {3, 1.0}};
    // The ace's symbol: 27 pixels high, centred at (26.5, 41.5); the top leaf has its centre
    // 0.27 and its radius 0.23 of the symbol's height above that.
    const QPointF symbol(26.5, 41.5);
    constexpr double Size = 27;
    for (const TCase& c : cases) {
        const QImage image =
            cards.Bitmap(51).RenderedImage(c.Ratio).convertToFormat(QImage::Format_ARGB32);
        const auto ink = [&image](double x, double y) {
            // Bilinear, so the edge is found between pixel centres.
            const int x0 = int(std::floor(x - 0.5)), y0 = int(std::floor(y - 0.5));
            const double fx = x - 0.5 - x0, fy = y - 0.5 - y0;
            const auto at = [&image](int px, int py) {
                return 1.0 - qGreen(image.pixel(px, py)) / 255.0;
            };
            return (at(x0, y0) * (1 - fx) + at(x0 + 1, y0) * fx) * (1 - fy) +
                   (at(x0, y0 + 1) * (1 - fx) + at(x0 + 1, y0 + 1) * fx) * fy;
        };
        const QPointF centre = (symbol - QPointF(0, 0.27 * Size)) * c.Ratio;
        const double radius = 0.23 * Size * c.Ratio;
        double shortest = 1e9, longest = 0;
        // Upwards only, where no other leaf or the knot touches the top one.
        for (int degrees = -165; degrees <= -15; degrees += 5) {
            const double a = degrees * M_PI / 180;
            double r = 0;
            while (r < 2 * radius &&
                   ink(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a)) >= 0.5)
                r += 0.02;
            shortest = std::min(shortest, r);
            longest = std::max(longest, r);
        }
        EXPECT_NEAR(shortest, radius, 1.0) << "at " << c.Ratio;
        EXPECT_LE(longest - shortest, c.MaxSwing)
            << "at " << c.Ratio << ": radius from " << shortest << " to " << longest;
    }
}

TEST(GameImagesOnTheTable, AFrameAroundItsSlotLeavesTheCardInsideUntouched)
{
    TBitmap32List cards, game, logo;
    LoadGameImages(cards, game, logo);
    for (int frameIndex : {6, 7, 8}) {
        TImage32 image;
        image.resize(80, 110);
        image.SetColor(TableGreen);
        TBitmapLayer* card = image.Layers().Add();
        card->Bitmap() = cards.Bitmap(37);
        card->Bitmap().SetDrawMode(dmBlend);
        card->SetLocation({10, 10, 63, 93});
        QImage without(80, 110, QImage::Format_RGB32);
        {
            QPainter p(&without);
            image.PaintTo(p, without.rect());
        }
        TBitmapLayer* frame = image.Layers().Add();
        frame->Bitmap() = game.Bitmap(frameIndex);
        frame->Bitmap().SetDrawMode(dmBlend);
        frame->SetLocation({7, 7, 66, 96});
        QImage with(80, 110, QImage::Format_RGB32);
        {
            QPainter p(&with);
            image.PaintTo(p, with.rect());
        }
        int changedInside = 0, changedRing = 0;
        for (int y = 0; y < 110; ++y) {
            for (int x = 0; x < 80; ++x) {
                const bool changed = with.pixel(x, y) != without.pixel(x, y);
                if (QRect(9, 9, 55, 85).contains(x, y))
                    changedInside += changed; // the card and the one-pixel gap round it
                else if (QRect(7, 7, 59, 89).contains(x, y))
                    changedRing += changed;
            }
        }
        EXPECT_EQ(changedInside, 0) << "frame " << frameIndex;
        EXPECT_GT(changedRing, 0) << "frame " << frameIndex;
    }
}

TEST(GameImagesOnTheTable, CaptionTransparencyLeavesTheTableAtAnyMasterAlpha)
{
    TBitmap32List cards, game, logo;
    LoadGameImages(cards, game, logo);
    const TBitmap32& caption = logo.Bitmap(1);
    for (int master : {255, 245, 128, 20, 0}) {
        TImage32 image;
        image.resize(100, 20);
        image.SetColor(TableGreen);
        TBitmapLayer* layer = image.Layers().Add();
        layer->Bitmap() = caption;
        layer->Bitmap().SetDrawMode(dmBlend);
        layer->Bitmap().SetMasterAlpha(uint8_t(master));
        layer->SetLocation({0, 0, 100, 20});
        QImage out(100, 20, QImage::Format_RGB32);
        QPainter p(&out);
        image.PaintTo(p, out.rect());
        p.end();
        int lettering = 0;
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 100; ++x) {
                if (Alpha(caption.Pixel(x, y)) == 0)
                    EXPECT_EQ(out.pixel(x, y), TableGreen.rgb()) << x << ", " << y;
                else
                    lettering += out.pixel(x, y) != TableGreen.rgb();
            }
        }
        if (master >= 128) {
            EXPECT_GT(lettering, 100) << "master alpha " << master;
        }
        if (master == 0) {
            EXPECT_EQ(lettering, 0);
        }
    }
}

// ---------------------------------------------------------------------------------------
// The renderings for other screens, as the game's lists carry them

class PictureVariants : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { LoadGameImages(cards, game, logo); }
    static inline TBitmap32List cards, game, logo;

    static std::vector<std::pair<std::string, const TBitmap32*>> All()
    {
        std::vector<std::pair<std::string, const TBitmap32*>> all;
        for (int i = 0; i < cards.Count(); ++i)
            all.emplace_back("face " + std::to_string(i), &cards.Bitmap(i));
        for (int i = 0; i < game.Count(); ++i)
            all.emplace_back("game picture " + std::to_string(i), &game.Bitmap(i));
        for (int i = 0; i < logo.Count(); ++i)
            all.emplace_back("logo picture " + std::to_string(i), &logo.Bitmap(i));
        return all;
    }
    // Mean absolute difference per channel, premultiplied (so the colour of transparent
    // pixels does not count), between two pictures of one size.
    static double MeanDifference(const QImage& a, const QImage& b)
    {
        const QImage pa = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QImage pb = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        double sum = 0;
        for (int y = 0; y < pa.height(); ++y) {
            for (int x = 0; x < pa.width(); ++x) {
                const QRgb p = pa.pixel(x, y), q = pb.pixel(x, y);
                sum += std::abs(qAlpha(p) - qAlpha(q)) + std::abs(qRed(p) - qRed(q)) +
                       std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
            }
        }
        return sum / (4.0 * pa.width() * pa.height());
    }
    // `image`, drawn at `ratio`, brought down to `size` at 1x by averaging, for each target
    // pixel, the source area it covers (partly covered source pixels by their share),
    // premultiplied: what a 1x screen would show of it, without the aliasing of sampling.
    // The ratio, not the sizes, maps the two: the generator rounds a size, never stretches.
    static QImage AreaScaled(const QImage& image, qreal ratio, QSize size)
    {
        const QImage p = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const double rx = ratio, ry = ratio;
        QImage out(size, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                double c[4] = {}, area = 0;
                const double x0 = x * rx, x1 = (x + 1) * rx, y0 = y * ry, y1 = (y + 1) * ry;
                for (int sy = int(y0); sy < std::min(p.height(), int(std::ceil(y1 - 1e-9))); ++sy) {
                    const double wy = std::min(y1, sy + 1.0) - std::max(y0, double(sy));
                    for (int sx = int(x0); sx < std::min(p.width(), int(std::ceil(x1 - 1e-9)));
                         ++sx) {
                        const double w = wy * (std::min(x1, sx + 1.0) - std::max(x0, double(sx)));
                        const QRgb q = p.pixel(sx, sy);
                        c[0] += w * qAlpha(q), c[1] += w * qRed(q), c[2] += w * qGreen(q);
                        c[3] += w * qBlue(q);
                        area += w;
                    }
                }
                auto v = [&](int i) { return int(std::lround(c[i] / area)); };
                out.setPixel(x, y, qRgba(v(1), v(2), v(3), v(0)));
            }
        }
        return out;
    }
};

// The larger renderings weigh several times the 1x pictures, and a 1x screen never
// shows them.
TEST(PictureLoading, RenderingsForOtherScreensAreDecodedOnlyWhenAsked)
{
    TBitmap32List cards, game, logo;
    LoadGameImages(cards, game, logo);
    for (const TBitmap32List* list : {&cards, &game, &logo}) {
        for (int i = 0; i < list->Count(); ++i) {
            for (int v = 0; v < list->Bitmap(i).VariantCount(); ++v)
                EXPECT_FALSE(list->Bitmap(i).VariantDecoded(v)) << "picture " << i;
        }
    }
    EXPECT_FALSE(cards.Bitmap(5).VariantImage(2).isNull());
    EXPECT_TRUE(cards.Bitmap(5).VariantDecoded(2));
    EXPECT_FALSE(cards.Bitmap(5).VariantDecoded(0));
}

TEST_F(PictureVariants, EveryPictureCarriesEachRatioAtItsSize)
{
    for (const auto& [what, b] : All()) {
        ASSERT_EQ(b->VariantCount(), 3) << what;
        for (int v = 0; v < 3; ++v) {
            const qreal ratio = Ratios[v + 1];
            EXPECT_EQ(b->VariantRatio(v), ratio) << what;
            EXPECT_EQ(b->VariantImage(v).size(),
                      QSize(Px(b->Width(), ratio), Px(b->Height(), ratio)))
                << what << " at ratio " << ratio;
        }
        // The list picture's own pixels stay the 1x rendering.
        EXPECT_TRUE(b->Image() == cards.Bitmap(0).Image() || b != &cards.Bitmap(0));
    }
}

TEST_F(PictureVariants, EachRenderingBroughtDownToThe1xSizeIsThe1xPicture)
{
    // Smoothing falls on other pixels at the two sizes, so edges differ a little; a wrong
    // picture, shift or colour, or lines of another weight, differ by tens of levels.
    for (qreal ratio : {1.25, 1.5, 2.0}) {
        double worst = 0;
        std::string worstWhat;
        for (const auto& [what, b] : All()) {
            const QImage& variant = b->VariantImage(b->VariantFor(ratio));
            if (ratio == 2) {
                ASSERT_EQ(variant.size(), b->Image().size() * 2) << what;
            }
            const double d =
                MeanDifference(AreaScaled(variant, ratio, b->Image().size()), b->Image());
            // At 1.25 and 1.5 whatever the drawing snaps to whole device pixels (the cut
            // corners, the clip between a court card's two halves) lands a fraction of a
            // logical pixel away from where it lands at 1x; at 2 it lands in the same place.
            EXPECT_LT(d, ratio == 2 ? 3.0 : 10.0) << what << " at ratio " << ratio;
            if (d > worst)
                worst = d, worstWhat = what;
        }
        std::printf("worst mean difference at %.2fx: %.2f levels (%s)\n", ratio, worst,
                    worstWhat.c_str());
    }
}

// A card layer painted into an image of each ratio: every device pixel is the rendering
// for that ratio over the table, and the 2x result has detail that the 1x card blown up
// cannot have.
TEST_F(PictureVariants, ATableLayerPaintsFromTheRenderingOfTheDevicesRatio)
{
    const QColor green(0, 128, 0);
    for (qreal ratio : {1.25, 1.5, 2.0}) {
        TImage32 image;
        image.resize(70, 100);
        image.SetColor(green);
        TBitmapLayer* layer = image.Layers().Add();
        layer->Bitmap() = cards.Bitmap(37); // king of spades: fine lines and lettering
        layer->Bitmap().SetDrawMode(dmBlend);
        layer->SetLocation({8, 8, 61, 91}); // whole device pixels at each ratio
        QImage out(Px(70, ratio), Px(100, ratio), QImage::Format_RGB32);
        out.setDevicePixelRatio(ratio);
        {
            QPainter p(&out);
            image.PaintTo(p, QRect(0, 0, 70, 100));
        }
        const QImage& variant = cards.Bitmap(37).VariantImage(cards.Bitmap(37).VariantFor(ratio));
        const int origin = Px(8, ratio);
        int worst = 0;
        for (int y = 0; y < variant.height(); ++y) {
            for (int x = 0; x < variant.width(); ++x) {
                const QRgb v = variant.pixel(x, y);
                const QRgb o = out.pixel(origin + x, origin + y);
                const int a = qAlpha(v);
                auto want = [&](int c, int below) { return below + (c - below) * a / 255.0; };
                worst = std::max({worst, int(std::lround(std::abs(qRed(o) - want(qRed(v), 0)))),
                                  int(std::lround(std::abs(qGreen(o) - want(qGreen(v), 128)))),
                                  int(std::lround(std::abs(qBlue(o) - want(qBlue(v), 0))))});
            }
        }
        EXPECT_LE(worst, 1) << "ratio " << ratio;
        if (ratio != 2)
            continue;
        // The 1x card painted at ratio 1 and doubled: the look without the renderings.
        QImage once(70, 100, QImage::Format_RGB32);
        {
            QPainter p(&once);
            image.PaintTo(p, once.rect());
        }
        const QImage blown = once.scaled(140, 200); // nearest neighbour
        int differing = 0, detailedBlocks = 0;
        for (int y = 16; y < 16 + 166; ++y)
            for (int x = 16; x < 16 + 106; ++x)
                differing += out.pixel(x, y) != blown.pixel(x, y);
        for (int y = 16; y < 16 + 166; y += 2) {
            for (int x = 16; x < 16 + 106; x += 2) {
                const QRgb c = out.pixel(x, y);
                detailedBlocks += out.pixel(x + 1, y) != c || out.pixel(x, y + 1) != c ||
                                  out.pixel(x + 1, y + 1) != c;
            }
        }
        // Every 2 x 2 block of a blown-up picture is one colour; here hundreds are not.
        EXPECT_GT(detailedBlocks, 500);
        EXPECT_GT(differing, 1000);
    }
}

// A zoomed table on a screen of some ratio paints each picture at zoom x ratio. Those that
// are no pre-drawn ratio are drawn at run time by the generator's own code: the picture
// chosen has the size of that many device pixels, and brought down to 1x it is the 1x
// picture, within the same tolerance as the pre-drawn renderings.
TEST_F(PictureVariants, AZoomedTableGetsEachPictureDrawnForZoomTimesTheScreensRatio)
{
    struct
    {
        qreal zoom, screen;
    } cases[] = {{1.25, 1}, {2.5, 1}, {3, 1}, {1.5, 2}, {3, 2}};
    for (const auto& c : cases) {
        const qreal ratio = c.zoom * c.screen;
        const bool whole = ratio == std::floor(ratio);
        double worst = 0;
        for (const auto& [what, b] : All()) {
            const QImage& chosen = b->ImageFor(ratio);
            ASSERT_EQ(chosen.size(), QSize(Px(b->Width(), ratio), Px(b->Height(), ratio)))
                << what << " at zoom " << c.zoom << " on a screen of " << c.screen;
            const double d =
                MeanDifference(AreaScaled(chosen, ratio, b->Image().size()), b->Image());
            EXPECT_LT(d, whole ? 3.0 : 10.0) << what << " at ratio " << ratio;
            worst = std::max(worst, d);
        }
        std::printf("worst mean difference at zoom %.2f on a %.0fx screen: %.2f levels\n", c.zoom,
                    c.screen, worst);
    }
}

// The run-time drawing is the build-time drawing: at a pre-drawn ratio they agree pixel
// for pixel, so only the size, never the look, depends on where a picture was drawn.
TEST_F(PictureVariants, DrawnAtRunTimeThePicturesAreThoseDrawnAtBuildTime)
{
    for (const auto& [what, b] : All()) {
        const QImage& built = b->VariantImage(b->VariantFor(1.5));
        EXPECT_TRUE(b->RenderedImage(1.5) == built) << what;
    }
}

TEST(Icons, MenuIconHasEveryRatioAndPicksByTheScreen)
{
    for (int i = 0; i < MenuImageCount; ++i) {
        const QIcon icon = MenuIcon(i);
        ASSERT_FALSE(icon.isNull());
        for (qreal ratio : Ratios) {
            const QPixmap pixmap = icon.pixmap(QSize(16, 16), ratio);
            EXPECT_EQ(pixmap.size(), QSize(Px(16, ratio), Px(16, ratio))) << "ratio " << ratio;
            EXPECT_TRUE(pixmap.toImage().convertToFormat(QImage::Format_ARGB32) ==
                        MenuImage(i, ratio))
                << "menu picture " << i << " at ratio " << ratio;
        }
    }
}

TEST(Icons, ApplicationIconInEverySizeReadsAsCardsOnAGreenDisc)
{
    const std::vector<int> want{16, 24, 32, 48, 64, 128, 256, 512};
    EXPECT_EQ(ApplicationIconSizes(), want);
    const QIcon icon = ApplicationIcon();
    for (int size : want) {
        const QImage image = ApplicationIconImage(size);
        ASSERT_EQ(image.size(), QSize(size, size));
        EXPECT_EQ(icon.pixmap(QSize(size, size), 1.0).size(), QSize(size, size));
        // Transparent corners round a disc; green, white card and red heart all present.
        EXPECT_EQ(qAlpha(image.pixel(0, size - 1)), 0) << size;
        EXPECT_EQ(qAlpha(image.pixel(size - 1, size - 1)), 0) << size;
        int green = 0, white = 0, red = 0, blue = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.alpha() < 250)
                    continue;
                green += c.green() > c.red() + 60 && c.green() > c.blue() + 60;
                white += c.red() > 235 && c.green() > 235 && c.blue() > 235;
                red += c.red() > 170 && c.green() < 70 && c.blue() < 70;
                blue += c.blue() > c.red() + 80 && c.blue() > c.green() + 40;
            }
        }
        const int area = size * size;
        EXPECT_GT(green, area / 10) << size;
        EXPECT_GT(white, area / 50) << size;
        EXPECT_GT(red, 0) << size;
        EXPECT_GT(blue, area / 40) << size;
    }
    EXPECT_THROW(ApplicationIconImage(20), std::runtime_error);
}

// ---------------------------------------------------------------------------------------
// The record format

TEST(ImageRecord, ReadsLittleEndianSizeThenBlueGreenRedAlpha)
{
    QByteArray record(8 + 2 * 1 * 4, '\0');
    qToLittleEndian<qint32>(2, record.data());
    qToLittleEndian<qint32>(1, record.data() + 4);
    const char pixels[] = {0x10, 0x20, 0x30, 0x40, char(0xff), 0x00, 0x00, char(0x80)};
    memcpy(record.data() + 8, pixels, 8);
    const QImage image = ReadImageRecord(record);
    ASSERT_EQ(image.size(), QSize(2, 1));
    EXPECT_EQ(image.pixel(0, 0), 0x40302010u);
    EXPECT_EQ(image.pixel(1, 0), 0x800000ffu);
}

TEST(ImageRecord, RejectsDamagedRecords)
{
    auto header = [](qint32 w, qint32 h, int extra) {
        QByteArray r(8 + extra, '\0');
        qToLittleEndian<qint32>(w, r.data());
        qToLittleEndian<qint32>(h, r.data() + 4);
        return r;
    };
    const QByteArray bad[] = {QByteArray("abc"), header(2, 2, 15), header(2, 2, 17),
                              header(0, 5, 0),   header(-1, 1, 4), header(1 << 20, 1 << 20, 0)};
    for (const QByteArray& r : bad)
        EXPECT_THROW(ReadImageRecord(r), std::runtime_error) << r.size() << " bytes";
    EXPECT_NO_THROW(ReadImageRecord(header(2, 2, 16)));
}

TEST(ImageRecord, UnknownScaleIsRefusedAndListsStayAsTheyWere)
{
    TBitmap32List cards, game, logo;
    LoadGameImages(cards, game, logo);
    for (qreal ratio : {3.0, 1.75, 0.5}) {
        EXPECT_THROW(LoadGameImages(cards, game, logo, ratio), std::runtime_error) << ratio;
        EXPECT_THROW(MenuImage(0, ratio), std::runtime_error) << ratio;
    }
    EXPECT_EQ(cards.Count(), 52);
    EXPECT_EQ(game.Count(), 9);
}

} // namespace
