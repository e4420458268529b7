#include "platform/WindowSystem.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

namespace {

bool IsWayland(const QString& Platform)
{
    // "wayland", "wayland-egl", ...
    return Platform.startsWith(QLatin1String("wayland"));
}

// A still hourglass, drawn here so that it has one frame only.
QCursor StillHourglass()
{
    constexpr int Size = 24;
    QPixmap picture(Size, Size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.5));
    // Top and bottom bars, the glass between them, sand in the lower half.
    painter.setBrush(Qt::black);
    painter.drawRect(QRectF(5, 2, 14, 2));
    painter.drawRect(QRectF(5, 20, 14, 2));
    painter.setBrush(Qt::white);
    const QPolygonF glass({{7, 4}, {17, 4}, {12.5, 11.5}, {17, 20}, {7, 20}, {11.5, 11.5}});
    painter.drawPolygon(glass);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(160, 110, 30));
    painter.drawPolygon(QPolygonF({{12, 14}, {15.5, 19}, {8.5, 19}}));
    painter.end();
    return QCursor(picture, Size / 2, Size / 2);
}

} // namespace

bool CanPlaceWindows(const QString& Platform)
{
    return !IsWayland(Platform);
}

Qt::WindowFlags DialogFrameFlags()
{
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
}

QCursor DealCursor(const QString& Platform)
{
    // Cursor themes animate the wait cursor. Qt's Wayland client (seen with 6.4) frees the
    // cursor's frame callback from inside that callback's own handler, and the program can
    // crash while the deal handles events with the pointer over the table. A still picture
    // of the same meaning needs no frame callback. No Qt release is known to be free of it,
    // so this holds for every Qt on Wayland. X11 animates cursors in the server, safely.
    if (IsWayland(Platform))
        return StillHourglass();
    return QCursor(Qt::WaitCursor);
}
