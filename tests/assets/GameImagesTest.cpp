#include "assets/pictures/GameImages.h"

#include <QPainter>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace {

const QColor TableGreen(0, 128, 0);

uint8_t Alpha(uint32_t argb)
{
    return uint8_t(argb >> 24);
}

// Pictures are loaded once per scale for the whole suite.
class GameImages : public ::testing::TestWithParam<int>
{
protected:
    static void SetUpTestSuite()
    {
        for (int scale : {1, 2})
            LoadGameImages(lists[scale].cards, lists[scale].game, lists[scale].logo, scale);
    }
    struct Lists
    {
        TBitmap32List cards, game, logo;
    };
    static inline Lists lists[3];
    int S() const { return GetParam(); }
    const Lists& L() const { return lists[GetParam()]; }
};

TEST_P(GameImages, ListsHoldTheirPicturesInTheirSizes)
{
    ASSERT_EQ(L().cards.Count(), 52);
    ASSERT_EQ(L().game.Count(), 9);
    ASSERT_EQ(L().logo.Count(), 2);
    for (int i = 0; i < 52; ++i) {
        EXPECT_EQ(L().cards.Bitmap(i).Width(), 53 * S()) << "face " << i;
        EXPECT_EQ(L().cards.Bitmap(i).Height(), 83 * S()) << "face " << i;
    }
    const QSize gameSizes[] = {{53, 83}, {53, 83}, {53, 83}, {53, 83}, {53, 83},
                               {17, 17}, {59, 89}, {59, 89}, {59, 89}};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(L().game.Bitmap(i).Image().size(), gameSizes[i] * S()) << "game picture " << i;
    EXPECT_EQ(L().logo.Bitmap(0).Image().size(), QSize(322, 270) * S());
    EXPECT_EQ(L().logo.Bitmap(1).Image().size(), QSize(100, 20) * S());
    for (int i = 0; i < MenuImageCount; ++i)
        EXPECT_EQ(MenuImage(i, S()).size(), QSize(16, 16) * S());
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

class AlphaRules : public ::testing::TestWithParam<std::tuple<int, AlphaRule>>
{
protected:
    static void SetUpTestSuite()
    {
        for (int scale : {1, 2})
            LoadGameImages(lists[scale][0], lists[scale][1], lists[scale][2], scale);
    }
    static inline TBitmap32List lists[3][3];
};

TEST_P(AlphaRules, EveryPixel)
{
    const auto [scale, rule] = GetParam();
    for (int i = rule.first; i <= rule.last; ++i) {
        const TBitmap32& b = lists[scale][rule.list].Bitmap(i);
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
        EXPECT_EQ(wrong, 0) << rule.what << " " << i << " at scale " << scale << ", first at ("
                            << firstWrong.x() << ", " << firstWrong.y() << "): alpha "
                            << int(Alpha(b.Pixel(firstWrong.x(), firstWrong.y())));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, AlphaRules,
    ::testing::Combine(::testing::Values(1, 2),
                       ::testing::Values(AlphaRule{"card face", 0, 0, 51, 254, true},
                                         AlphaRule{"card back", 1, 0, 1, 254, true},
                                         AlphaRule{"slot mark", 1, 2, 4, 255, true},
                                         AlphaRule{"arrow", 1, 5, 5, 255, false},
                                         AlphaRule{"logo", 2, 0, 0, 255, false})));

TEST_P(GameImages, FramesAreATwoPixelBorderTransparentInside)
{
    const int s = S();
    for (int i = 6; i <= 8; ++i) {
        const TBitmap32& frame = L().game.Bitmap(i);
        int wrong = 0;
        for (int y = 0; y < frame.Height(); ++y) {
            for (int x = 0; x < frame.Width(); ++x) {
                const bool border = x < 2 * s || y < 2 * s || x >= frame.Width() - 2 * s ||
                                    y >= frame.Height() - 2 * s;
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
    const QImage door = MenuImage(0, S());
    const QImage info = MenuImage(1, S());
    EXPECT_EQ(door.format(), QImage::Format_ARGB32);
    // The round sign leaves its corners clear and shows blue and white inside.
    EXPECT_EQ(qAlpha(info.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(info.pixel(15 * S(), 15 * S())), 0);
    const QColor centre = info.pixelColor(8 * S(), 8 * S()); // the stem of the "i"
    EXPECT_GT(centre.lightness(), 200);
    const QColor ring = info.pixelColor(4 * S(), 8 * S());
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

INSTANTIATE_TEST_SUITE_P(Scales, GameImages, ::testing::Values(1, 2));

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
            EXPECT_GE(Differences(Mask(suit * 13, SuitArea), Mask((suit - 1) * 13, SuitArea)), 6)
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
    EXPECT_THROW(LoadGameImages(cards, game, logo, 3), std::runtime_error);
    EXPECT_EQ(cards.Count(), 52);
    EXPECT_EQ(game.Count(), 9);
}

} // namespace
