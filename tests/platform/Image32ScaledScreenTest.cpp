// The image widget on a scaled screen (BT_SCREEN_SCALE device pixels per logical pixel,
// one program per scale): the game's coordinates stay logical, and what reaches the screen
// is drawn from the renderings for that scale, one picture pixel per device pixel.

#include "platform/Image32.h"

#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

#ifndef BT_SCREEN_SCALE
#define BT_SCREEN_SCALE 2
#endif

namespace {

constexpr qreal Scale = BT_SCREEN_SCALE;

// The shared main creates the application; the scale must be in place before that.
const bool ScaledScreen = [] {
    qputenv("QT_SCALE_FACTOR", QByteArray::number(Scale));
    return true;
}();

int Px(int n)
{
    return int(std::lround(n * Scale));
}

QImage Solid(int w, int h, uint32_t argb)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(argb);
    return image;
}

// The pattern of the card's rendering for this screen: a one-device-pixel black border
// and stripes, detail the 1x picture cannot carry.
QRgb Fine(int x, int y)
{
    const bool border = x == 0 || y == 0 || x == Px(53) - 1 || y == Px(83) - 1;
    return border || y % 2 ? 0xff000000u : 0xffffffffu;
}

// A card-sized picture, light grey at 1x, with its rendering for this screen and a decoy
// for a larger one.
TBitmap32 Card()
{
    TBitmap32 card(Solid(53, 83, 0xffc0c0c0u));
    QImage fine(Px(53), Px(83), QImage::Format_ARGB32);
    for (int y = 0; y < fine.height(); ++y)
        for (int x = 0; x < fine.width(); ++x)
            fine.setPixel(x, y, Fine(x, y));
    card.AddVariant(fine, Scale);
    card.AddVariant(Solid(53 * 3, 83 * 3, 0xffff0000u), 3);
    return card;
}

class ScaledScreen2 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ScaledScreen);
        image.resize(344, 538);
        image.SetColor(QColor(0, 128, 0));
        card = image.Layers().Add();
        card->Bitmap() = Card();
        card->Bitmap().SetDrawMode(dmBlend);
        card->SetLocation({8, 232, 61, 315});
        image.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&image));
    }
    TImage32 image;
    TBitmapLayer* card = nullptr;
};

TEST_F(ScaledScreen2, TheWidgetKeepsItsLogicalSizeAndPaintsFromTheScreensRendering)
{
    EXPECT_EQ(image.devicePixelRatioF(), Scale);
    EXPECT_EQ(image.width(), 344);
    EXPECT_EQ(card->Bitmap().Width(), 53);
    auto check = [&](const char* when) {
        const QImage shot = image.grab().toImage();
        ASSERT_EQ(shot.size(), QSize(Px(344), Px(538))) << when;
        // From the card's corner, (8, 232) in logical pixels, the picture one for one.
        int wrong = 0;
        for (int y = 0; y < Px(83); ++y)
            for (int x = 0; x < Px(53); ++x)
                wrong += shot.pixel(Px(8) + x, Px(232) + y) != Fine(x, y);
        EXPECT_EQ(wrong, 0) << when;
        EXPECT_EQ(shot.pixel(Px(8) - 1, Px(232)), QColor(0, 128, 0).rgb()) << when;
        EXPECT_EQ(shot.pixel(Px(8) + Px(53), Px(232)), QColor(0, 128, 0).rgb()) << when;
    };
    image.Repaint();
    check("whole");
    // A partial repaint, as a card's flight past it gives, leaves no seam or stale pixel.
    TBitmapLayer* passing = image.Layers().Add();
    passing->Bitmap() = Card();
    passing->Bitmap().SetDrawMode(dmBlend);
    passing->SetLocation({40, 250, 93, 333});
    image.Repaint();
    passing->SetLocation({63, 250, 116, 333});
    image.Repaint();
    passing->Bitmap().SetMasterAlpha(0);
    image.Repaint();
    check("after a layer passed by");
}

// Zoomed on this screen, a card is drawn for zoom x scale device pixels per logical pixel
// and lands on the screen one picture pixel per device pixel.
TEST_F(ScaledScreen2, ZoomedTheCardIsRenderedForZoomTimesTheScreensScale)
{
    qreal asked = 0;
    card->Bitmap().SetRenderer([&](qreal ratio) {
        asked = ratio;
        QImage fine(int(std::lround(53 * ratio)), int(std::lround(83 * ratio)),
                    QImage::Format_ARGB32);
        for (int y = 0; y < fine.height(); ++y)
            for (int x = 0; x < fine.width(); ++x)
                fine.setPixel(x, y, y % 2 ? 0xff000000u : 0xffffffffu);
        return fine;
    });
    const qreal zoom = 1.25; // no variant of the card has zoom x scale
    image.SetZoom(zoom);
    image.resize(int(std::lround(344 * zoom)), int(std::lround(538 * zoom)));
    const QImage shot = image.grab().toImage();
    EXPECT_EQ(asked, zoom * Scale);
    const int ox = int(std::lround(8 * zoom * Scale)), oy = int(std::lround(232 * zoom * Scale));
    const int w = int(std::lround(53 * zoom * Scale)), h = int(std::lround(83 * zoom * Scale));
    int wrong = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            wrong += shot.pixel(ox + x, oy + y) != (y % 2 ? 0xff000000u : 0xffffffffu);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(shot.pixel(ox - 1, oy), QColor(0, 128, 0).rgb());
}

struct PressCase
{
    int x, y;
    bool hit;
};

class ScaledScreenPresses : public ScaledScreen2, public ::testing::WithParamInterface<PressCase>
{
};

TEST_P(ScaledScreenPresses, HitTestingAndMousePositionsStayLogical)
{
    const PressCase c = GetParam();
    int presses = 0;
    QPoint at;
    card->OnMouseDown = [&](TBitmapLayer*, Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
        ++presses;
        at = QPoint(x, y);
    };
    QPoint moved(-1, -1);
    TBitmapLayer* under = nullptr;
    image.OnMouseMove = [&](QObject*, Qt::KeyboardModifiers, int x, int y, TBitmapLayer* layer) {
        moved = QPoint(x, y);
        under = layer;
    };
    const QPoint p(c.x, c.y);
    QMouseEvent move(QEvent::MouseMove, p, image.mapToGlobal(p), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&image, &move);
    QTest::mousePress(&image, Qt::LeftButton, Qt::NoModifier, p);
    EXPECT_EQ(moved, p);
    EXPECT_EQ(under, c.hit ? card : nullptr);
    EXPECT_EQ(presses, c.hit ? 1 : 0);
    if (c.hit) {
        EXPECT_EQ(at, p);
    }
}

// Slot 1's card rectangle (8, 232)-(61, 315) in logical pixels; doubled, (60, 314) would
// be far outside it.
INSTANTIATE_TEST_SUITE_P(Slot1, ScaledScreenPresses,
                         ::testing::Values(PressCase{8, 232, true}, PressCase{60, 314, true},
                                           PressCase{61, 232, false}, PressCase{7, 240, false},
                                           PressCase{30, 315, false}, PressCase{120, 470, false}));

} // namespace
