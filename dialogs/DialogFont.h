#pragma once
// The dialogs' font: Tahoma 8 points, or a sans-serif of similar metrics where Tahoma is
// not installed, so that the designed sizes still hold their texts.

#include <QFont>

QFont DialogFont();
