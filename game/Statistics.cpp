#include "game/Statistics.h"

#include <algorithm>

namespace {

// Adds Amount without passing MaxCount.
void Add(int64_t& Count, int64_t Amount)
{
    Count = std::min(Count + Amount, TLevelRecord::MaxCount);
}

} // namespace

void RecordSeries(TStatisticsRecord& Record, const TSeriesSummary& Series)
{
    if (Series.Level >= SkillLevelCount)
        return;
    TLevelRecord& level = Record.Of(Series.Level);
    for (const TGameResult& game : Series.Games) {
        const int own = std::max(game.PlayerGoals, 0);
        const int their = std::max(game.ComputerGoals, 0);
        Add(level.GoalsFor, own);
        Add(level.GoalsAgainst, their);
        if (game.Drawn || own == their) {
            Add(level.GamesDrawn, 1);
        } else if (own > their) {
            Add(level.GamesWon, 1);
            if (game.DecidedInOvertime)
                Add(level.OvertimeWins, 1);
        } else {
            Add(level.GamesLost, 1);
        }
    }
    Add(level.SeriesPlayed, 1);
    if (Series.PlayerWon) {
        Add(level.SeriesWon, 1);
        Add(level.CurrentStreak, 1);
        level.LongestStreak = std::max(level.LongestStreak, level.CurrentStreak);
    } else {
        Add(level.SeriesLost, 1);
        level.CurrentStreak = 0;
    }
}

int WinPercent(const TLevelRecord& Level)
{
    if (Level.SeriesPlayed <= 0)
        return -1;
    return int((Level.SeriesWon * 200 + Level.SeriesPlayed) / (Level.SeriesPlayed * 2));
}

void Sanitize(TLevelRecord& Level)
{
    for (const TFigure& figure : Figures)
        Level.*figure.Member = std::clamp<int64_t>(Level.*figure.Member, 0, TLevelRecord::MaxCount);
    Level.LongestStreak = std::max(Level.LongestStreak, Level.CurrentStreak);
}
