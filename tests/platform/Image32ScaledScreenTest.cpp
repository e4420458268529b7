// The image widget on a screen with two device pixels per logical pixel: the game's
// coordinates stay logical, and what reaches the screen is drawn from the 2x renderings.

#include "platform/Image32.h"

#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The shared main creates the application; the scale must be in place before that.
const bool ScaledScreen = [] {
    qputenv("QT_SCALE_FACTOR", "2");
    return true;
}();

QImage Solid(int w, int h, uint32_t argb)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(argb);
    return image;
}

// A card-sized picture, light grey at 1x; its 2x rendering has a one-device-pixel black
// border and stripes, detail the 1x picture cannot carry.
TBitmap32 Card()
{
    TBitmap32 card(Solid(53, 83, 0xffc0c0c0u));
    QImage fine(106, 166, QImage::Format_ARGB32);
    for (int y = 0; y < fine.height(); ++y) {
        for (int x = 0; x < fine.width(); ++x) {
            const bool border = x == 0 || y == 0 || x == 105 || y == 165;
            fine.setPixel(x, y, border || y % 2 ? 0xff000000u : 0xffffffffu);
        }
    }
    card.AddVariant(fine, 2);
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

TEST_F(ScaledScreen2, TheWidgetKeepsItsLogicalSizeAndPaintsFromThe2xRendering)
{
    EXPECT_EQ(image.devicePixelRatioF(), 2.0);
    EXPECT_EQ(image.width(), 344);
    EXPECT_EQ(card->Bitmap().Width(), 53);
    image.Repaint();
    const QImage shot = image.grab().toImage();
    ASSERT_EQ(shot.size(), QSize(688, 1076));
    // Device pixels (16, 464) on: the 2x picture one for one.
    int wrong = 0;
    for (int y = 0; y < 166; ++y) {
        for (int x = 0; x < 106; ++x) {
            const bool border = x == 0 || y == 0 || x == 105 || y == 165;
            const QRgb want = border || y % 2 ? 0xff000000u : 0xffffffffu;
            wrong += shot.pixel(16 + x, 464 + y) != want;
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(shot.pixel(15, 464), QColor(0, 128, 0).rgb());
    EXPECT_EQ(shot.pixel(122, 464), QColor(0, 128, 0).rgb());
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
    if (c.hit)
        EXPECT_EQ(at, p);
}

// Slot 1's card rectangle (8, 232)-(61, 315) in logical pixels; doubled, (60, 314) would
// be far outside it.
INSTANTIATE_TEST_SUITE_P(Slot1, ScaledScreenPresses,
                         ::testing::Values(PressCase{8, 232, true}, PressCase{60, 314, true},
                                           PressCase{61, 232, false}, PressCase{7, 240, false},
                                           PressCase{30, 315, false}, PressCase{120, 470, false}));

} // namespace
