#pragma once
// What the window system underneath lets the program do, and the few places where the
// program works around what it cannot: window placement, window frames, cursors.

#include <QCursor>
#include <QGuiApplication>
#include <QString>

// True where the program may place its own windows. Wayland compositors place every
// window themselves and silently ignore a position asked for; there a dialog is a
// transient child of the main window, which the compositor may centre over it.
bool CanPlaceWindows(const QString& Platform = QGuiApplication::platformName());

// The frame of the program's dialogs and message boxes: a title and a close box, no
// minimise or maximise box (they are modal and of fixed size, so those could do nothing).
Qt::WindowFlags DialogFrameFlags();

// The cursor over the table while cards are dealt: "wait, cards are being dealt".
QCursor DealCursor(const QString& Platform = QGuiApplication::platformName());
