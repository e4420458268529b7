#pragma once
// Draws every picture of the game with QPainter, in logical pixels, so that one drawing
// serves every device pixel ratio.

#include <QImage>
#include <QString>

#include <vector>

struct TPictureEntry
{
    QString Name; // file name of its record, e.g. "card00"
    int Width;    // logical size
    int Height;
};

// Fonts used for lettering, loaded from files so the output is the same everywhere.
struct TPictureFonts
{
    QString Sans;  // Liberation Sans (Regular, Bold, Italic registered)
    QString Serif; // Liberation Serif
};

// Registers the Liberation faces the pictures are lettered in from `folder` (a folder on
// disk, or a resource folder such as ":/bt/fonts") and names their families. Needs a
// QGuiApplication; throws std::runtime_error when a font cannot be loaded.
TPictureFonts LoadPictureFonts(const QString& folder);

// Every picture in record order: 52 faces, 9 game pictures, 2 logo pictures, 2 menu icons.
std::vector<TPictureEntry> AllPictures();

// Renders one picture at `dpr` device pixels per logical pixel: Format_ARGB32, straight alpha.
QImage RenderPicture(const QString& name, const TPictureFonts& fonts, qreal dpr);

// The application icon, `size` x `size` pixels (16 to 1024): two fanned cards over a
// green rink, with less detail at the small sizes. Format_ARGB32, straight alpha.
QImage RenderAppIcon(const TPictureFonts& fonts, int size);

// The sizes the icon is written in, for the desktop's icon theme and the title bar.
inline const int AppIconSizes[] = {16, 24, 32, 48, 64, 128, 256, 512};
