#pragma once
// The table's fixed look, shared by the scene, the card moves, the pack and the about screen.

#include <QColor>
#include <QImage>

// The cloth of the card table: red 0, green 128, blue 0.
inline QColor TableGreen()
{
    return QColor(0, 128, 0);
}

// The playable slot's marker: a card-sized picture with transparency, drawn at Ratio
// device pixels per pixel.
QImage MarkerPicture(qreal Ratio);
