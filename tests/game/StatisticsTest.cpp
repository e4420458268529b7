// The record across series: what finished series add to each level's figures, the
// winning streaks, and the rules that keep a record read from elsewhere sound.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/Statistics.h"

namespace {

// Compares two levels figure by figure, so a failure names the figure and both values.
void ExpectLevel(const TLevelRecord& Expected, const TLevelRecord& Actual, const std::string& Where)
{
    for (const TFigure& figure : Figures)
        EXPECT_EQ(Expected.*figure.Member, Actual.*figure.Member) << Where << ", " << figure.Key;
}

TGameResult Won(int Player, int Computer, bool Overtime = false)
{
    return {Computer, Player, false, Overtime};
}
TGameResult Lost(int Player, int Computer, bool Overtime = false)
{
    return {Computer, Player, false, Overtime};
}
TGameResult Drawn(int Goals)
{
    return {Goals, Goals, true, false};
}

// Series at two levels, played one after another as a player would over some evenings.
TEST(StatisticsRecord, ScriptedSeriesAtTwoLevelsGiveExactCounts)
{
    const std::vector<TSeriesSummary> evenings = {
        // Pro, best of three: won 2-1, lost 1-3, won 3-2 in overtime.
        {slPro, {Won(2, 1), Lost(1, 3), Won(3, 2, true)}, true},
        // All-Star, one game, lost in overtime: no overtime win of the player's.
        {slAllStar, {Lost(0, 1, true)}, false},
        // Pro, one game, lost: the streak of one ends.
        {slPro, {Lost(0, 2)}, false},
        // Pro, two single games won, the second in overtime: a streak of two.
        {slPro, {Won(4, 0)}, true},
        {slPro, {Won(1, 0, true)}, true},
        // All-Star, a drawn game and two wins.
        {slAllStar, {Drawn(2), Won(5, 4), Won(2, 0)}, true},
    };
    TStatisticsRecord record;
    for (const TSeriesSummary& series : evenings)
        RecordSeries(record, series);

    TLevelRecord pro;
    pro.SeriesPlayed = 4;
    pro.SeriesWon = 3;
    pro.SeriesLost = 1;
    pro.GamesWon = 4;
    pro.GamesLost = 2;
    pro.GamesDrawn = 0;
    pro.OvertimeWins = 2;
    pro.GoalsFor = 2 + 1 + 3 + 0 + 4 + 1;
    pro.GoalsAgainst = 1 + 3 + 2 + 2 + 0 + 0;
    pro.CurrentStreak = 2;
    pro.LongestStreak = 2;

    TLevelRecord allStar;
    allStar.SeriesPlayed = 2;
    allStar.SeriesWon = 1;
    allStar.SeriesLost = 1;
    allStar.GamesWon = 2;
    allStar.GamesLost = 1;
    allStar.GamesDrawn = 1;
    allStar.OvertimeWins = 0;
    allStar.GoalsFor = 0 + 2 + 5 + 2;
    allStar.GoalsAgainst = 1 + 2 + 4 + 0;
    allStar.CurrentStreak = 1;
    allStar.LongestStreak = 1;

    ExpectLevel(TLevelRecord{}, record.Of(slRookie), "Rookie");
    ExpectLevel(pro, record.Of(slPro), "Pro");
    ExpectLevel(allStar, record.Of(slAllStar), "All-Star");
}

// The streak counts series won in a row; a lost series ends it, the longest stays.
TEST(StatisticsRecord, WinningStreakOfSeries)
{
    struct Step
    {
        bool PlayerWon;
        std::vector<TGameResult> Games;
        int64_t Current, Longest;
    };
    const std::vector<Step> steps = {
        {true, {Won(1, 0)}, 1, 1},
        {true, {Won(2, 1)}, 2, 2},
        // A drawn game inside a won series neither breaks nor extends the streak twice.
        {true, {Drawn(1), Won(3, 1), Lost(0, 1), Won(1, 0)}, 3, 3},
        {false, {Lost(0, 1)}, 0, 3},
        {true, {Won(1, 0)}, 1, 3},
        // A series lost after winning a game still ends the streak.
        {false, {Won(5, 0), Lost(0, 1), Lost(1, 2, true)}, 0, 3},
    };
    TStatisticsRecord record;
    int n = 0;
    for (const Step& step : steps) {
        RecordSeries(record, {slRookie, step.Games, step.PlayerWon});
        ++n;
        EXPECT_EQ(step.Current, record.Of(slRookie).CurrentStreak) << "after series " << n;
        EXPECT_EQ(step.Longest, record.Of(slRookie).LongestStreak) << "after series " << n;
    }
}

// How one game counts, alone in a won series of Rookie.
TEST(StatisticsRecord, OneGameCounts)
{
    struct Case
    {
        const char* Name;
        TGameResult Game;
        int64_t Won, Lost, Drawn, OvertimeWins, For, Against;
    };
    const std::vector<Case> cases = {
        {"won in regulation", {1, 3, false, false}, 1, 0, 0, 0, 3, 1},
        {"won in overtime", {2, 3, false, true}, 1, 0, 0, 1, 3, 2},
        {"lost in overtime", {3, 2, false, true}, 0, 1, 0, 0, 2, 3},
        {"marked drawn", {2, 2, true, false}, 0, 0, 1, 0, 2, 2},
        {"level goals count as drawn", {0, 0, false, false}, 0, 0, 1, 0, 0, 0},
        {"negative goals count as none", {-5, 2, false, false}, 1, 0, 0, 0, 2, 0},
    };
    for (const Case& c : cases) {
        TStatisticsRecord record;
        RecordSeries(record, {slRookie, {c.Game}, true});
        const TLevelRecord& r = record.Of(slRookie);
        EXPECT_EQ(c.Won, r.GamesWon) << c.Name;
        EXPECT_EQ(c.Lost, r.GamesLost) << c.Name;
        EXPECT_EQ(c.Drawn, r.GamesDrawn) << c.Name;
        EXPECT_EQ(c.OvertimeWins, r.OvertimeWins) << c.Name;
        EXPECT_EQ(c.For, r.GoalsFor) << c.Name;
        EXPECT_EQ(c.Against, r.GoalsAgainst) << c.Name;
    }
}

TEST(StatisticsRecord, LevelOutsideTheThreeIsIgnored)
{
    // Memory past the record shows a write to a level that does not exist.
    struct
    {
        TStatisticsRecord Record;
        TLevelRecord Beyond;
    } guarded;
    RecordSeries(guarded.Record, {TSkillLevel(SkillLevelCount), {Won(1, 0)}, true});
    EXPECT_EQ(TStatisticsRecord{}, guarded.Record);
    ExpectLevel(TLevelRecord{}, guarded.Beyond, "beyond the record");
}

TEST(StatisticsRecord, CountsStopAtTheirLimit)
{
    TStatisticsRecord record;
    TLevelRecord& pro = record.Of(slPro);
    pro.SeriesPlayed = TLevelRecord::MaxCount;
    pro.GoalsFor = TLevelRecord::MaxCount - 1;
    RecordSeries(record, {slPro, {Won(5, 0)}, true});
    EXPECT_EQ(TLevelRecord::MaxCount, pro.SeriesPlayed);
    EXPECT_EQ(TLevelRecord::MaxCount, pro.GoalsFor);
}

TEST(StatisticsRecord, SanitizeBringsValuesWithinTheRules)
{
    struct Case
    {
        const char* Name;
        int64_t Played, Current, Longest;
        int64_t WantPlayed, WantCurrent, WantLongest;
    };
    const std::vector<Case> cases = {
        {"sound values stay", 7, 2, 3, 7, 2, 3},
        {"negative counts become none", -4, -1, -9, 0, 0, 0},
        {"absurd counts stop at the limit", TLevelRecord::MaxCount * 5, 0, 0,
         TLevelRecord::MaxCount, 0, 0},
        {"a current streak beyond the longest raises it", 9, 4, 1, 9, 4, 4},
    };
    for (const Case& c : cases) {
        TLevelRecord level;
        level.SeriesPlayed = c.Played;
        level.CurrentStreak = c.Current;
        level.LongestStreak = c.Longest;
        Sanitize(level);
        EXPECT_EQ(c.WantPlayed, level.SeriesPlayed) << c.Name;
        EXPECT_EQ(c.WantCurrent, level.CurrentStreak) << c.Name;
        EXPECT_EQ(c.WantLongest, level.LongestStreak) << c.Name;
    }
}

} // namespace
