#pragma once
// The program's error message box: captioned with the program's name, with an error icon
// and an OK button, shown modally over Parent. Used for failures the player should know
// about but that do not stop the game, such as a settings file that cannot be written.

#include <QString>

class QWidget;

void ShowErrorMessage(QWidget* Parent, const QString& Text);
