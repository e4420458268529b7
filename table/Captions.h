#pragma once
// The scoreboard captions show the match's goals, clock and period.

#include <QLabel>
#include <QString>

namespace table {

// A goal count before the game's first goal, as the strip is designed.
inline const QString NoGoalsCaption = QStringLiteral("0  ");

// Labels size themselves to their caption and keep their left edge, so a longer text
// grows to the right.
inline void SetCaption(QLabel* Label, const QString& Text)
{
    Label->setText(Text);
    Label->adjustSize();
}

} // namespace table
