#include "platform/Image32.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

QImage Solid(int w, int h, uint32_t argb)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(argb);
    return image;
}

int Channel(uint32_t argb, int shift)
{
    return int((argb >> shift) & 0xff);
}

// ---------------------------------------------------------------------------------------
// Blending: below + (pixel - below) * a / 255, with the opacity a = pixel alpha * master
// alpha / 255 taken as a whole number from 0 to 255 (rounded).

struct BlendCase
{
    uint32_t below; // opaque background, 0xffRRGGBB
    uint32_t pixel; // straight ARGB
    uint8_t master;
    TDrawMode mode;
};

class BlendTest : public ::testing::TestWithParam<BlendCase>
{
};

TEST_P(BlendTest, OnePixelOverKnownBackgroundMatchesTheFormula)
{
    const BlendCase c = GetParam();
    TImage32 image;
    image.resize(1, 1);
    image.SetColor(QColor::fromRgb(c.below));
    TBitmapLayer* layer = image.Layers().Add();
    layer->Bitmap().SetImage(Solid(1, 1, c.pixel));
    layer->Bitmap().SetDrawMode(c.mode);
    layer->Bitmap().SetMasterAlpha(c.master);
    layer->SetLocation({0, 0, 1, 1});

    QImage target(1, 1, QImage::Format_RGB32);
    target.fill(0xff123456u);
    QPainter painter(&target);
    image.PaintTo(painter, QRect(0, 0, 1, 1));
    painter.end();
    const uint32_t got = target.pixel(0, 0);

    const double a =
        c.mode == dmOpaque ? 255.0 : std::round(double(c.pixel >> 24) * c.master / 255.0);
    for (int shift : {16, 8, 0}) {
        const double below = Channel(c.below, shift);
        const double pixel = Channel(c.pixel, shift);
        const double want = below + (pixel - below) * a / 255.0;
        EXPECT_LE(std::abs(Channel(got, shift) - want), 1.0)
            << "channel shift " << shift << ": got " << Channel(got, shift) << ", want " << want
            << std::hex << " (pixel 0x" << c.pixel << " over 0x" << c.below << ", master "
            << std::dec << int(c.master) << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(Pixels, BlendTest,
                         ::testing::Values(
                             // Fully opaque pixel, full master alpha: the pixel itself.
                             BlendCase{0xff008000u, 0xffff0000u, 255, dmBlend},
                             // Master alpha 0 draws nothing, whatever the pixel.
                             BlendCase{0xff008000u, 0xffffffffu, 0, dmBlend},
                             // Transparent pixel keeps its colour channels but shows nothing.
                             BlendCase{0xff008000u, 0x00ff00ffu, 255, dmBlend},
                             // The card faces' alpha 254 over the table green.
                             BlendCase{0xff008000u, 0xfeffffffu, 255, dmBlend},
                             // Dimmed card (master alpha 100).
                             BlendCase{0xff008000u, 0xfe102030u, 100, dmBlend},
                             BlendCase{0xff008000u, 0xffffffffu, 100, dmBlend},
                             // Half-transparent pixel at half master alpha: a = 64.
                             BlendCase{0xff000000u, 0x80ffffffu, 128, dmBlend},
                             BlendCase{0xffffffffu, 0x80000000u, 128, dmBlend},
                             // Caption pulse values over green.
                             BlendCase{0xff008000u, 0xc0f0f0ffu, 20, dmBlend},
                             BlendCase{0xff008000u, 0x40f0f0ffu, 245, dmBlend},
                             BlendCase{0xff7f7f7fu, 0x01ffffffu, 255, dmBlend},
                             BlendCase{0xff7f7f7fu, 0xfe000000u, 254, dmBlend},
                             BlendCase{0xff3c9ad1u, 0x9b2f81e4u, 201, dmBlend},
                             BlendCase{0xffd1003cu, 0x64e4812fu, 37, dmBlend},
                             // Opaque drawing copies the colour and ignores both alphas.
                             BlendCase{0xff008000u, 0x00ff8040u, 255, dmOpaque},
                             BlendCase{0xff008000u, 0x80ff8040u, 0, dmOpaque},
                             BlendCase{0xffffffffu, 0xfe204060u, 100, dmOpaque}));

// Exhaustive sweep of alphas on a few colour pairs: the table above names the cases a
// reader cares about, this catches rounding drift anywhere in between.
TEST(Blend, EveryPixelAlphaAndMasterAlphaWithinOne)
{
    const uint32_t belows[] = {0xff008000u, 0xffffffffu, 0xff000000u};
    const uint32_t colours[] = {0x00ffffffu, 0x00000000u, 0x00c83264u};
    int worst = 0;
    for (uint32_t below : belows) {
        for (uint32_t colour : colours) {
            // One bitmap of 256 x 256 pixels: x is the pixel alpha, y the master alpha
            // is emulated per row by painting each row with its own master alpha.
            QImage pixels(256, 1, QImage::Format_ARGB32);
            for (int x = 0; x < 256; ++x)
                pixels.setPixel(x, 0, (uint32_t(x) << 24) | colour);
            TImage32 image;
            image.resize(256, 256);
            image.SetColor(QColor::fromRgb(below));
            for (int m = 0; m < 256; ++m) {
                TBitmapLayer* row = image.Layers().Add();
                row->Bitmap().SetImage(pixels);
                row->Bitmap().SetDrawMode(dmBlend);
                row->Bitmap().SetMasterAlpha(uint8_t(m));
                row->SetLocation({0, float(m), 256, float(m + 1)});
            }
            QImage target(256, 256, QImage::Format_RGB32);
            QPainter painter(&target);
            image.PaintTo(painter, target.rect());
            painter.end();
            for (int m = 0; m < 256; ++m) {
                auto line = reinterpret_cast<const uint32_t*>(target.constScanLine(m));
                for (int x = 0; x < 256; ++x) {
                    const double a = std::round(x * m / 255.0);
                    for (int shift : {16, 8, 0}) {
                        const double b = Channel(below, shift);
                        const double want = b + (Channel(colour, shift) - b) * a / 255.0;
                        const int diff = int(std::lround(
                            std::ceil(std::abs(Channel(line[x], shift) - want) - 1e-9)));
                        worst = std::max(worst, diff);
                    }
                }
            }
        }
    }
    EXPECT_LE(worst, 1);
}

// ---------------------------------------------------------------------------------------
// TBitmap32 values

TEST(Bitmap32, AssignCopiesPixelsDrawModeAndMasterAlphaButNotTheOwnersHook)
{
    TBitmap32 source(3, 2);
    source.SetPixel(2, 1, 0x80112233u);
    source.SetDrawMode(dmBlend);
    source.SetMasterAlpha(100);

    int sourceCalls = 0;
    int targetCalls = 0;
    source.OnChange = [&] { ++sourceCalls; };
    TBitmap32 target;
    target.SetDrawMode(dmOpaque);
    target.SetMasterAlpha(7);
    target.OnChange = [&] { ++targetCalls; };

    target = source;
    EXPECT_EQ(target.Width(), 3);
    EXPECT_EQ(target.Height(), 2);
    EXPECT_EQ(target.Pixel(2, 1), 0x80112233u);
    EXPECT_EQ(target.DrawMode(), dmBlend);
    EXPECT_EQ(target.MasterAlpha(), 100);
    EXPECT_EQ(targetCalls, 1);
    EXPECT_EQ(sourceCalls, 0);

    // A later change of the copy leaves the source alone.
    target.SetPixel(0, 0, 0xffffffffu);
    target.SetMasterAlpha(0);
    EXPECT_EQ(source.Pixel(0, 0), 0u);
    EXPECT_EQ(source.MasterAlpha(), 100);
    EXPECT_EQ(sourceCalls, 0);
    ASSERT_TRUE(target.OnChange);

    // Copy construction (what a list does) takes the settings too.
    const TBitmap32 copy(source);
    EXPECT_EQ(copy.DrawMode(), dmBlend);
    EXPECT_EQ(copy.MasterAlpha(), 100);
    EXPECT_FALSE(copy.OnChange);
}

TEST(Bitmap32, StraightAlphaKeepsTheColourOfTransparentPixels)
{
    TBitmap32 bitmap(1, 1);
    EXPECT_EQ(bitmap.Pixel(0, 0), 0u); // new pixels are transparent black
    bitmap.SetPixel(0, 0, 0x00abcdefu);
    EXPECT_EQ(bitmap.Pixel(0, 0), 0x00abcdefu);
    const TBitmap32 fromImage(Solid(2, 2, 0x00abcdefu));
    EXPECT_EQ(fromImage.Pixel(1, 1), 0x00abcdefu);
    EXPECT_EQ(fromImage.Image().format(), QImage::Format_ARGB32);
}

TEST(Bitmap32, ChangingPixelsAfterPaintingIsSeenOnTheNextPaint)
{
    TImage32 image;
    image.resize(1, 1);
    image.SetColor(Qt::black);
    TBitmapLayer* layer = image.Layers().Add();
    layer->Bitmap().SetImage(Solid(1, 1, 0xffff0000u));
    layer->Bitmap().SetDrawMode(dmBlend);
    layer->SetLocation({0, 0, 1, 1});
    QImage target(1, 1, QImage::Format_RGB32);
    auto paint = [&] {
        QPainter painter(&target);
        image.PaintTo(painter, target.rect());
    };
    paint();
    EXPECT_EQ(target.pixel(0, 0), 0xffff0000u);
    layer->Bitmap().SetPixel(0, 0, 0xff0000ffu);
    paint();
    EXPECT_EQ(target.pixel(0, 0), 0xff0000ffu);
    layer->Bitmap().SetMasterAlpha(0);
    paint();
    EXPECT_EQ(target.pixel(0, 0), 0xff000000u);
}

// ---------------------------------------------------------------------------------------
// Renderings for other device pixel ratios

// A 1x picture of one colour with 2x, 1.5x and 1.25x renderings (added out of order) that
// carry a pattern no upscale of the 1x picture could give: alternate device pixels black.
TBitmap32 WithVariants(int w, int h)
{
    TBitmap32 bitmap(Solid(w, h, 0xff808080u));
    for (qreal ratio : {2.0, 1.25, 1.5}) {
        QImage image(int(std::lround(w * ratio)), int(std::lround(h * ratio)),
                     QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, (x + y) % 2 ? 0xff000000u : 0xffffffffu);
        bitmap.AddVariant(image, ratio);
    }
    return bitmap;
}

struct RatioCase
{
    qreal dpr;
    int variant; // -1 the 1x picture
};

class VariantChoice : public ::testing::TestWithParam<RatioCase>
{
};

TEST_P(VariantChoice, LowestRatioAtOrAboveTheScreensElseTheHighest)
{
    const TBitmap32 bitmap = WithVariants(4, 4);
    ASSERT_EQ(bitmap.VariantCount(), 3);
    EXPECT_EQ(bitmap.VariantRatio(0), 1.25); // kept in ascending order
    EXPECT_EQ(bitmap.VariantRatio(2), 2.0);
    EXPECT_EQ(bitmap.VariantFor(GetParam().dpr), GetParam().variant) << "ratio " << GetParam().dpr;
    // Without variants everything paints from the 1x picture.
    EXPECT_EQ(TBitmap32(4, 4).VariantFor(GetParam().dpr), -1);
}

INSTANTIATE_TEST_SUITE_P(Ratios, VariantChoice,
                         ::testing::Values(RatioCase{1, -1}, RatioCase{0.5, -1},
                                           RatioCase{1.1, 0}, RatioCase{1.25, 0},
                                           RatioCase{1.2500001, 0}, RatioCase{1.3, 1},
                                           RatioCase{1.5, 1}, RatioCase{1.75, 2},
                                           RatioCase{2, 2}, RatioCase{3, 2}));

TEST(Bitmap32Variants, CopiesShareThemAndChangingThe1xPixelsDropsThem)
{
    const TBitmap32 source = WithVariants(3, 2);
    TBitmap32 layerBitmap;
    layerBitmap = source;
    ASSERT_EQ(layerBitmap.VariantCount(), 3);
    // Shared, not copied: the many layers that show one picture cost nothing more.
    EXPECT_EQ(layerBitmap.VariantImage(2).constBits(), source.VariantImage(2).constBits());
    EXPECT_EQ(layerBitmap.Width(), 3); // sizes stay those of the 1x picture
    EXPECT_EQ(layerBitmap.Pixel(0, 0), 0xff808080u);
    // A replaced ratio stays one variant.
    layerBitmap.AddVariant(Solid(6, 4, 0xff0000ffu), 2);
    EXPECT_EQ(layerBitmap.VariantCount(), 3);
    EXPECT_EQ(layerBitmap.VariantImage(2).pixel(0, 0), 0xff0000ffu);
    EXPECT_EQ(source.VariantImage(2).pixel(0, 0), 0xffffffffu);

    layerBitmap.SetPixel(0, 0, 0xff000000u);
    EXPECT_EQ(layerBitmap.VariantCount(), 0);
    layerBitmap = source;
    layerBitmap.SetImage(Solid(3, 2, 0xff000000u));
    EXPECT_EQ(layerBitmap.VariantCount(), 0);
    layerBitmap = source;
    layerBitmap.SetSize(5, 5);
    EXPECT_EQ(layerBitmap.VariantCount(), 0);
    EXPECT_EQ(source.VariantCount(), 3);
    EXPECT_THROW(layerBitmap.AddVariant(Solid(5, 5, 0), 1), std::invalid_argument);
    EXPECT_THROW(layerBitmap.AddVariant(QImage(), 2), std::invalid_argument);
}

TEST(Bitmap32Variants, ALazyRenderingIsDecodedOnceWhenAScreenOfItsRatioFirstPaintsIt)
{
    int decodes = 0;
    TBitmap32 list(Solid(4, 4, 0xff808080u));
    list.AddVariant([&] { return ++decodes, Solid(8, 8, 0xff0000ffu); }, 2);
    list.AddVariant([&] { return ++decodes, QImage(); }, 1.5); // fails: blown-up 1x instead
    ASSERT_EQ(list.VariantCount(), 2);
    EXPECT_FALSE(list.VariantDecoded(1));

    // The layers showing the picture share the one decoding; the 1x screen needs none.
    TImage32 image;
    image.resize(12, 12);
    TBitmapLayer* first = image.Layers().Add();
    TBitmapLayer* second = image.Layers().Add();
    for (TBitmapLayer* layer : {first, second}) {
        layer->Bitmap() = list;
        layer->SetLocation({4, 4, 8, 8});
    }
    auto paint = [&](qreal dpr) {
        QImage target(int(12 * dpr), int(12 * dpr), QImage::Format_RGB32);
        target.setDevicePixelRatio(dpr);
        QPainter painter(&target);
        image.PaintTo(painter, QRect(0, 0, 12, 12));
        painter.end();
        return target;
    };
    paint(1);
    EXPECT_EQ(decodes, 0);
    EXPECT_EQ(paint(2).pixel(9, 9), 0xff0000ffu);
    EXPECT_EQ(decodes, 1);
    EXPECT_TRUE(list.VariantDecoded(1));
    EXPECT_EQ(list.VariantImage(1).pixel(0, 0), 0xff0000ffu);
    paint(2);
    EXPECT_EQ(decodes, 1);

    EXPECT_EQ(paint(1.5).pixel(9, 9), 0xff808080u);
    EXPECT_EQ(decodes, 2);
    EXPECT_TRUE(list.VariantImage(0).isNull());
    paint(1.5);
    EXPECT_EQ(decodes, 2); // a failure is not retried on every paint
    EXPECT_THROW(list.AddVariant(std::function<QImage()>(), 2), std::invalid_argument);
}

// Paints one layer (at a place whose device coordinates are whole at every ratio used)
// into an image of the given device pixel ratio, over black.
QImage PaintAtRatio(const TBitmap32& picture, qreal dpr, uint8_t master, TDrawMode mode = dmBlend)
{
    TImage32 image;
    image.resize(24, 16);
    image.SetColor(Qt::black);
    TBitmapLayer* layer = image.Layers().Add();
    layer->Bitmap() = picture;
    layer->Bitmap().SetDrawMode(mode);
    layer->Bitmap().SetMasterAlpha(master);
    layer->SetLocation({4, 4, float(4 + picture.Width()), float(4 + picture.Height())});
    QImage target(int(std::lround(24 * dpr)), int(std::lround(16 * dpr)), QImage::Format_RGB32);
    target.setDevicePixelRatio(dpr);
    QPainter painter(&target);
    image.PaintTo(painter, QRect(0, 0, 24, 16));
    return target;
}

struct VariantPaintCase
{
    qreal dpr;
    uint8_t master;
    TDrawMode mode;
};

class VariantPainting : public ::testing::TestWithParam<VariantPaintCase>
{
};

TEST_P(VariantPainting, EachDevicePixelIsTheVariantsPixelBlendedByTheSameRule)
{
    const auto [dpr, master, mode] = GetParam();
    TBitmap32 picture = WithVariants(8, 8);
    // Half transparent in its variant, so that the blend rule shows.
    const int v = picture.VariantFor(dpr);
    ASSERT_GE(v, 0);
    QImage variant = picture.VariantImage(v);
    for (int y = 0; y < variant.height(); ++y)
        for (int x = 0; x < variant.width(); ++x)
            variant.setPixel(x, y, (variant.pixel(x, y) & 0x00ffffffu) | 0x80000000u);
    picture.AddVariant(variant, picture.VariantRatio(v));

    const QImage out = PaintAtRatio(picture, dpr, master, mode);
    const int origin = int(std::lround(4 * dpr));
    const double a = mode == dmOpaque ? 255 : std::round(128.0 * master / 255.0);
    int worst = 0;
    for (int y = 0; y < variant.height(); ++y) {
        for (int x = 0; x < variant.width(); ++x) {
            const int want = int(std::lround(qRed(variant.pixel(x, y)) * a / 255.0));
            worst = std::max(worst, std::abs(qRed(out.pixel(origin + x, origin + y)) - want));
        }
    }
    EXPECT_LE(worst, 1) << "ratio " << dpr << ", master alpha " << int(master);
    // Around it, the background.
    EXPECT_EQ(out.pixel(origin - 1, origin - 1), 0xff000000u);
    EXPECT_EQ(out.pixel(origin + variant.width(), origin), 0xff000000u);
}

INSTANTIATE_TEST_SUITE_P(Ratios, VariantPainting,
                         ::testing::Values(VariantPaintCase{2, 255, dmBlend},
                                           VariantPaintCase{2, 100, dmBlend},
                                           VariantPaintCase{1.5, 255, dmBlend},
                                           VariantPaintCase{1.5, 37, dmBlend},
                                           VariantPaintCase{1.25, 255, dmBlend},
                                           VariantPaintCase{2, 0, dmOpaque}));

TEST(VariantPaintingFallback, WithoutAVariantTheRatio2PaintIsThe1xPaintDoubled)
{
    TBitmap32 picture(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            picture.SetPixel(x, y, 0xc0000000u | uint32_t(x * 30 << 16) | uint32_t(y * 30));
    const QImage once = PaintAtRatio(picture, 1, 200);
    const QImage twice = PaintAtRatio(picture, 2, 200);
    int different = 0;
    for (int y = 0; y < twice.height(); ++y)
        for (int x = 0; x < twice.width(); ++x)
            different += twice.pixel(x, y) != once.pixel(x / 2, y / 2);
    EXPECT_EQ(different, 0);
    // And the master alpha's cache follows a change made after painting at another ratio.
    TBitmap32 shown = WithVariants(8, 8);
    const QImage bright = PaintAtRatio(shown, 2, 255);
    const QImage dim = PaintAtRatio(shown, 2, 50);
    EXPECT_EQ(qRed(bright.pixel(8, 8)), 255);
    EXPECT_EQ(qRed(dim.pixel(8, 8)), 50);
}

// ---------------------------------------------------------------------------------------
// Layers, hit testing and mouse routing

class LayersTest : public ::testing::Test
{
protected:
    TBitmapLayer* AddLayer(int left, int top, int w, int h)
    {
        TBitmapLayer* layer = image.Layers().Add();
        layer->Bitmap().SetImage(Solid(w, h, 0xff000000u));
        layer->Bitmap().SetDrawMode(dmBlend);
        layer->SetLocation({float(left), float(top), float(left + w), float(top + h)});
        return layer;
    }
    void Press(int x, int y, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(&image, button, Qt::NoModifier, QPoint(x, y));
    }
    TImage32 image;
};

struct HitCase
{
    double x, y;
    bool hit;
};

class HitTestEdges : public ::testing::TestWithParam<HitCase>
{
};

TEST_P(HitTestEdges, LeftAndTopIncludedRightAndBottomExcluded)
{
    TImage32 image;
    TBitmapLayer* layer = image.Layers().Add();
    layer->Bitmap().SetSize(53, 83);
    layer->Bitmap().SetMasterAlpha(0); // hit whatever the alpha
    layer->SetLocation({8, 232, 61, 315});
    const HitCase c = GetParam();
    EXPECT_EQ(image.Layers().HitTest(c.x, c.y), c.hit ? layer : nullptr)
        << "at (" << c.x << ", " << c.y << ")";
}

INSTANTIATE_TEST_SUITE_P(Slot1, HitTestEdges,
                         ::testing::Values(HitCase{8, 232, true}, HitCase{60, 314, true},
                                           HitCase{61, 232, false}, HitCase{8, 315, false},
                                           HitCase{7, 240, false}, HitCase{30, 231, false},
                                           HitCase{60.5, 314.5, true}));

TEST_F(LayersTest, NewLayersGoOnTopAndBringToFrontReorders)
{
    TBitmapLayer* a = AddLayer(0, 0, 10, 10);
    TBitmapLayer* b = AddLayer(0, 0, 10, 10);
    TBitmapLayer* c = AddLayer(0, 0, 10, 10);
    EXPECT_EQ(image.Layers().Count(), 3);
    EXPECT_EQ(a->Index(), 0);
    EXPECT_EQ(c->Index(), 2);
    EXPECT_EQ(image.Layers().HitTest(5, 5), c);
    a->BringToFront();
    EXPECT_EQ(image.Layers().Items(0), b);
    EXPECT_EQ(image.Layers().Items(1), c);
    EXPECT_EQ(image.Layers().Items(2), a);
    EXPECT_EQ(image.Layers().HitTest(5, 5), a);
    delete c; // a destroyed layer leaves its collection
    EXPECT_EQ(image.Layers().Count(), 2);
    EXPECT_EQ(a->Index(), 1);
    image.Layers().Clear();
    EXPECT_EQ(image.Layers().Count(), 0);
    EXPECT_EQ(image.Layers().HitTest(5, 5), nullptr);
}

TEST_F(LayersTest, MouseDownGoesToTheTopmostHitLayerOnly)
{
    image.resize(100, 100);
    int lowerCalls = 0;
    TBitmapLayer* lower = AddLayer(10, 10, 40, 40);
    lower->OnMouseDown = [&](TBitmapLayer* sender, Qt::MouseButton button, Qt::KeyboardModifiers,
                             int x, int y) {
        ++lowerCalls;
        EXPECT_EQ(sender, lower);
        EXPECT_EQ(button, Qt::LeftButton);
        EXPECT_EQ(x, 12);
        EXPECT_EQ(y, 45);
    };
    // A handler-less layer over part of it swallows the presses there.
    TBitmapLayer* cover = AddLayer(30, 30, 40, 40);
    cover->Bitmap().SetMasterAlpha(0); // invisible, still hit

    Press(35, 35);
    EXPECT_EQ(lowerCalls, 0);
    Press(12, 45);
    EXPECT_EQ(lowerCalls, 1);
    // Once on top the lower layer hears presses in the overlap too.
    lower->OnMouseDown = [&](TBitmapLayer*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        ++lowerCalls;
    };
    lower->BringToFront();
    Press(35, 35);
    EXPECT_EQ(lowerCalls, 2);
    Press(90, 90); // no layer there
    EXPECT_EQ(lowerCalls, 2);
}

TEST_F(LayersTest, MouseMoveReportsTheTopmostLayerOrNull)
{
    image.resize(100, 100);
    TBitmapLayer* a = AddLayer(0, 0, 20, 20);
    TBitmapLayer* b = AddLayer(10, 10, 20, 20);
    std::vector<std::pair<QPoint, TBitmapLayer*>> seen;
    image.OnMouseMove = [&](QObject* sender, Qt::KeyboardModifiers, int x, int y,
                            TBitmapLayer* layer) {
        EXPECT_EQ(sender, &image);
        seen.emplace_back(QPoint(x, y), layer);
    };
    for (QPoint p : {QPoint(5, 5), QPoint(15, 15), QPoint(50, 50), QPoint(29, 29)}) {
        QMouseEvent move(QEvent::MouseMove, p, image.mapToGlobal(p), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(&image, &move);
    }
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], std::make_pair(QPoint(5, 5), a));
    EXPECT_EQ(seen[1], std::make_pair(QPoint(15, 15), b));
    EXPECT_EQ(seen[2], std::make_pair(QPoint(50, 50), static_cast<TBitmapLayer*>(nullptr)));
    EXPECT_EQ(seen[3], std::make_pair(QPoint(29, 29), b));
}

TEST_F(LayersTest, ClickNeedsPressAndReleaseInside)
{
    image.resize(50, 50);
    AddLayer(0, 0, 50, 50); // layers do not keep the image from being clicked
    int clicks = 0;
    image.OnClick = [&](QObject*) { ++clicks; };
    QTest::mouseClick(&image, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(clicks, 1);
    QTest::mouseClick(&image, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(clicks, 1);
    QTest::mousePress(&image, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QTest::mouseRelease(&image, Qt::LeftButton, Qt::NoModifier, QPoint(60, 10));
    EXPECT_EQ(clicks, 1);
}

TEST(LayerHandlers, ClickHandlerMayDestroyTheImage)
{
    auto* image = new TImage32;
    image->resize(50, 50);
    for (int i = 0; i < 3; ++i) {
        TBitmapLayer* layer = image->Layers().Add();
        layer->Bitmap().SetSize(10, 10);
        layer->SetLocation({0, 0, 10, 10});
    }
    QPointer<TImage32> alive(image);
    image->OnClick = [&](QObject*) {
        image->Layers().Clear();
        delete image;
    };
    QTest::mouseClick(image, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(alive.isNull());
}

TEST(LayerHandlers, MouseDownHandlerMayDestroyLayersAndPaintingGoesOn)
{
    TImage32 image;
    image.resize(60, 60);
    image.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&image));
    std::vector<TBitmapLayer*> layers;
    for (int i = 0; i < 5; ++i) {
        TBitmapLayer* layer = image.Layers().Add();
        layer->Bitmap().SetImage(Solid(20, 20, 0xff0000ffu));
        layer->Bitmap().SetDrawMode(dmBlend);
        layer->SetLocation({float(i * 5), 0, float(i * 5 + 20), 20});
        layers.push_back(layer);
    }
    layers.back()->OnMouseDown = [&](TBitmapLayer* sender, Qt::MouseButton, Qt::KeyboardModifiers,
                                     int, int) {
        delete layers[1];
        delete sender; // the layer whose handler runs
        image.Repaint();
    };
    QTest::mousePress(&image, Qt::LeftButton, Qt::NoModifier, QPoint(25, 5));
    EXPECT_EQ(image.Layers().Count(), 3);
    image.Repaint();
    EXPECT_EQ(image.grab().toImage().pixel(30, 5), QColor(Qt::blue).rgb());
    EXPECT_EQ(image.grab().toImage().pixel(45, 5), QColor(Qt::white).rgb());
}

// ---------------------------------------------------------------------------------------
// Change tracking: what gets repainted, and when

class PaintRecorder : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
    int paints = 0;
    QRegion painted;
};

class ChangeTracking : public ::testing::Test
{
protected:
    void SetUp() override
    {
        image.resize(344, 538);
        image.SetColor(QColor(0, 128, 0));
        card = image.Layers().Add();
        card->Bitmap().SetImage(Solid(53, 83, 0xfeffffffu));
        card->Bitmap().SetDrawMode(dmBlend);
        card->SetLocation({8, 232, 61, 315});
        hidden = image.Layers().Add();
        hidden->Bitmap().SetImage(Solid(59, 89, 0xff000000u));
        hidden->Bitmap().SetDrawMode(dmBlend);
        hidden->Bitmap().SetMasterAlpha(0);
        hidden->SetLocation({269, 229, 328, 318});
        image.installEventFilter(&recorder);
        image.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&image));
        Settle();
    }
    // Every paint asked for so far has come once a one-pixel probe asked for now has been
    // painted: Qt paints earlier requests together with it or before it. So no fixed wait
    // is needed, and a late paint on a slow machine is still caught. The probe's pixel is a
    // corner no test changes. Returns what was painted since the last look, the probe's
    // pixel included; an empty region when even the probe was not painted.
    QRegion PaintedUpToNow()
    {
        const QRegion before = recorder.painted;
        Forget();
        image.update(Probe);
        if (!QTest::qWaitFor([&] { return recorder.painted.contains(Probe); }, 5000))
            return {};
        const QRegion painted = before + recorder.painted;
        Forget();
        return painted;
    }
    // Whether nothing but the probe was painted since the last look.
    bool NothingPainted() { return PaintedUpToNow() == QRegion(Probe); }
    // Lets every pending paint happen, then forgets it.
    void Settle() { ASSERT_FALSE(PaintedUpToNow().isEmpty()); }
    void Forget()
    {
        recorder.paints = 0;
        recorder.painted = QRegion();
    }
    bool WaitForPaint()
    {
        return QTest::qWaitFor([&] { return recorder.paints > 0; }, 1000);
    }

    const QRect Probe{343, 537, 1, 1};
    TImage32 image;
    TBitmapLayer* card = nullptr;
    TBitmapLayer* hidden = nullptr;
    PaintRecorder recorder;
};

TEST_F(ChangeTracking, AMoveRepaintsOldAndNewRectanglesOnly)
{
    card->SetLocation({38, 206, 91, 289});
    ASSERT_TRUE(WaitForPaint());
    const QRegion expected = QRegion(8, 232, 53, 83) + QRegion(38, 206, 53, 83);
    EXPECT_EQ(recorder.painted.intersected(expected), expected);
    EXPECT_TRUE(expected.boundingRect().contains(recorder.painted.boundingRect()))
        << "painted " << recorder.painted.boundingRect().width() << " x "
        << recorder.painted.boundingRect().height();
}

TEST_F(ChangeTracking, RepaintPaintsOnlyWhatChangedBeforeReturning)
{
    image.BeginUpdate();
    card->SetLocation({28, 232, 81, 315});
    image.EndUpdate();
    image.Repaint();
    EXPECT_EQ(recorder.paints, 1);
    EXPECT_EQ(recorder.painted.boundingRect(), QRect(8, 232, 73, 83));
    // The card (white, alpha 254) now covers what was green there.
    const QColor moved = image.grab().toImage().pixelColor(70, 250);
    EXPECT_GE(moved.red(), 253);
    EXPECT_GE(moved.blue(), 253);
}

TEST_F(ChangeTracking, BeginUpdateHoldsPaintsUntilEndUpdate)
{
    image.BeginUpdate();
    image.BeginUpdate(); // nested
    card->SetLocation({140, 8, 193, 91});
    card->Bitmap().SetMasterAlpha(100);
    image.Invalidate();
    image.Repaint();
    EXPECT_TRUE(NothingPainted());
    image.EndUpdate();
    EXPECT_TRUE(NothingPainted());
    image.EndUpdate();
    ASSERT_TRUE(WaitForPaint());
    // Invalidate asked for everything while suspended.
    EXPECT_EQ(recorder.painted, QRegion(image.rect()));
}

TEST_F(ChangeTracking, ChangesOfAHiddenLayerRepaintNothing)
{
    hidden->BringToFront();
    hidden->SetLocation({5, 229, 64, 318});
    hidden->Bitmap().SetDrawMode(dmBlend);
    EXPECT_TRUE(NothingPainted());
    // Showing it repaints its own rectangle.
    hidden->Bitmap().SetMasterAlpha(255);
    ASSERT_TRUE(WaitForPaint());
    EXPECT_EQ(recorder.painted.boundingRect(), QRect(5, 229, 59, 89));
}

TEST_F(ChangeTracking, BringToFrontRepaintsOnlyWhenTheOrderChanges)
{
    hidden->Bitmap().SetMasterAlpha(255);
    Settle();
    hidden->BringToFront(); // already on top
    EXPECT_TRUE(NothingPainted());
    card->BringToFront();
    ASSERT_TRUE(WaitForPaint());
    EXPECT_EQ(recorder.painted.boundingRect(), QRect(8, 232, 53, 83));
}

TEST(ImagePainting, BackgroundThenOwnBitmapThenLayersBottomToTop)
{
    TImage32 image;
    image.resize(4, 1);
    image.SetColor(QColor(0, 128, 0));
    image.Bitmap().SetImage(Solid(3, 1, 0xffff0000u)); // covers x 0..2
    image.Bitmap().SetDrawMode(dmBlend);
    TBitmapLayer* lower = image.Layers().Add();
    lower->Bitmap().SetImage(Solid(2, 1, 0xff0000ffu)); // x 1..2
    lower->Bitmap().SetDrawMode(dmBlend);
    lower->SetLocation({1, 0, 3, 1});
    TBitmapLayer* upper = image.Layers().Add();
    upper->Bitmap().SetImage(Solid(1, 1, 0xffffffffu)); // x 2
    upper->Bitmap().SetDrawMode(dmBlend);
    upper->SetLocation({1.6f, 0, 2.6f, 1}); // rounded to 2

    QImage target(4, 1, QImage::Format_RGB32);
    QPainter painter(&target);
    image.PaintTo(painter, target.rect());
    painter.end();
    EXPECT_EQ(target.pixel(0, 0), 0xffff0000u);
    EXPECT_EQ(target.pixel(1, 0), 0xff0000ffu);
    EXPECT_EQ(target.pixel(2, 0), 0xffffffffu);
    EXPECT_EQ(target.pixel(3, 0), 0xff008000u);
}

} // namespace
