// The image widget zoomed: layers, hit testing and the mouse positions handed out stay in
// logical pixels, and what is painted comes from pictures drawn for the pixels it covers.

#include "platform/Image32.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

namespace {

int Px(int n, qreal ratio)
{
    return int(std::lround(n * ratio));
}

QImage Solid(int w, int h, uint32_t argb)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(argb);
    return image;
}

// What the test renderer draws at any ratio: a one-device-pixel black border and stripes
// one device pixel high, detail no enlarged 1x picture can carry.
QRgb Fine(int x, int y, QSize size)
{
    const bool border = x == 0 || y == 0 || x == size.width() - 1 || y == size.height() - 1;
    return border || y % 2 ? 0xff000000u : 0xffffffffu;
}

QImage FineRendering(int w, int h, qreal ratio)
{
    QImage image(Px(w, ratio), Px(h, ratio), QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, Fine(x, y, image.size()));
    return image;
}

// A card: light grey at 1x, drawn afresh for any other ratio; `renders` counts per ratio.
TBitmap32 Card(std::map<qreal, int>& renders)
{
    TBitmap32 card(Solid(53, 83, 0xffc0c0c0u));
    card.SetRenderer([&renders](qreal ratio) {
        ++renders[ratio];
        return FineRendering(53, 83, ratio);
    });
    return card;
}

const QColor Green(0, 128, 0);

// The table at `zoom`: slot 1's card at (8, 232)-(61, 315) and the pack's frame over
// (269, 229)-(328, 318), both logical.
class ZoomedTable : public ::testing::Test
{
protected:
    void Build(qreal zoom)
    {
        image.SetZoom(zoom);
        image.resize(Px(344, zoom), Px(538, zoom));
        image.SetColor(Green);
        card = image.Layers().Add();
        card->Bitmap() = Card(renders);
        card->Bitmap().SetDrawMode(dmBlend);
        card->SetLocation({8, 232, 61, 315});
        frame = image.Layers().Add();
        frame->Bitmap().SetImage(Solid(59, 89, 0xff000000u));
        frame->Bitmap().SetDrawMode(dmBlend);
        frame->SetLocation({269, 229, 328, 318});
    }
    TImage32 image;
    TBitmapLayer* card = nullptr;
    TBitmapLayer* frame = nullptr;
    std::map<qreal, int> renders;
};

// ---------------------------------------------------------------------------------------
// The pointer: every widget pixel of a logical pixel maps to that logical pixel, so the
// same layer hears it at every zoom.

struct PointCase
{
    int x, y;
    int layer; // 0 none, 1 the card, 2 the frame
};

const PointCase Points[] = {
    {8, 232, 1},   {60, 314, 1},  {61, 232, 0},  {7, 240, 0},   {30, 315, 0},
    {269, 229, 2}, {327, 317, 2}, {328, 300, 0}, {120, 470, 0}, {0, 0, 0},
};

class ZoomedPointer : public ZoomedTable, public ::testing::WithParamInterface<qreal>
{
};

TEST_P(ZoomedPointer, HitTestingAndMousePositionsStayLogical)
{
    const qreal zoom = GetParam();
    Build(zoom);
    EXPECT_EQ(image.LogicalWidth(), 344);
    EXPECT_EQ(image.LogicalHeight(), 538);
    QPoint pressedAt(-1, -1);
    TBitmapLayer* pressed = nullptr;
    for (TBitmapLayer* layer : {card, frame}) {
        layer->OnMouseDown = [&](TBitmapLayer* sender, Qt::MouseButton, Qt::KeyboardModifiers,
                                 int x, int y) {
            pressed = sender;
            pressedAt = QPoint(x, y);
        };
    }
    QPoint moved(-1, -1);
    TBitmapLayer* under = nullptr;
    image.OnMouseMove = [&](QObject*, Qt::KeyboardModifiers, int x, int y, TBitmapLayer* layer) {
        moved = QPoint(x, y);
        under = layer;
    };
    for (const PointCase& c : Points) {
        TBitmapLayer* const want[] = {nullptr, card, frame};
        // The first and the last widget position inside the logical pixel.
        const double first = c.x * zoom, last = (c.x + 1) * zoom - 0.01;
        for (double wx : {first, last}) {
            const QPointF at(wx, (c.y + 0.5) * zoom);
            QMouseEvent move(QEvent::MouseMove, at, image.mapToGlobal(at), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&image, &move);
            EXPECT_EQ(moved, QPoint(c.x, c.y)) << "widget x " << wx;
            EXPECT_EQ(under, want[c.layer]) << "(" << c.x << ", " << c.y << ") widget x " << wx;
            pressed = nullptr;
            QMouseEvent press(QEvent::MouseButtonPress, at, image.mapToGlobal(at), Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&image, &press);
            EXPECT_EQ(pressed, want[c.layer]) << "(" << c.x << ", " << c.y << ")";
            if (pressed) {
                EXPECT_EQ(pressedAt, QPoint(c.x, c.y));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Zooms, ZoomedPointer, ::testing::Values(1.0, 1.25, 1.5, 3.0),
                         [](const auto& info) { return std::to_string(int(info.param * 100)); });

// ---------------------------------------------------------------------------------------
// Painting

class ZoomedPainting : public ZoomedTable, public ::testing::WithParamInterface<qreal>
{
};

TEST_P(ZoomedPainting, TheCardIsItsRenderingForTheZoomOnePixelForOne)
{
    const qreal zoom = GetParam();
    Build(zoom);
    // A second layer showing the same picture shares its rendering.
    TBitmapLayer* twin = image.Layers().Add();
    twin->Bitmap() = card->Bitmap();
    twin->SetLocation({140, 8, 193, 91});
    const QImage shot = image.grab().toImage();
    ASSERT_EQ(shot.size(), QSize(Px(344, zoom), Px(538, zoom)));
    EXPECT_EQ(renders, (std::map<qreal, int>{{zoom, 1}}));
    const QSize size(Px(53, zoom), Px(83, zoom));
    const QPoint origin(Px(8, zoom), Px(232, zoom));
    int wrong = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            wrong += shot.pixel(origin.x() + x, origin.y() + y) != Fine(x, y, size);
    EXPECT_EQ(wrong, 0);
    // Green round it, up to the widget's last pixels.
    EXPECT_EQ(shot.pixel(origin.x() - 1, origin.y()), Green.rgb());
    EXPECT_EQ(shot.pixel(origin.x() + size.width(), origin.y()), Green.rgb());
    EXPECT_EQ(shot.pixel(shot.width() - 1, shot.height() - 1), Green.rgb());
    // Painting again renders nothing more.
    image.grab();
    EXPECT_EQ(renders[zoom], 1);
}

INSTANTIATE_TEST_SUITE_P(Zooms, ZoomedPainting, ::testing::Values(1.25, 1.5, 2.0, 2.5, 3.0),
                         [](const auto& info) { return std::to_string(int(info.param * 100)); });

TEST_F(ZoomedTable, AtZoom1NothingIsRenderedAndThe1xPictureIsPainted)
{
    Build(1);
    const QImage shot = image.grab().toImage();
    EXPECT_TRUE(renders.empty());
    EXPECT_EQ(shot.size(), QSize(344, 538));
    EXPECT_EQ(shot.pixel(8, 232), 0xffc0c0c0u);
    EXPECT_EQ(shot.pixel(60, 314), 0xffc0c0c0u);
    EXPECT_EQ(shot.pixel(61, 314), Green.rgb());
}

// A variant of exactly the ratio is used as it is; for any other ratio the renderer draws
// afresh rather than the nearest variant being resampled.
TEST(ZoomedPictures, AMatchingVariantFirstThenTheRendererNeverAResampledBitmap)
{
    std::map<qreal, int> renders;
    TImage32 image;
    image.SetColor(Green);
    TBitmapLayer* layer = image.Layers().Add();
    layer->Bitmap() = Card(renders);
    layer->Bitmap().AddVariant(Solid(106, 166, 0xff0000ffu), 2);
    layer->SetLocation({0, 0, 53, 83});
    for (qreal zoom : {2.0, 2.5}) {
        image.SetZoom(zoom);
        image.resize(Px(60, zoom), Px(90, zoom));
        const QImage shot = image.grab().toImage();
        // Rows 50 and 51 at 2.5: a white and a black stripe.
        EXPECT_EQ(shot.pixel(Px(20, zoom), Px(20, zoom)), zoom == 2 ? 0xff0000ffu : 0xffffffffu)
            << "zoom " << zoom;
        EXPECT_EQ(shot.pixel(Px(20, zoom), Px(20, zoom) + 1), zoom == 2 ? 0xff0000ffu : 0xff000000u)
            << "zoom " << zoom;
    }
    EXPECT_EQ(renders, (std::map<qreal, int>{{2.5, 1}}));
}

TEST(ZoomedPictures, RenderingsAreKeptForTheLastFewRatiosAndDroppedWithThe1xPixels)
{
    std::map<qreal, int> renders;
    const TBitmap32 list = Card(renders);
    TBitmap32 copy;
    copy = list;
    EXPECT_EQ(copy.RenderedImage(2.5).size(), QSize(Px(53, 2.5), Px(83, 2.5)));
    EXPECT_EQ(list.RenderedImage(2.5).constBits(), copy.RenderedImage(2.5).constBits());
    EXPECT_EQ(renders[2.5], 1);
    for (qreal ratio : {3.0, 4.0, 5.0})
        copy.RenderedImage(ratio);
    EXPECT_EQ(list.RenderedCount(), TBitmap32::RenderedRatiosKept);
    // 2.5 went first, being the one unseen longest; 5 is still there.
    list.RenderedImage(5.0);
    EXPECT_EQ(renders[5.0], 1);
    list.RenderedImage(2.5);
    EXPECT_EQ(renders[2.5], 2);

    copy.SetImage(Solid(53, 83, 0xff000000u));
    EXPECT_FALSE(copy.HasRenderer());
    EXPECT_TRUE(copy.RenderedImage(2.5).isNull());
    EXPECT_TRUE(list.HasRenderer());
    EXPECT_THROW(copy.SetRenderer(nullptr), std::invalid_argument);
}

TEST(ZoomedPictures, AFailedRenderingFallsBackAndIsNotTriedAgainAtEveryPaint)
{
    int tries = 0;
    TImage32 image;
    image.SetZoom(2);
    image.resize(40, 40);
    TBitmapLayer* layer = image.Layers().Add();
    layer->Bitmap().SetImage(Solid(10, 10, 0xffff0000u));
    layer->Bitmap().SetRenderer([&](qreal) { return ++tries, QImage(); });
    layer->SetLocation({2, 2, 12, 12});
    const QImage shot = image.grab().toImage();
    image.grab();
    EXPECT_EQ(tries, 1);
    EXPECT_EQ(shot.pixel(4, 4), 0xffff0000u); // the 1x picture, as a last resort
}

TEST(ZoomedPictures, ZoomMustBePositive)
{
    TImage32 image;
    for (qreal bad : {0.0, -1.0, std::numeric_limits<qreal>::quiet_NaN(),
                      std::numeric_limits<qreal>::infinity()})
        EXPECT_THROW(image.SetZoom(bad), std::invalid_argument) << bad;
    EXPECT_EQ(image.Zoom(), 1);
}

// ---------------------------------------------------------------------------------------
// Change tracking: a layer's change repaints the widget pixels it covered and covers.

class PaintRecorder : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
    QRegion painted;
};

TEST_F(ZoomedTable, AMoveRepaintsTheWidgetPixelsOfTheOldAndNewPlaces)
{
    const qreal zoom = 1.5;
    Build(zoom);
    PaintRecorder recorder;
    image.installEventFilter(&recorder);
    image.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&image));
    // The first paints are over once a one-pixel probe asked for now has been painted (Qt
    // paints earlier requests with it or before it); then only the move's paints count.
    const QRect probe(image.width() - 1, image.height() - 1, 1, 1);
    recorder.painted = QRegion();
    image.update(probe);
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.painted.contains(probe); }, 5000));
    recorder.painted = QRegion();
    card->SetLocation({38, 206, 91, 289});
    image.Repaint();
    // Exactly where the picture lies at 1.5: from (12, 348) and from (57, 309), 80 x 125.
    const QRegion touched = QRegion(12, 348, 80, 125) + QRegion(57, 309, 80, 125);
    EXPECT_EQ(recorder.painted.intersected(touched), touched);
    const QRect bound = touched.boundingRect().adjusted(-2, -2, 2, 2);
    EXPECT_TRUE(bound.contains(recorder.painted.boundingRect()));
    EXPECT_EQ(image.WidgetRect(QRect(38, 206, 53, 83)), QRect(56, 308, 82, 127));
}

} // namespace
