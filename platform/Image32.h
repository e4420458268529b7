#pragma once
// Layered bitmaps on Qt: 32-bit pictures with straight alpha, a draw mode and a master
// alpha; an image widget that paints its background, its own bitmap and a stack of
// positioned bitmap layers, and routes the mouse to them. Just what the table, the card
// move, the about screen and the scoreboard arrows need, and nothing more.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct TFloatRect
{
    float Left = 0, Top = 0, Right = 0, Bottom = 0;
    friend bool operator==(const TFloatRect&, const TFloatRect&) = default;
};
struct TFloatPoint
{
    float X = 0, Y = 0;
    friend bool operator==(const TFloatPoint&, const TFloatPoint&) = default;
};
using TArrayOfFloatPoint = std::vector<TFloatPoint>;

enum TDrawMode : uint8_t
{
    dmOpaque,
    dmBlend
};

// A 32-bit picture: pixels 0xAARRGGBB, straight (not premultiplied) alpha.
class TBitmap32
{
public:
    TBitmap32() = default;
    TBitmap32(int width, int height);
    explicit TBitmap32(QImage image); // converted to straight ARGB32
    TBitmap32(const TBitmap32& other);
    TBitmap32& operator=(const TBitmap32& other); // same as Assign

    // Copies pixels, draw mode and master alpha.
    void Assign(const TBitmap32& source);

    int Width() const;
    int Height() const;
    void SetSize(int width, int height); // pixels become transparent black

    TDrawMode DrawMode() const { return FDrawMode; }
    void SetDrawMode(TDrawMode mode);
    uint8_t MasterAlpha() const { return FMasterAlpha; }
    void SetMasterAlpha(uint8_t alpha);

    // Width, Height, Pixel and Image are the picture at one device pixel per logical
    // pixel, whatever screen it is painted on.
    uint32_t Pixel(int x, int y) const;
    void SetPixel(int x, int y, uint32_t argb);
    const QImage& Image() const { return FImage; } // Format_ARGB32, straight alpha
    void SetImage(const QImage& image);

    // Renderings of the same picture for screens with more device pixels per logical pixel:
    // `image` is the picture drawn at `ratio` (> 1) device pixels per logical pixel, about
    // Width() * ratio by Height() * ratio, straight alpha. Painting picks the one that fits
    // the screen; a variant of the same ratio is replaced. Changing the 1x pixels (SetSize,
    // SetPixel, SetImage) drops every variant, since they would no longer show the same.
    void AddVariant(const QImage& image, qreal ratio);
    // The same, decoded only when first needed (painted on a screen of that ratio, or asked
    // for by VariantImage): most screens never use the larger renderings, which together
    // weigh several times the 1x picture. `load` runs at most once for the picture and all
    // its copies; a null result leaves the variant empty and painting blows up the 1x
    // picture instead.
    void AddVariant(std::function<QImage()> load, qreal ratio);
    int VariantCount() const { return int(FVariants.size()); }
    qreal VariantRatio(int index) const { return FVariants.at(index).Ratio; }
    const QImage& VariantImage(int index) const; // decodes it if it is not yet
    bool VariantDecoded(int index) const { return FVariants.at(index).Source->Decoded; }
    // The variant painting at `devicePixelRatio` draws from: the lowest ratio at or above
    // it, else the highest there is; -1 for the 1x picture (at ratio 1, or with no variants).
    int VariantFor(qreal devicePixelRatio) const;

    // Draws the picture afresh for any ratio no variant matches exactly, so a zoomed table
    // is as sharp as the 1x one and never a bitmap blown up. `render(ratio)` returns the
    // picture at `ratio` device pixels per logical pixel, about Width() * ratio by
    // Height() * ratio, straight alpha. It runs once per ratio for the picture and all its
    // copies, and what it returns is kept for the few ratios used last; a null result
    // falls back to the variants. Changing the 1x pixels drops it, like the variants.
    using TRenderer = std::function<QImage(qreal ratio)>;
    void SetRenderer(TRenderer render);
    bool HasRenderer() const { return FRendered != nullptr; }
    // The rendering painting at `ratio` draws from when no variant matches it exactly
    // (renders it if it is not kept yet); null without a renderer.
    const QImage& RenderedImage(qreal ratio) const;
    // The picture painting at `ratio` draws from, straight alpha: a variant of exactly
    // that ratio, else a rendering for it, else the nearest variant (VariantFor), else the
    // 1x picture. Decodes or renders what it needs.
    const QImage& ImageFor(qreal ratio) const;
    // How many ratios are kept rendered for this picture and its copies.
    int RenderedCount() const;
    // At most this many rendered ratios are kept per picture: resizing the window freely
    // passes through many, and only the last ones are likely to be seen again.
    static constexpr int RenderedRatiosKept = 3;

    // Called after every change, so the owner (a layer or an image) can repaint.
    std::function<void()> OnChange;

    // True when painting it would change something: opaque, or blended with master alpha > 0.
    bool Shows() const { return !FImage.isNull() && (FDrawMode == dmOpaque || FMasterAlpha > 0); }

private:
    friend class TImage32;
    void Changed();
    // The picture as it is painted: premultiplied with the master alpha folded in (blend),
    // or with the alpha forced to 255 (opaque). Built on first use after a change; a
    // variant's only when a screen of its ratio paints it.
    const QImage& Prepared() const;
    const QImage& PreparedVariant(int index) const;
    QImage Prepare(const QImage& source) const;
    void DropVariants();

    // A rendering, shared by every copy of the picture so that it is decoded once.
    struct TVariantSource
    {
        std::function<QImage()> Load; // dropped once it has run
        QImage Image;
        bool Decoded = false;
    };
    struct TVariant
    {
        qreal Ratio = 1;
        std::shared_ptr<TVariantSource> Source;
        mutable QImage Prepared; // null until painted after the last change
    };
    void InsertVariant(TVariant variant);

    QImage FImage;
    TDrawMode FDrawMode = dmOpaque;
    uint8_t FMasterAlpha = 255;
    mutable QImage FPrepared;
    mutable bool FPreparedValid = false;
    std::vector<TVariant> FVariants; // ascending ratios, all above 1

    // What a renderer drew, shared by every copy of the picture, most recently used last.
    struct TRendering
    {
        int Key = 0; // the ratio in thousandths
        QImage Image;
        QImage PreparedBlend; // Prepare()d for blending at master alpha 255, the usual case
    };
    struct TRenderCache
    {
        TRenderer Render;
        std::vector<TRendering> Kept;
    };
    TRendering* Rendering(qreal ratio) const; // null when nothing could be rendered
    // What painting at a ratio draws from; Ratio is that picture's own.
    struct TChoice
    {
        enum TKind : uint8_t
        {
            OneX,
            Variant,
            Rendered
        } Kind = OneX;
        int Index = -1; // of the variant
        qreal Ratio = 1;
    };
    TChoice Choose(qreal ratio) const;
    const QImage& PreparedRendering(qreal ratio) const;
    std::shared_ptr<TRenderCache> FRendered;
    mutable int FPreparedRenderingKey = 0; // ratio of FPreparedRendering, 0 for none
    mutable QImage FPreparedRendering;     // for other settings than blend at 255
};

// An ordered list of pictures addressed by index.
class TBitmap32List
{
public:
    int Count() const { return int(FItems.size()); }
    const TBitmap32& Bitmap(int index) const { return *FItems.at(index); }
    TBitmap32& Bitmap(int index) { return *FItems.at(index); }
    void Add(const TBitmap32& bitmap) { FItems.push_back(std::make_unique<TBitmap32>(bitmap)); }
    void Clear() { FItems.clear(); }

private:
    std::vector<std::unique_ptr<TBitmap32>> FItems;
};

class TImage32;
class TLayerCollection;

using TLayerMouseDownEvent = std::function<void(class TBitmapLayer* Sender, Qt::MouseButton Button,
                                                Qt::KeyboardModifiers Shift, int X, int Y)>;

class TBitmapLayer
{
public:
    explicit TBitmapLayer(TLayerCollection& owner); // appended on top of the collection
    ~TBitmapLayer();
    TBitmapLayer(const TBitmapLayer&) = delete;
    TBitmapLayer& operator=(const TBitmapLayer&) = delete;

    TBitmap32& Bitmap() { return FBitmap; } // assigning to it copies; changes repaint
    const TBitmap32& Bitmap() const { return FBitmap; }
    const TFloatRect& Location() const { return FLocation; }
    void SetLocation(const TFloatRect& location);
    void BringToFront();
    int Index() const; // position in the collection, 0 at the bottom
    int Tag = 0;
    TLayerMouseDownEvent OnMouseDown; // empty: the layer swallows the press

    TLayerCollection& Collection() const { return FOwner; }
    // Pixel rectangle the layer covers on its image: (Left, Top) rounded, bitmap size.
    QRect PaintRect() const;

private:
    friend class TLayerCollection;
    // Repaints what the last change touched: the rectangle last shown and the new one.
    void Refresh();
    TLayerCollection& FOwner;
    TBitmap32 FBitmap;
    TFloatRect FLocation;
    QRect FShownRect; // what the screen shows of this layer now; empty when it draws nothing
};

class TLayerCollection
{
public:
    explicit TLayerCollection(TImage32& owner) : FOwner(owner) {}
    ~TLayerCollection();

    int Count() const { return int(FItems.size()); }
    TBitmapLayer* Items(int index) const { return FItems.at(index); }
    TBitmapLayer* Add(); // a new layer on top
    void Clear();        // destroys all layers
    TImage32& Image() const { return FOwner; }
    // The topmost layer whose location holds (x, y): Left <= x < Right, Top <= y < Bottom.
    TBitmapLayer* HitTest(double x, double y) const;

private:
    friend class TBitmapLayer;
    void Attach(TBitmapLayer* layer);
    void Detach(TBitmapLayer* layer);
    void MoveToFront(TBitmapLayer* layer);
    TImage32& FOwner;
    std::vector<TBitmapLayer*> FItems; // owned; bottom first
    bool FClearing = false;
};

using TImageMouseMoveEvent = std::function<void(QObject* Sender, Qt::KeyboardModifiers Shift, int X,
                                                int Y, TBitmapLayer* Layer)>;
using TNotifyEvent = std::function<void(QObject* Sender)>;

// A widget that paints its background colour, its own bitmap, then its layers bottom to top.
class TImage32 : public QWidget
{
public:
    explicit TImage32(QWidget* parent = nullptr);
    ~TImage32() override;

    TLayerCollection& Layers() { return FLayers; }
    TBitmap32& Bitmap() { return FBitmap; } // empty by default
    QColor Color() const { return FColor; }
    void SetColor(const QColor& color);

    void BeginUpdate();
    void EndUpdate(); // repaints what changed while suspended
    bool Updating() const { return FUpdateCount > 0; }
    void Changed();    // everything needs repainting
    void Invalidate(); // repaint soon
    void Repaint();    // paint what changed now, before returning (everything if nothing did)

    // Marks a rectangle dirty (or collects it while updates are suspended).
    void InvalidateRect(const QRect& rect);

    TImageMouseMoveEvent OnMouseMove;
    TNotifyEvent OnClick;

    // Paints background, bitmap and layers into `painter` (also used by paintEvent). `clip`
    // is in logical pixels; when the painter's device pixel ratio times its scale is above
    // 1, every picture comes from its rendering for that ratio, so the result is as sharp
    // as the device.
    void PaintTo(QPainter& painter, const QRect& clip) const;

    // Widget pixels per logical pixel (1 by default): the layers, their locations, hit
    // testing and the mouse positions handed out stay logical; painting and the mapping
    // of the pointer scale. Setting it repaints everything.
    qreal Zoom() const { return FZoom; }
    void SetZoom(qreal zoom);
    // The widget's size in logical pixels.
    int LogicalWidth() const;
    int LogicalHeight() const;
    // Logical pixel under a widget position, and the widget pixels a logical rectangle
    // may touch when painted.
    QPoint LogicalPoint(const QPointF& widgetPos) const;
    QRect WidgetRect(const QRect& logical) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    friend class TLayerCollection;
    void DrawBitmap(QPainter& painter, const TBitmap32& bitmap, QPoint at, const QRect& clip,
                    qreal ratio) const; // device pixels per logical pixel
    TLayerCollection FLayers{*this};
    TBitmap32 FBitmap;
    QColor FColor = Qt::white;
    qreal FZoom = 1;
    int FUpdateCount = 0;
    QRegion FPending;         // collected while updates are suspended
    bool FPendingAll = false; // Changed() while suspended
    QRegion FDirty;           // asked for but not painted yet
    bool FPressed = false;
    bool FDestroying = false;
};
