#include "app/BCImageList.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

#include <algorithm>

namespace {

constexpr QRgb Marker = 0xFFFF00FF; // magenta: the disabled copy is in the cache
constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb Black = 0xFF000000;

bool Opaque(QRgb Pixel)
{
    return qAlpha(Pixel) != 0;
}

QRgb Mix(QRgb Pixel, QColor With, int Percent)
{
    const auto mix = [Percent](int a, int b) { return (a * (100 - Percent) + b * Percent) / 100; };
    return qRgba(mix(qRed(Pixel), With.red()), mix(qGreen(Pixel), With.green()),
                 mix(qBlue(Pixel), With.blue()), qAlpha(Pixel));
}

} // namespace

// --- TImageList -------------------------------------------------------------------------

TImageList::TImageList(QObject* AOwner) : QObject(AOwner) {}

TImageList::TImageList(int AWidth, int AHeight, QObject* AOwner)
    : QObject(AOwner), FWidth(std::max(0, AWidth)), FHeight(std::max(0, AHeight))
{
}

void TImageList::SetSize(int AWidth, int AHeight)
{
    FWidth = std::max(0, AWidth);
    FHeight = std::max(0, AHeight);
    Clear();
}

QImage TImageList::Masked(const QImage& Image, const QImage& Mask) const
{
    // Pictures are placed at the top-left corner, never scaled: a menu picture drawn
    // scaled would blur.
    const QImage source = Image.convertToFormat(QImage::Format_ARGB32);
    QImage result(FWidth, FHeight, QImage::Format_ARGB32);
    result.fill(Qt::transparent);
    const QImage mask = Mask.isNull() ? QImage() : Mask.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < std::min(FHeight, source.height()); ++y) {
        for (int x = 0; x < std::min(FWidth, source.width()); ++x) {
            const QRgb pixel = source.pixel(x, y);
            bool opaque;
            if (mask.isNull())
                opaque = qAlpha(pixel) >= 128;
            else
                opaque = x < mask.width() && y < mask.height() && qGray(mask.pixel(x, y)) < 128;
            if (opaque)
                result.setPixel(x, y, Image.hasAlphaChannel() ? pixel : (pixel | Black));
        }
    }
    return result;
}

int TImageList::Add(const QImage& Image)
{
    return Add(Image, QImage());
}

int TImageList::Add(const QImage& Image, const QImage& Mask)
{
    if (!HandleAllocated())
        return -1;
    FImages.push_back(Masked(Image, Mask));
    return Count() - 1;
}

void TImageList::Replace(int Index, const QImage& Image)
{
    Replace(Index, Image, QImage());
}

void TImageList::Replace(int Index, const QImage& Image, const QImage& Mask)
{
    if (Index >= 0 && Index < Count())
        FImages[size_t(Index)] = Masked(Image, Mask);
}

void TImageList::Clear()
{
    FImages.clear();
}

QImage TImageList::Picture(int Index) const
{
    if (Index < 0 || Index >= Count())
        return {};
    return FImages[size_t(Index)];
}

bool TImageList::GetImages(int Index, QImage& Image, QImage& Mask) const
{
    if (Index < 0 || Index >= Count())
        return false;
    const QImage& picture = FImages[size_t(Index)];
    Image = QImage(FWidth, FHeight, QImage::Format_RGB32);
    Image.fill(White);
    {
        QPainter painter(&Image);
        painter.drawImage(0, 0, picture);
    }
    Mask = QImage(FWidth, FHeight, QImage::Format_RGB32);
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x)
            Mask.setPixel(x, y, Opaque(picture.pixel(x, y)) ? Black : White);
    // Only opaque pixels carry the picture; the rest is white, as the mask says.
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x)
            if (Mask.pixel(x, y) == White)
                Image.setPixel(x, y, White);
    return true;
}

void TImageList::Draw(QPainter& Canvas, int X, int Y, int Index, bool Enabled)
{
    Draw(Canvas, X, Y, Index, TDrawingStyle::dsNormal, Enabled);
}

void TImageList::Draw(QPainter& Canvas, int X, int Y, int Index, TDrawingStyle Style, bool Enabled)
{
    if (Index < 0 || Index >= Count())
        return;
    DoDraw(Index, Canvas, X, Y, Style, Enabled);
}

void TImageList::DoDraw(int Index, QPainter& Canvas, int X, int Y, TDrawingStyle Style,
                        bool Enabled)
{
    if (Index < 0 || Index >= Count())
        return;
    const QImage& picture = FImages[size_t(Index)];
    if (Enabled) {
        if (Style != TDrawingStyle::dsFocus && Style != TDrawingStyle::dsSelected) {
            Canvas.drawImage(X, Y, picture);
            return;
        }
        const QColor highlight = QGuiApplication::palette().color(QPalette::Highlight);
        const int percent = Style == TDrawingStyle::dsFocus ? 25 : 50;
        QImage blended = picture;
        for (int y = 0; y < blended.height(); ++y)
            for (int x = 0; x < blended.width(); ++x)
                if (Opaque(blended.pixel(x, y)))
                    blended.setPixel(x, y, Mix(blended.pixel(x, y), highlight, percent));
        Canvas.drawImage(X, Y, blended);
        return;
    }
    // The plain list's disabled look: the shape embossed, a light copy below and right of
    // a dark one.
    const QPalette palette = QGuiApplication::palette();
    QImage light(picture.size(), QImage::Format_ARGB32);
    QImage dark(picture.size(), QImage::Format_ARGB32);
    light.fill(Qt::transparent);
    dark.fill(Qt::transparent);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (Opaque(picture.pixel(x, y))) {
                light.setPixel(x, y, palette.color(QPalette::Light).rgb());
                dark.setPixel(x, y, palette.color(QPalette::Mid).rgb());
            }
        }
    }
    Canvas.drawImage(X + 1, Y + 1, light);
    Canvas.drawImage(X, Y, dark);
}

QIcon TImageList::Icon(int Index)
{
    if (Index < 0 || Index >= Count())
        return {};
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(Picture(Index)), QIcon::Normal);

    // Drawn disabled onto white, then made transparent again where the mask says so.
    QImage canvas(FWidth, FHeight, QImage::Format_RGB32);
    canvas.fill(White);
    {
        QPainter painter(&canvas);
        Draw(painter, 0, 0, Index, TDrawingStyle::dsNormal, false);
    }
    QImage disabled = canvas.convertToFormat(QImage::Format_ARGB32);
    const QImage& picture = FImages[size_t(Index)];
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x)
            if (!Opaque(picture.pixel(x, y)))
                disabled.setPixel(x, y, qRgba(255, 255, 255, 0));
    icon.addPixmap(QPixmap::fromImage(disabled), QIcon::Disabled);
    return icon;
}

// --- TBCImageList -----------------------------------------------------------------------

TBCImageList::TBCImageList(QObject* AOwner) : TImageList(AOwner) {}

TBCImageList::TBCImageList(int AWidth, int AHeight, QObject* AOwner)
    : TImageList(AWidth, AHeight, AOwner)
{
}

TBCImageList::~TBCImageList() = default;

int TBCImageList::DisabledGrey(QRgb Colour)
{
    const int grey = (qRed(Colour) + qGreen(Colour) + qBlue(Colour)) / 3;
    return std::min(grey + 38, 255);
}

void TBCImageList::DoDraw(int Index, QPainter& Canvas, int X, int Y, TDrawingStyle Style,
                          bool Enabled)
{
    if (Enabled) {
        TImageList::DoDraw(Index, Canvas, X, Y, Style, Enabled);
        return;
    }
    if (!HandleAllocated())
        return;
    QImage image(Width(), Height(), QImage::Format_RGB32);
    QImage mask(Width(), Height(), QImage::Format_RGB32);
    if (!GetImages(Index, image, mask))
        return;
    MakeDisabledImage(image, mask, Index);

    // Transparent drawing by two raster operations (they need a raster paint device):
    // mask AND NOT canvas blackens the opaque area and inverts the rest; image XOR canvas
    // then puts the grey picture into the black and turns the inverted rest back.
    Canvas.save();
    Canvas.setCompositionMode(QPainter::RasterOp_SourceAndNotDestination);
    Canvas.drawImage(X, Y, mask);
    Canvas.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    Canvas.drawImage(X, Y, image);
    Canvas.restore();
}

void TBCImageList::MakeDisabledImage(QImage& Image, const QImage& Mask, int Index)
{
    const int width = Width();
    const int height = Height();
    const int top = height * Index;

    if (Index < FDisabledBitmap.height() && FDisabledBitmap.pixel(0, Index) == Marker) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                Image.setPixel(x, y, FDisabledBitmap.pixel(1 + x, top + y));
        return;
    }

    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (Mask.pixel(x, y) != Black)
                continue;
            const int v = DisabledGrey(Image.pixel(x, y));
            Image.setPixel(x, y, qRgb(v, v, v));
        }
    }

    // Grow (or shrink) the strip to the list; what is already cached stays in place.
    const QSize size(width + 1, height * Count());
    if (FDisabledBitmap.size() != size) {
        QImage resized(size, QImage::Format_RGB32);
        resized.fill(Black);
        if (!FDisabledBitmap.isNull()) {
            QPainter painter(&resized);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(0, 0, FDisabledBitmap);
        }
        FDisabledBitmap = resized;
    }

    FDisabledBitmap.setPixel(0, Index, Marker);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            FDisabledBitmap.setPixel(1 + x, top + y, Image.pixel(x, y));
}
