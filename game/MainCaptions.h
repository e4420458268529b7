#pragma once
// The scoreboard captions hold match state (goals, clock) as text: small helpers the
// engine's files share to write and read them.

#include <QLabel>
#include <QString>

namespace engine {

// Labels size themselves to their caption and keep their left edge, so a longer text
// grows to the right.
inline void SetCaption(QLabel* Label, const QString& Text)
{
    Label->setText(Text);
    Label->adjustSize();
}

// A clock text "m:ss" (or "mm:ss") split at its colon.
struct TClockText
{
    int Minutes = 0;
    int Seconds = 0;
};

inline TClockText SplitClock(const QString& Text)
{
    const qsizetype colon = Text.indexOf(QLatin1Char(':'));
    return {Text.left(colon).trimmed().toInt(), Text.mid(colon + 1, 2).toInt()};
}

} // namespace engine
