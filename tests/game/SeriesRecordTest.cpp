// The series record and its referee: periods, games, series, captions, the cells the
// score sheet shows, and the record as saved text.
#include "game/SeriesRecord.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// One finished period as the engine reports it, and what the sheet must make of it.
struct Period
{
    int32_t AI, Player; // game totals after the period
    std::string Result, Goals;
    TSetPeriodResult Verdict;
    std::string Caption;
    std::string Total; // column 7 of the game's row afterwards
    int Rows;          // rows on the sheet afterwards
};

struct CellText
{
    int Row, Column;
    std::string Text;
};

struct SeriesCase
{
    const char* Name;
    TDealer Dealer;
    TGamesBestOf BestOf;
    int RowsAtStart;
    std::vector<Period> Periods;
    std::vector<CellText> Cells; // the record at the end
};

const std::string First = "First intermission";
const std::string Second = "Second intermission";
const std::string Overtime = "Over-time";
const std::string XX = "x-x";

// A game of two goalless periods and a deciding third.
std::vector<Period> Game(int32_t AI, int32_t Player, const std::string& Total,
                         TSetPeriodResult Verdict, const std::string& Caption, int RowsBefore,
                         int RowsAfter)
{
    return {{0, 0, "0-0", "", spnewperiod, First, XX, RowsBefore},
            {0, 0, "0-0", "", spnewperiod, Second, XX, RowsBefore},
            {AI, Player, "p3", "", Verdict, Caption, Total, RowsAfter}};
}

std::vector<Period> Games(std::initializer_list<std::vector<Period>> Parts)
{
    std::vector<Period> all;
    for (const auto& part : Parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::vector<SeriesCase> SeriesCases()
{
    return {
        {"OneGameSeries",
         alComputer,
         boOne,
         1,
         {{0, 0, "0-0", "", spnewperiod, First, XX, 1},
          {0, 1, "1-0", "04:30 1-0 Ann\n\r", spnewperiod, Second, XX, 1},
          {2, 1, "0-2", "10:00 1-1 Computer\n\r15:30 1-2 Computer\n\r", spendofgame,
           "Play-off winner is Computer!", "1-2", 1}},
         {{1, 1, "0-0"},
          {1, 2, ""},
          {1, 3, "1-0"},
          {1, 4, "04:30 1-0 Ann"},
          {1, 5, "0-2"},
          {1, 6, "10:00 1-1 Computer\n\r15:30 1-2 Computer"},
          {1, 7, "1-2"},
          {1, 8, ""}}},
        {"ThreeGameSeriesGrowsAtOneGameAll",
         alComputer,
         boThree,
         2,
         Games({Game(1, 2, "2-1", spnewgame, "End of first game.", 2, 2),
                Game(3, 0, "3-0", spnewgame, "End of second game.", 2, 3),
                Game(0, 1, "1-0", spendofgame, "Play-off winner is Ann!", 3, 3)}),
         {{1, 7, "2-1"}, {2, 7, "3-0"}, {3, 7, "1-0"}, {3, 1, "0-0"}}},
        {"FiveGameSeriesAtTwoAllShowsFiveRows",
         alPlayer,
         boFive,
         3,
         Games({Game(1, 0, "1-0", spnewgame, "End of first game.", 3, 3),
                Game(0, 1, "1-0", spnewgame, "End of second game.", 3, 4),
                Game(2, 1, "2-1", spnewgame, "End of third game.", 4, 4),
                Game(1, 4, "4-1", spnewgame, "End of fourth game.", 4, 5)}),
         {{4, 7, "4-1"},
          {5, 1, XX},
          {5, 2, ""},
          {5, 3, XX},
          {5, 4, ""},
          {5, 5, XX},
          {5, 6, ""},
          {5, 7, XX},
          {5, 8, ""},
          {6, 1, ""}}},
        {"LevelAfterThirdGoesToOvertimeUntilAGoal",
         alComputer,
         boOne,
         1,
         {{0, 0, "0-0", "", spnewperiod, First, XX, 1},
          {1, 0, "0-1", "02:00 0-1 Computer\n\r", spnewperiod, Second, XX, 1},
          {1, 1, "1-0", "19:30 1-1 Ann\n\r", spnewperiod, Overtime, XX, 1},
          {1, 1, "0-0", "", spnewperiod, Overtime, XX, 1},
          {1, 2, "1-0", "21:30 2-1 Ann\n\r", spendofgame, "Play-off winner is Ann!", "2-1 OT", 1}},
         {{1, 5, "1-0"}, {1, 6, "19:30 1-1 Ann"}, {1, 7, "2-1 OT"}, {1, 8, "21:30 2-1 Ann"}}},
        {"OvertimeGoalInGameDealtByPlayer",
         alPlayer,
         boOne,
         1,
         {{0, 0, "0-0", "", spnewperiod, First, XX, 1},
          {1, 1, "1-1", "", spnewperiod, Second, XX, 1},
          {2, 2, "1-1", "", spnewperiod, Overtime, XX, 1},
          {2, 3, "0-1", "03:30 2-3 Ann\n\r", spendofgame, "Play-off winner is Ann!", "2-3 OT", 1}},
         {{1, 7, "2-3 OT"}, {1, 8, "03:30 2-3 Ann"}}},
        {"ComputerWinsAreWrittenInTheDealersOrder",
         alPlayer,
         boThree,
         2,
         Games({Game(3, 2, "3-2", spnewgame, "End of first game.", 2, 2),
                Game(2, 1, "1-2", spendofgame, "Play-off winner is Computer!", 2, 2)}),
         {{1, 7, "3-2"}, {2, 7, "1-2"}}},
    };
}

void PrintTo(const SeriesCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class SeriesRecordReferee : public ::testing::TestWithParam<SeriesCase>
{
};

TEST_P(SeriesRecordReferee, RefereesEveryPeriod)
{
    const SeriesCase& series = GetParam();
    TSeriesRecord record;
    record.NewSeries(series.Dealer, series.BestOf, "Ann");
    EXPECT_EQ(record.Rows(), series.RowsAtStart);

    int row = 1;
    for (std::size_t i = 0; i < series.Periods.size(); ++i) {
        const Period& period = series.Periods[i];
        SCOPED_TRACE(testing::Message() << "period report " << i + 1 << " (game " << row << ")");
        record.SetGameGoals(period.AI, period.Player);
        EXPECT_EQ(record.EnterPeriod(period.Result, period.Goals), period.Verdict);
        EXPECT_EQ(record.Caption(), period.Caption);
        EXPECT_EQ(record.Cell(row, 7), period.Total);
        EXPECT_EQ(record.Rows(), period.Rows);
        if (period.Verdict != spnewperiod)
            ++row;
    }
    for (const CellText& cell : series.Cells)
        EXPECT_EQ(record.Cell(cell.Row, cell.Column), cell.Text)
            << "row " << cell.Row << ", column " << cell.Column;
}

INSTANTIATE_TEST_SUITE_P(Series, SeriesRecordReferee, ::testing::ValuesIn(SeriesCases()),
                         [](const auto& info) { return std::string(info.param.Name); });

// Reports one game as the engine does: two periods without goals, then the final score
// after the third; a game level after the third is decided in overtime.
void PlayGame(TSeriesRecord& Record, int AI, int Player, bool Overtime = false)
{
    Record.SetGameGoals(0, 0);
    Record.EnterPeriod("0-0", "");
    Record.EnterPeriod("0-0", "");
    const int level = std::min(AI, Player);
    Record.SetGameGoals(Overtime ? level : AI, Overtime ? level : Player);
    Record.EnterPeriod("p3", "");
    if (Overtime) {
        Record.SetGameGoals(AI, Player);
        Record.EnterPeriod("ot", "05:00 goal\n\r");
    }
}

TEST(SeriesRecord, ANewSeriesLaysOutPlaceholdersUnderTheScoreCaption)
{
    TSeriesRecord record;
    EXPECT_EQ(record.Caption(), "Score");
    record.NewSeries(alComputer, boSeven, "Ann");
    EXPECT_EQ(record.Rows(), 4);
    for (int row = 1; row <= 4; ++row)
        for (int column = 1; column <= 8; ++column)
            EXPECT_EQ(record.Cell(row, column), column % 2 ? XX : "")
                << "row " << row << ", column " << column;
    EXPECT_EQ(record.Cell(5, 1), "");
    EXPECT_EQ(record.Caption(), "Score");
}

// The verdict of a series stays until the next series starts; the empty record of that
// one reads as a series in progress, its earlier games forgotten.
TEST(SeriesRecord, VerdictsLastUntilTheNextSeries)
{
    const struct
    {
        const char* Name;
        TGamesBestOf BestOf;
        std::string Verdict;
    } cases[] = {{"SeriesWon", boOne, "Play-off winner is Ann!"},
                 {"GameEnded", boThree, "End of first game."}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TSeriesRecord record;
        record.NewSeries(alComputer, c.BestOf, "Ann");
        PlayGame(record, 0, 1);
        EXPECT_EQ(record.Caption(), c.Verdict);

        record.NewSeries(alPlayer, boThree, "Ann");
        EXPECT_EQ(record.Caption(), "Score");
        EXPECT_EQ(record.Cell(1, 7), XX);
        EXPECT_EQ(record.Rows(), 2);
        EXPECT_TRUE(record.Summary(slPro).Games.empty());
        record.SetGameGoals(0, 0);
        EXPECT_EQ(record.EnterPeriod("0-0", ""), spnewperiod);
        EXPECT_EQ(record.Caption(), First);
    }
}

// Calls the engine never makes must still stay inside the record of seven games.
TEST(SeriesRecord, ReportsPastTheEndOfASeriesStayInsideTheRecord)
{
    TSeriesRecord record;
    record.NewSeries(alComputer, boSeven, "Ann");
    for (int game = 1; game <= 12; ++game) {
        PlayGame(record, game % 2, 1 - game % 2);
        EXPECT_LE(record.Rows(), TSeriesRecord::MaxGames);
    }
    record.NewSeries(alComputer, TGamesBestOf(9), "Ann");
    EXPECT_EQ(record.Rows(), TSeriesRecord::MaxGames);
    // A period count beyond what a byte holds stops there.
    record.SetGameGoals(0, 0);
    for (int period = 0; period < 300; ++period)
        record.EnterPeriod("0-0", "");
    EXPECT_EQ(record.Period(), 255);
}

// What the statistics learn of a series: its ended games in order, and its winner.
TEST(SeriesRecord, TheSummaryHoldsEveryEndedGameAndTheWinner)
{
    TSeriesRecord record;
    record.NewSeries(alComputer, boThree, "Ann");
    PlayGame(record, 1, 2);
    PlayGame(record, 3, 0);
    PlayGame(record, 1, 2, true);
    const TSeriesSummary summary = record.Summary(slAllStar);
    EXPECT_EQ(summary.Level, slAllStar);
    EXPECT_TRUE(summary.PlayerWon);
    const std::vector<TGameResult> games = {
        {1, 2, false, false}, {3, 0, false, false}, {1, 2, false, true}};
    EXPECT_TRUE(summary.Games == games);
}

// --- the record as saved text ---

// A record in the middle of a best of seven: games ended, one in overtime, a period of the
// current game on the sheet, and the player's own text in the name and the goal lists.
TSeriesRecord MidSeries(const std::string& Name)
{
    TSeriesRecord record;
    record.NewSeries(alPlayer, boSeven, Name);
    PlayGame(record, 1, 2);
    PlayGame(record, 2, 3, true);
    record.SetGameGoals(1, 0);
    record.EnterPeriod("0-1", "04:30 0-1 Computer\n\r");
    return record;
}

TEST(SeriesRecordSaved, RestoresWhatItSavedWhateverTheName)
{
    const char* const names[] = {
        "Ann", "", "-", "Ann Lee", "50% 100%", "a\nline\rbreak", "game1 x-x", "Zoë – ☃", "%41"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const TSeriesRecord saved = MidSeries(name);
        TSeriesRecord restored;
        ASSERT_TRUE(restored.Restore(saved.Saved()));
        EXPECT_EQ(restored.PlayerName(), name);
        EXPECT_EQ(restored.Saved(), saved.Saved());
        EXPECT_TRUE(restored == saved);
    }
}

// The text of a record as an earlier build wrote it still reads.
TEST(SeriesRecordSaved, ReadsTheTextItHasAlwaysWritten)
{
    const std::string text = "name Ann%20Lee\n"
                             "title First%20intermission\n"
                             "numbers 1 0 3 1 0 0 1 2 1\n"
                             "ended 1 1 2 0 1\n"
                             "game1 0-0 - 1-1 - 0-0 - 2-1%20OT 21%3A30%202-1%20Ann\n"
                             "game2 1-0 04%3A30%201-0%20Computer x-x - x-x - x-x -\n"
                             "game3 x-x - x-x - x-x - x-x -\n"
                             "game4 x-x - x-x - x-x - x-x -\n"
                             "game5 - - - - - - - -\n"
                             "game6 - - - - - - - -\n"
                             "game7 - - - - - - - -\n";
    TSeriesRecord record;
    ASSERT_TRUE(record.Restore(text));
    EXPECT_EQ(record.PlayerName(), "Ann Lee");
    EXPECT_EQ(record.Caption(), First);
    EXPECT_EQ(record.FirstDealer(), alComputer);
    EXPECT_EQ(record.Game(), 2);
    EXPECT_EQ(record.Period(), 1);
    EXPECT_EQ(record.PlayerWins(), 1);
    EXPECT_EQ(record.Rows(), 4);
    EXPECT_EQ(record.Cell(1, 8), "21:30 2-1 Ann");
    EXPECT_EQ(record.Cell(1, 2), "");
    EXPECT_EQ(record.Summary(slRookie).Games.size(), 1u);
    EXPECT_EQ(record.Saved(), text);
}

// A text that is not a whole record changes nothing.
TEST(SeriesRecordSaved, RefusesWhatIsNotAWholeRecord)
{
    const std::string good = MidSeries("Ann").Saved();
    const auto replaced = [&](const std::string& From, const std::string& To) {
        std::string text = good;
        const std::size_t at = text.find(From);
        EXPECT_NE(at, std::string::npos) << From;
        return at == std::string::npos ? text : text.replace(at, From.size(), To);
    };
    const std::string numbers = good.substr(good.find("numbers"));
    const std::string numbersLine = numbers.substr(0, numbers.find('\n'));
    const struct
    {
        const char* Name;
        std::string Text;
    } cases[] = {
        {"empty", ""},
        {"a line missing", replaced("game7 - - - - - - - -\n", "")},
        {"a cell missing", replaced("game7 - - - - - - - -", "game7 - - - - - - -")},
        {"a key misspelt", replaced("title", "titel")},
        {"a dealer out of range", replaced(numbersLine, "numbers 2 0 3 1 0 1 0 3 1")},
        {"a series longer than seven", replaced(numbersLine, "numbers 1 1 4 1 0 1 0 3 1")},
        {"a negative goal count", replaced(numbersLine, "numbers 1 1 3 -1 0 1 0 3 1")},
        {"a number with a sign", replaced(numbersLine, "numbers 1 1 3 +1 0 1 0 3 1")},
        {"wins beyond seven", replaced(numbersLine, "numbers 1 1 3 1 0 8 0 3 1")},
        {"a game beyond eight", replaced(numbersLine, "numbers 1 1 3 1 0 1 0 9 1")},
        {"a word for a number", replaced(numbersLine, "numbers 1 1 3 1 zero 1 0 3 1")},
        {"ended games miscounted", replaced("ended 2 ", "ended 3 ")},
        {"an ended game's flag not 0 or 1", replaced("ended 2 1 2 0 0", "ended 2 1 2 2 0")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TSeriesRecord record = MidSeries("Bob");
        const TSeriesRecord before = record;
        EXPECT_FALSE(record.Restore(c.Text));
        EXPECT_TRUE(record == before);
    }
    // Cut at every length short of the whole, the record is refused unless what remains
    // is the whole record but for its last line break.
    for (std::size_t length = 0; length + 1 < good.size(); ++length) {
        TSeriesRecord record;
        EXPECT_FALSE(record.Restore(good.substr(0, length))) << "cut at " << length;
    }
}

TEST(SeriesRecord, OrdinalsNameTheFirstSixAndNothingElse)
{
    const struct
    {
        unsigned N;
        std::string Text;
    } cases[] = {{0, "error"}, {1, "first"}, {2, "second"},
                 {3, "third"}, {6, "sixth"}, {7, "error"}};
    for (const auto& c : cases)
        EXPECT_EQ(OrdinalText(c.N), c.Text) << c.N;
}

} // namespace
