#pragma once
// The game's pictures, drawn at build time and carried inside the program as raw image
// records (32-bit width, 32-bit height, then blue, green, red, alpha bytes per pixel).

#include "platform/Image32.h"

#include <QByteArray>
#include <QImage>

constexpr int CardFaceCount = 52; // index suit * 13 + value: diamonds, hearts, spades, clubs
constexpr int GamePictureCount = 9;
constexpr int LogoPictureCount = 2;
constexpr int MenuImageCount = 2; // 0 Exit (an open door), 1 About (a round "i" sign)

// Clears the three lists and fills them in their fixed order: 52 card faces; the blue and
// red backs, the pack and discard marks, the empty slot outline, the turn arrow and the
// black, red and blue highlight frames; the logo and its "Click here!" caption. Every
// picture keeps its defaults: opaque drawing, master alpha 255.
// `scale` 2 gives the same pictures drawn at twice the size, for high-density screens.
// Throws std::runtime_error if a picture is missing or damaged.
void LoadGameImages(TBitmap32List& cards, TBitmap32List& game, TBitmap32List& logo, int scale = 1);

// A 16 x 16 menu picture (32 x 32 for scale 2) with alpha, Format_ARGB32.
QImage MenuImage(int index, int scale = 1);

// Decodes one raw image record; throws std::runtime_error when it is malformed.
QImage ReadImageRecord(const QByteArray& record);
