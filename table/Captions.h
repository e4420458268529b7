#pragma once
// The scoreboard captions show the match's goals, clock and period.

#include <QLabel>
#include <QString>

namespace table {

// Labels size themselves to their caption and keep their left edge, so a longer text
// grows to the right.
inline void SetCaption(QLabel* Label, const QString& Text)
{
    Label->setText(Text);
    Label->adjustSize();
}

} // namespace table
