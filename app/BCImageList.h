#pragma once
// Image lists for the menu.
//
// TImageList: a list of equally sized images, each with a transparency mask, drawn by
// index onto a painter. TBCImageList: the menu's list; it draws a disabled image as a
// light grey rendering of the picture, made once per image and cached, instead of the
// embossed look of the plain list.
//
//     MenuImageList = new TBCImageList(16, 16, this);
//     MenuImageList->Add(MenuImage(0));             // Exit
//     FileExitAction->setIcon(MenuImageList->Icon(0));

#include <QIcon>
#include <QImage>
#include <QObject>

#include <cstdint>
#include <vector>

class QPainter;

// How an enabled image is drawn: plainly, or blended with the highlight colour as a
// focused (25 %) or selected (50 %) item.
enum class TDrawingStyle : uint8_t
{
    dsFocus,
    dsSelected,
    dsNormal,
    dsTransparent
};

class TImageList : public QObject
{
    Q_OBJECT

public:
    explicit TImageList(QObject* AOwner = nullptr);
    TImageList(int AWidth, int AHeight, QObject* AOwner = nullptr);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // A new size empties the list.
    void SetSize(int AWidth, int AHeight);
    int Count() const { return int(FImages.size()); }
    // Whether the list can hold images (it has a size).
    bool HandleAllocated() const { return FWidth > 0 && FHeight > 0; }

    // Adds a picture whose alpha channel says what is transparent (alpha below 128).
    // Returns its index, or -1 when the list has no size.
    int Add(const QImage& Image);
    // Adds a picture with a mask: black where the picture is opaque, white where it is
    // transparent.
    int Add(const QImage& Image, const QImage& Mask);
    void Replace(int Index, const QImage& Image);
    void Replace(int Index, const QImage& Image, const QImage& Mask);
    void Clear();

    // Image Index as the list gives it: Image, the picture drawn onto white; Mask, black
    // where the picture is opaque and white where it is transparent. Both are Width x
    // Height, format RGB32. False for an index outside the list.
    bool GetImages(int Index, QImage& Image, QImage& Mask) const;
    // The stored picture with transparency, as drawn when enabled.
    QImage Picture(int Index) const;

    void Draw(QPainter& Canvas, int X, int Y, int Index, bool Enabled = true);
    void Draw(QPainter& Canvas, int X, int Y, int Index, TDrawingStyle Style, bool Enabled);

    // An icon with the enabled and the disabled form of image Index, for actions and menus.
    QIcon Icon(int Index);

protected:
    virtual void DoDraw(int Index, QPainter& Canvas, int X, int Y, TDrawingStyle Style,
                        bool Enabled);

private:
    QImage Masked(const QImage& Image, const QImage& Mask) const;

    int FWidth = 16;
    int FHeight = 16;
    std::vector<QImage> FImages; // ARGB32, alpha 0 where the mask is white, 255 elsewhere
};

class TBCImageList : public TImageList
{
    Q_OBJECT

public:
    explicit TBCImageList(QObject* AOwner = nullptr);
    TBCImageList(int AWidth, int AHeight, QObject* AOwner = nullptr);
    ~TBCImageList() override;

    // The cache of disabled images: column 0 holds a marker pixel per image (magenta
    // once cached), and the grey copy of image i fills columns 1..Width, rows
    // Height*i .. Height*(i+1)-1.
    const QImage& DisabledBitmap() const { return FDisabledBitmap; }

    // The grey of a disabled pixel: the mean of its channels rounded down, plus 38, at
    // most 255.
    static int DisabledGrey(QRgb Colour);

protected:
    void DoDraw(int Index, QPainter& Canvas, int X, int Y, TDrawingStyle Style,
                bool Enabled) override;

private:
    void MakeDisabledImage(QImage& Image, const QImage& Mask, int Index);

    QImage FDisabledBitmap;
};
