#pragma once
// The player's record across series, kept per level of the computer. Plain C++: the
// engine, the score sheet and the tests feed it finished series as small summaries.
//
// How a series counts:
// - a series counts once it has ended, or once it is given up (New Game, Options with OK)
//   after its first move: then as lost, with the games it finished. Closing the window
//   gives nothing up: the series goes on at the next start;
// - its games count one by one: won or lost by their goals, drawn when marked so or when
//   the goals are level; an overtime win is a game the player won in overtime;
// - goals for are the player's, goals against the computer's;
// - the winning streak counts series, not games: a won series adds one to it, a lost
//   series ends it. A drawn game inside a series neither breaks nor extends it; only the
//   series' winner matters. The longest streak is the best the current one ever reached.

#include <array>
#include <cstdint>
#include <vector>

#include "game/Cards.h"

struct TGameResult
{
    int ComputerGoals = 0;
    int PlayerGoals = 0;
    bool Drawn = false;             // ended level, with no winner
    bool DecidedInOvertime = false; // the deciding goal fell in overtime

    friend bool operator==(const TGameResult&, const TGameResult&) = default;
};

struct TSeriesSummary
{
    TSkillLevel Level = slRookie;
    std::vector<TGameResult> Games; // in the order they were played
    bool PlayerWon = false;         // who won the series
};

// One level's figures. Every count stays within 0 .. MaxCount: adding beyond it stops
// there instead of wrapping round.
struct TLevelRecord
{
    static constexpr int64_t MaxCount = 1'000'000'000;

    int64_t SeriesPlayed = 0;
    int64_t SeriesWon = 0;
    int64_t SeriesLost = 0;
    int64_t GamesWon = 0;
    int64_t GamesLost = 0;
    int64_t GamesDrawn = 0;
    int64_t OvertimeWins = 0;
    int64_t GoalsFor = 0;
    int64_t GoalsAgainst = 0;
    int64_t CurrentStreak = 0; // series won in a row, up to now
    int64_t LongestStreak = 0; // the longest such run so far

    bool operator==(const TLevelRecord&) const = default;
};

// The figures of a level in the order the statistics show them: each with its key in the
// statistics file and its name on screen. Whatever lists, reads, writes or checks the
// figures goes through this table.
struct TFigure
{
    int64_t TLevelRecord::*Member;
    const char* Key;
    const char* Label;
};

inline constexpr TFigure Figures[] = {
    {&TLevelRecord::SeriesPlayed, "SeriesPlayed", "Series played"},
    {&TLevelRecord::SeriesWon, "SeriesWon", "Series won"},
    {&TLevelRecord::SeriesLost, "SeriesLost", "Series lost"},
    {&TLevelRecord::GamesWon, "GamesWon", "Games won"},
    {&TLevelRecord::GamesLost, "GamesLost", "Games lost"},
    {&TLevelRecord::GamesDrawn, "GamesDrawn", "Games drawn"},
    {&TLevelRecord::OvertimeWins, "OvertimeWins", "Overtime wins"},
    {&TLevelRecord::GoalsFor, "GoalsFor", "Goals for"},
    {&TLevelRecord::GoalsAgainst, "GoalsAgainst", "Goals against"},
    {&TLevelRecord::CurrentStreak, "CurrentStreak", "Current winning streak"},
    {&TLevelRecord::LongestStreak, "LongestStreak", "Longest winning streak"},
};

// The referee plays overtime until a goal falls, so no game ends level: the figure of
// drawn games is kept for the file's sake, but not shown while this holds.
inline constexpr bool GamesCanBeDrawn = false;

// Series won in percent of series played, rounded to the nearest whole; -1 before any.
int WinPercent(const TLevelRecord& Level);

struct TStatisticsRecord
{
    std::array<TLevelRecord, SkillLevelCount> Levels{};

    TLevelRecord& Of(TSkillLevel Level) { return Levels[Level]; }
    const TLevelRecord& Of(TSkillLevel Level) const { return Levels[Level]; }
    bool operator==(const TStatisticsRecord&) const = default;
};

// Adds one finished series to the record of its level. A summary of a level outside the
// three is ignored, and negative goals count as none.
void RecordSeries(TStatisticsRecord& Record, const TSeriesSummary& Series);

// Brings a record read from elsewhere within its rules: every count within 0 .. MaxCount,
// and the longest streak at least as long as the current one.
void Sanitize(TLevelRecord& Level);
