#pragma once
// The game's pictures, drawn at build time and carried inside the program as raw image
// records (32-bit width, 32-bit height, then blue, green, red, alpha bytes per pixel), and
// the application icon.

#include "platform/Image32.h"

#include <QByteArray>
#include <QIcon>
#include <QImage>

#include <vector>

constexpr int CardFaceCount = 52; // index suit * 13 + value: diamonds, hearts, spades, clubs
constexpr int GamePictureCount = 9;
constexpr int LogoPictureCount = 2;
constexpr int MenuImageCount = 2; // 0 Exit (an open door), 1 About (a round "i" sign)

// The device pixel ratios every picture is drawn at, ascending, starting with 1.
const std::vector<qreal>& PictureRatios();

// Clears the three lists and fills them in their fixed order: 52 card faces; the blue and
// red backs, the pack and discard marks, the empty slot outline, the turn arrow and the
// black, red and blue highlight frames; the logo and its "Click here!" caption. Every
// picture keeps its defaults: opaque drawing, master alpha 255.
// With `ratio` 1 (the game's) each picture is its 1x rendering and carries the renderings
// of the other PictureRatios() as variants, so a TImage32 paints it sharply on any screen;
// for any other ratio (a zoomed table) it is drawn afresh when first painted.
// Another of PictureRatios() fills the lists with that rendering alone as the pictures'
// own pixels, for looking at it.
// Throws std::runtime_error for an unknown ratio or a missing or damaged picture; the
// lists are then left as they were.
void LoadGameImages(TBitmap32List& cards, TBitmap32List& game, TBitmap32List& logo,
                    qreal ratio = 1);

// A 16 x 16 menu picture drawn at `ratio` (one of PictureRatios(): 16, 20, 24 or 32 pixels
// square) with alpha, Format_ARGB32.
QImage MenuImage(int index, qreal ratio = 1);
// The menu picture at every ratio in one icon: Qt picks the one for the screen.
QIcon MenuIcon(int index);

// The application icon's sizes in pixels, and the icon itself with all of them, for
// QApplication::setWindowIcon (title bar and task bar).
const std::vector<int>& ApplicationIconSizes();
QIcon ApplicationIcon();
// One size of it; throws std::runtime_error for a size not in ApplicationIconSizes().
QImage ApplicationIconImage(int size);

// Decodes one raw image record; throws std::runtime_error when it is malformed.
QImage ReadImageRecord(const QByteArray& record);
