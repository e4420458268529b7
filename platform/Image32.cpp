#include "platform/Image32.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

// x * a / 255, rounded to the nearest integer, for x and a in 0..255.
inline uint32_t MulDiv255(uint32_t x, uint32_t a)
{
    const uint32_t t = x * a + 128;
    return (t + (t >> 8)) >> 8;
}

// A hair of slack: ratios such as 1.25 reach us through floating-point arithmetic.
constexpr qreal RatioSlack = 1e-3;

bool SameRatio(qreal a, qreal b)
{
    return std::abs(a - b) < RatioSlack;
}

// How renderings are told apart: the ratio in thousandths.
int RatioKey(qreal ratio)
{
    return int(std::lround(ratio * 1000));
}

// The painter's scale: how many of its device's logical pixels one unit of drawing covers.
qreal PainterScale(const QPainter& painter)
{
    const QTransform& world = painter.worldTransform();
    if (world.type() <= QTransform::TxTranslate)
        return 1;
    return std::sqrt(std::abs(world.determinant()));
}

} // namespace

// ---------------------------------------------------------------------------------------
// TBitmap32

TBitmap32::TBitmap32(int width, int height)
{
    SetSize(width, height);
}

TBitmap32::TBitmap32(QImage image)
{
    FImage = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_ARGB32);
}

TBitmap32::TBitmap32(const TBitmap32& other)
    : FImage(other.FImage), FDrawMode(other.FDrawMode), FMasterAlpha(other.FMasterAlpha),
      FPrepared(other.FPrepared), FPreparedValid(other.FPreparedValid), FVariants(other.FVariants),
      FRendered(other.FRendered), FPreparedRenderingKey(other.FPreparedRenderingKey),
      FPreparedRendering(other.FPreparedRendering)
{
    // OnChange belongs to the owner of this bitmap, not to the source's owner.
}

TBitmap32& TBitmap32::operator=(const TBitmap32& other)
{
    Assign(other);
    return *this;
}

void TBitmap32::Assign(const TBitmap32& source)
{
    if (&source == this)
        return;
    // QImage shares the pixels until one side writes, so copying a list picture is cheap;
    // the prepared form is shared too while it still matches the settings.
    FImage = source.FImage;
    FDrawMode = source.FDrawMode;
    FMasterAlpha = source.FMasterAlpha;
    FPrepared = source.FPrepared;
    FPreparedValid = source.FPreparedValid;
    FVariants = source.FVariants;
    FRendered = source.FRendered;
    FPreparedRenderingKey = source.FPreparedRenderingKey;
    FPreparedRendering = source.FPreparedRendering;
    if (OnChange)
        OnChange();
}

int TBitmap32::Width() const
{
    return FImage.width();
}

int TBitmap32::Height() const
{
    return FImage.height();
}

void TBitmap32::SetSize(int width, int height)
{
    if (width <= 0 || height <= 0) {
        FImage = QImage();
    } else {
        FImage = QImage(width, height, QImage::Format_ARGB32);
        FImage.fill(0u);
    }
    DropVariants();
    Changed();
}

void TBitmap32::SetDrawMode(TDrawMode mode)
{
    if (mode == FDrawMode)
        return;
    FDrawMode = mode;
    Changed();
}

void TBitmap32::SetMasterAlpha(uint8_t alpha)
{
    if (alpha == FMasterAlpha)
        return;
    FMasterAlpha = alpha;
    Changed();
}

uint32_t TBitmap32::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= FImage.width() || y >= FImage.height())
        return 0;
    return reinterpret_cast<const uint32_t*>(FImage.constScanLine(y))[x];
}

void TBitmap32::SetPixel(int x, int y, uint32_t argb)
{
    if (x < 0 || y < 0 || x >= FImage.width() || y >= FImage.height())
        return;
    reinterpret_cast<uint32_t*>(FImage.scanLine(y))[x] = argb;
    DropVariants();
    Changed();
}

void TBitmap32::SetImage(const QImage& image)
{
    FImage = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_ARGB32);
    DropVariants();
    Changed();
}

void TBitmap32::AddVariant(const QImage& image, qreal ratio)
{
    if (image.isNull() || !(ratio > 1))
        throw std::invalid_argument("a variant needs a picture and a ratio above 1");
    auto source = std::make_shared<TVariantSource>();
    source->Image = image.convertToFormat(QImage::Format_ARGB32);
    source->Decoded = true;
    InsertVariant({ratio, std::move(source), QImage()});
}

void TBitmap32::AddVariant(std::function<QImage()> load, qreal ratio)
{
    if (!load || !(ratio > 1))
        throw std::invalid_argument("a variant needs a picture and a ratio above 1");
    auto source = std::make_shared<TVariantSource>();
    source->Load = std::move(load);
    InsertVariant({ratio, std::move(source), QImage()});
}

void TBitmap32::InsertVariant(TVariant variant)
{
    const qreal ratio = variant.Ratio;
    auto it = std::find_if(FVariants.begin(), FVariants.end(),
                           [ratio](const TVariant& v) { return v.Ratio >= ratio; });
    if (it != FVariants.end() && it->Ratio == ratio)
        *it = std::move(variant);
    else
        FVariants.insert(it, std::move(variant));
    Changed();
}

int TBitmap32::VariantFor(qreal devicePixelRatio) const
{
    constexpr qreal slack = RatioSlack;
    if (FVariants.empty() || devicePixelRatio <= 1 + slack)
        return -1;
    for (int i = 0; i < int(FVariants.size()); ++i) {
        if (FVariants[size_t(i)].Ratio >= devicePixelRatio - slack)
            return i;
    }
    return int(FVariants.size()) - 1;
}

void TBitmap32::DropVariants()
{
    FVariants.clear();
    FRendered.reset();
}

void TBitmap32::SetRenderer(TRenderer render)
{
    if (!render)
        throw std::invalid_argument("a renderer needs something to draw with");
    FRendered = std::make_shared<TRenderCache>();
    FRendered->Render = std::move(render);
    Changed();
}

TBitmap32::TRendering* TBitmap32::Rendering(qreal ratio) const
{
    if (!FRendered || !(ratio > 0))
        return nullptr;
    std::vector<TRendering>& kept = FRendered->Kept;
    const int key = RatioKey(ratio);
    auto it =
        std::find_if(kept.begin(), kept.end(), [key](const TRendering& r) { return r.Key == key; });
    if (it != kept.end()) {
        // Most recently used goes last, so the one dropped is the one unseen longest.
        std::rotate(it, it + 1, kept.end());
    } else {
        // A failed rendering is kept too (as a null picture), so it is not tried at every
        // paint.
        const QImage image = FRendered->Render(ratio);
        if (int(kept.size()) >= RenderedRatiosKept)
            kept.erase(kept.begin());
        kept.push_back({key,
                        image.isNull() ? QImage() : image.convertToFormat(QImage::Format_ARGB32),
                        QImage()});
    }
    return kept.back().Image.isNull() ? nullptr : &kept.back();
}

const QImage& TBitmap32::RenderedImage(qreal ratio) const
{
    static const QImage none;
    const TRendering* rendering = Rendering(ratio);
    return rendering ? rendering->Image : none;
}

TBitmap32::TChoice TBitmap32::Choose(qreal ratio) const
{
    if (ratio <= 1 + RatioSlack)
        return {};
    const int v = VariantFor(ratio);
    if (v >= 0 && SameRatio(VariantRatio(v), ratio) && !VariantImage(v).isNull())
        return {TChoice::Variant, v, VariantRatio(v)};
    if (Rendering(ratio))
        return {TChoice::Rendered, -1, ratio};
    if (v >= 0 && !VariantImage(v).isNull())
        return {TChoice::Variant, v, VariantRatio(v)};
    return {};
}

const QImage& TBitmap32::ImageFor(qreal ratio) const
{
    const TChoice choice = Choose(ratio);
    switch (choice.Kind) {
    case TChoice::Variant:
        return VariantImage(choice.Index);
    case TChoice::Rendered:
        return RenderedImage(ratio);
    default:
        return FImage;
    }
}

int TBitmap32::RenderedCount() const
{
    return FRendered ? int(FRendered->Kept.size()) : 0;
}

const QImage& TBitmap32::PreparedRendering(qreal ratio) const
{
    static const QImage none;
    TRendering* rendering = Rendering(ratio);
    if (!rendering)
        return none;
    // The copies on the table mostly blend at full master alpha: they share one prepared
    // form instead of each keeping its own at the large sizes.
    if (FDrawMode == dmBlend && FMasterAlpha == 255) {
        if (rendering->PreparedBlend.isNull())
            rendering->PreparedBlend = Prepare(rendering->Image);
        return rendering->PreparedBlend;
    }
    if (FPreparedRenderingKey != rendering->Key || FPreparedRendering.isNull()) {
        FPreparedRendering = Prepare(rendering->Image);
        FPreparedRenderingKey = rendering->Key;
    }
    return FPreparedRendering;
}

void TBitmap32::Changed()
{
    FPreparedValid = false;
    FPrepared = QImage();
    for (TVariant& v : FVariants)
        v.Prepared = QImage();
    FPreparedRenderingKey = 0;
    FPreparedRendering = QImage();
    if (OnChange)
        OnChange();
}

const QImage& TBitmap32::Prepared() const
{
    if (!FPreparedValid) {
        FPrepared = Prepare(FImage);
        FPreparedValid = true;
    }
    return FPrepared;
}

const QImage& TBitmap32::VariantImage(int index) const
{
    TVariantSource& source = *FVariants.at(size_t(index)).Source;
    if (!source.Decoded) {
        QImage image = source.Load();
        source.Image = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_ARGB32);
        source.Decoded = true;
        source.Load = nullptr; // whatever it captured is no longer needed
    }
    return source.Image;
}

const QImage& TBitmap32::PreparedVariant(int index) const
{
    const TVariant& v = FVariants.at(size_t(index));
    if (v.Prepared.isNull()) {
        const QImage& image = VariantImage(index);
        if (!image.isNull())
            v.Prepared = Prepare(image);
    }
    return v.Prepared;
}

QImage TBitmap32::Prepare(const QImage& source) const
{
    const int w = source.width();
    const int h = source.height();
    QImage prepared;
    if (FDrawMode == dmOpaque) {
        // Opaque drawing copies the colours and ignores every alpha.
        prepared = QImage(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y) {
            auto src = reinterpret_cast<const uint32_t*>(source.constScanLine(y));
            auto dst = reinterpret_cast<uint32_t*>(prepared.scanLine(y));
            for (int x = 0; x < w; ++x)
                dst[x] = src[x] | 0xff000000u;
        }
    } else {
        // Source-over of this premultiplied form gives below + (pixel - below) * a / 255
        // with a = pixel alpha * master alpha / 255, each product rounded.
        prepared = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
        const uint32_t master = FMasterAlpha;
        for (int y = 0; y < h; ++y) {
            auto src = reinterpret_cast<const uint32_t*>(source.constScanLine(y));
            auto dst = reinterpret_cast<uint32_t*>(prepared.scanLine(y));
            for (int x = 0; x < w; ++x) {
                const uint32_t p = src[x];
                const uint32_t a = MulDiv255(p >> 24, master);
                const uint32_t r = MulDiv255((p >> 16) & 0xff, a);
                const uint32_t g = MulDiv255((p >> 8) & 0xff, a);
                const uint32_t b = MulDiv255(p & 0xff, a);
                dst[x] = (a << 24) | (r << 16) | (g << 8) | b;
            }
        }
    }
    return prepared;
}

// ---------------------------------------------------------------------------------------
// TBitmapLayer

TBitmapLayer::TBitmapLayer(TLayerCollection& owner) : FOwner(owner)
{
    FBitmap.OnChange = [this] { Refresh(); };
    FOwner.Attach(this);
}

TBitmapLayer::~TBitmapLayer()
{
    FOwner.Detach(this);
}

void TBitmapLayer::SetLocation(const TFloatRect& location)
{
    if (location == FLocation)
        return;
    FLocation = location;
    Refresh();
}

void TBitmapLayer::BringToFront()
{
    FOwner.MoveToFront(this);
}

int TBitmapLayer::Index() const
{
    const auto& items = FOwner.FItems;
    const auto it = std::find(items.begin(), items.end(), this);
    return it == items.end() ? -1 : int(it - items.begin());
}

QRect TBitmapLayer::PaintRect() const
{
    return QRect(int(std::lround(FLocation.Left)), int(std::lround(FLocation.Top)), FBitmap.Width(),
                 FBitmap.Height());
}

void TBitmapLayer::Refresh()
{
    const QRect now = FBitmap.Shows() ? PaintRect() : QRect();
    TImage32& image = FOwner.Image();
    // Only what changed: a move repaints where the layer was and where it is now.
    image.InvalidateRect(FShownRect);
    if (now != FShownRect)
        image.InvalidateRect(now);
    FShownRect = now;
}

// ---------------------------------------------------------------------------------------
// TLayerCollection

TLayerCollection::~TLayerCollection()
{
    Clear();
}

TBitmapLayer* TLayerCollection::Add()
{
    return new TBitmapLayer(*this);
}

void TLayerCollection::Clear()
{
    if (FClearing)
        return;
    FClearing = true;
    std::vector<TBitmapLayer*> items;
    items.swap(FItems);
    QRegion shown;
    for (TBitmapLayer* layer : items) {
        shown += layer->FShownRect;
        delete layer;
    }
    FClearing = false;
    for (const QRect& r : shown)
        FOwner.InvalidateRect(r);
}

TBitmapLayer* TLayerCollection::HitTest(double x, double y) const
{
    for (auto it = FItems.rbegin(); it != FItems.rend(); ++it) {
        const TFloatRect& r = (*it)->Location();
        if (r.Left <= x && x < r.Right && r.Top <= y && y < r.Bottom)
            return *it;
    }
    return nullptr;
}

void TLayerCollection::Attach(TBitmapLayer* layer)
{
    FItems.push_back(layer);
}

void TLayerCollection::Detach(TBitmapLayer* layer)
{
    if (FClearing)
        return;
    const auto it = std::find(FItems.begin(), FItems.end(), layer);
    if (it != FItems.end())
        FItems.erase(it);
    FOwner.InvalidateRect(layer->FShownRect);
}

void TLayerCollection::MoveToFront(TBitmapLayer* layer)
{
    if (!FItems.empty() && FItems.back() == layer)
        return;
    const auto it = std::find(FItems.begin(), FItems.end(), layer);
    if (it == FItems.end())
        return;
    FItems.erase(it);
    FItems.push_back(layer);
    FOwner.InvalidateRect(layer->FShownRect);
}

// ---------------------------------------------------------------------------------------
// TImage32

TImage32::TImage32(QWidget* parent) : QWidget(parent)
{
    // The background colour covers every pixel, so Qt need not clear first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    FBitmap.OnChange = [this] { Changed(); };
}

TImage32::~TImage32()
{
    // Layers go first, while the widget is still whole; they need not repaint anything.
    FDestroying = true;
    FLayers.Clear();
}

void TImage32::SetColor(const QColor& color)
{
    if (color == FColor)
        return;
    FColor = color;
    Changed();
}

void TImage32::BeginUpdate()
{
    ++FUpdateCount;
}

void TImage32::EndUpdate()
{
    if (FUpdateCount == 0 || --FUpdateCount > 0)
        return;
    if (FPendingAll) {
        FPendingAll = false;
        FPending = QRegion();
        Changed();
    } else if (!FPending.isEmpty()) {
        const QRegion pending = FPending;
        FPending = QRegion();
        for (const QRect& r : pending)
            InvalidateRect(r);
    }
}

void TImage32::Changed()
{
    if (FDestroying)
        return;
    if (FUpdateCount > 0) {
        FPendingAll = true;
        return;
    }
    FDirty = QRegion(rect());
    update();
}

void TImage32::Invalidate()
{
    Changed();
}

void TImage32::Repaint()
{
    if (FDestroying)
        return;
    if (FUpdateCount > 0) {
        FPendingAll = true;
        return;
    }
    if (FDirty.isEmpty())
        repaint();
    else
        repaint(FDirty);
}

void TImage32::InvalidateRect(const QRect& rect)
{
    if (FDestroying || rect.isEmpty())
        return;
    if (FUpdateCount > 0) {
        FPending += rect;
        return;
    }
    if (!isVisible())
        return; // showing it paints everything anyway
    const QRect r = WidgetRect(rect) & this->rect();
    if (r.isEmpty())
        return;
    FDirty += r;
    update(r);
}

void TImage32::DrawBitmap(QPainter& painter, const TBitmap32& bitmap, QPoint at, const QRect& clip,
                          qreal ratio) const
{
    if (!bitmap.Shows())
        return;
    const QRect area(at, bitmap.Image().size());
    const QRect target = area & clip;
    if (target.isEmpty())
        return;
    if (ratio == 1) {
        painter.drawImage(target.topLeft(), bitmap.Prepared(), target.translated(-at));
        return;
    }
    // Above ratio 1 the painter clips to `clip`, and whole pictures are drawn.
    static const QImage none;
    const TBitmap32::TChoice choice = bitmap.Choose(ratio);
    const QImage* picture =
        choice.Kind == TBitmap32::TChoice::Variant    ? &bitmap.PreparedVariant(choice.Index)
        : choice.Kind == TBitmap32::TChoice::Rendered ? &bitmap.PreparedRendering(ratio)
                                                      : &none;
    const qreal pictureRatio = choice.Ratio;
    if (picture->isNull()) {
        // No rendering for this screen (or it failed to decode): blow the 1x picture up.
        // Whole-number ratios keep it exact with nearest-neighbour; others would double
        // some pixels and not their neighbours, which looks worse than smoothing.
        const bool whole = ratio == std::floor(ratio);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, !whole);
        painter.drawImage(area, bitmap.Prepared());
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        return;
    }
    if (SameRatio(pictureRatio, ratio)) {
        // One picture pixel per device pixel: no resampling at all. The picture may be a
        // fraction of a device pixel smaller than the area, its size having been rounded.
        const QTransform world = painter.worldTransform();
        if (world.type() <= QTransform::TxScale && world.m11() == world.m22()) {
            // Placed in device pixels, Qt blends it like a 1x picture; through the
            // painter's scale it would take the much slower scaling path, even at 1:1.
            const qreal dpr = ratio / PainterScale(painter);
            const QPointF origin = world.map(QPointF(at)) * dpr;
            painter.setWorldTransform(QTransform::fromScale(1 / dpr, 1 / dpr));
            painter.drawImage(QPoint(int(std::lround(origin.x())), int(std::lround(origin.y()))),
                              *picture);
            painter.setWorldTransform(world);
        } else {
            painter.drawImage(QRectF(QPointF(at), QSizeF(picture->size()) / ratio), *picture);
        }
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRectF(area), *picture);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

void TImage32::PaintTo(QPainter& painter, const QRect& clip) const
{
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const qreal ratio = dpr * PainterScale(painter);
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setOpacity(1.0);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (ratio != 1)
        painter.setClipRect(clip, Qt::IntersectClip);
    painter.fillRect(clip, FColor);
    DrawBitmap(painter, FBitmap, QPoint(0, 0), clip, ratio);
    // Indexes, not iterators: nothing here calls out, but the collection may have shrunk
    // since the paint was asked for.
    for (int i = 0; i < FLayers.Count(); ++i) {
        const TBitmapLayer* layer = FLayers.Items(i);
        DrawBitmap(painter, layer->Bitmap(), layer->PaintRect().topLeft(), clip, ratio);
    }
    painter.restore();
}

void TImage32::SetZoom(qreal zoom)
{
    if (!(zoom > 0) || !std::isfinite(zoom))
        throw std::invalid_argument("a zoom must be above 0");
    if (zoom == FZoom)
        return;
    FZoom = zoom;
    Changed();
}

int TImage32::LogicalWidth() const
{
    return FZoom == 1 ? width() : int(std::lround(width() / FZoom));
}

int TImage32::LogicalHeight() const
{
    return FZoom == 1 ? height() : int(std::lround(height() / FZoom));
}

QPoint TImage32::LogicalPoint(const QPointF& widgetPos) const
{
    return QPoint(int(std::floor(widgetPos.x() / FZoom)), int(std::floor(widgetPos.y() / FZoom)));
}

QRect TImage32::WidgetRect(const QRect& logical) const
{
    if (FZoom == 1 || logical.isEmpty())
        return logical;
    // A picture lands on whole device pixels, up to half a one beyond its exact place.
    const int left = int(std::floor(logical.left() * FZoom)) - 1;
    const int top = int(std::floor(logical.top() * FZoom)) - 1;
    const int right = int(std::ceil((logical.right() + 1) * FZoom)) + 1;
    const int bottom = int(std::ceil((logical.bottom() + 1) * FZoom)) + 1;
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

void TImage32::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRegion region = event->region();
    const qreal ratio = devicePixelRatioF() * FZoom;
    // At a fractional ratio a logical rectangle ends inside a device pixel that Qt still
    // expects us to paint; one logical pixel more on each side covers it. Painting a spot
    // twice gives the same result, so overlaps are harmless.
    const int grow = ratio == std::floor(ratio) ? 0 : 1;
    if (FZoom == 1) {
        for (const QRect& r : region)
            PaintTo(painter, r.adjusted(-grow, -grow, grow, grow) & rect());
    } else {
        painter.scale(FZoom, FZoom);
        // Every logical pixel the widget shows any part of.
        const QRect all(0, 0, int(std::ceil(width() / FZoom)), int(std::ceil(height() / FZoom)));
        for (const QRect& r : region) {
            const QPoint from(int(std::floor(r.left() / FZoom)), int(std::floor(r.top() / FZoom)));
            const QPoint to(int(std::ceil((r.right() + 1) / FZoom)) - 1,
                            int(std::ceil((r.bottom() + 1) / FZoom)) - 1);
            PaintTo(painter, QRect(from, to).adjusted(-grow, -grow, grow, grow) & all);
        }
    }
    FDirty -= region;
}

void TImage32::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = LogicalPoint(event->position());
    const int x = at.x();
    const int y = at.y();
    event->accept();
    if (!OnMouseMove)
        return;
    TBitmapLayer* layer = FLayers.HitTest(x, y);
    const TImageMouseMoveEvent handler = OnMouseMove; // the handler may replace or free it
    handler(this, event->modifiers(), x, y, layer);
}

void TImage32::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = LogicalPoint(event->position());
    const int x = at.x();
    const int y = at.y();
    event->accept();
    if (event->button() == Qt::LeftButton)
        FPressed = true;
    // Only the topmost layer under the pointer hears the press; without a handler it
    // swallows it. The handler may run event loops and destroy layers or this image, so
    // nothing of either is touched after it returns.
    TBitmapLayer* layer = FLayers.HitTest(x, y);
    if (!layer || !layer->OnMouseDown)
        return;
    const TLayerMouseDownEvent handler = layer->OnMouseDown;
    handler(layer, event->button(), event->modifiers(), x, y);
}

void TImage32::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || !FPressed)
        return;
    FPressed = false;
    if (!rect().contains(event->position().toPoint()) || !OnClick)
        return;
    const TNotifyEvent handler = OnClick; // may destroy this image
    handler(this);
}
