// The score sheet: what it shows of the series record, what it tells the statistics, and
// its layout.
#include <QAccessible>
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <vector>

#include "ModalAnswerer.h"
#include "dialogs/Statics.h"

// Failures show texts as text.
static void PrintTo(const QString& Text, std::ostream* Out)
{
    *Out << '"' << Text.toStdString() << '"';
}

class TStaticsDialogProbe
{
public:
    static QString Cell(const TStaticsDialog& Sheet, int Row, int Column)
    {
        return Sheet.Cell(Row, Column);
    }
    static int Rows(const TStaticsDialog& Sheet) { return Sheet.Record().Rows(); }
    static const QPushButton* OKButton(const TStaticsDialog& Sheet) { return Sheet.OKButton; }
};

namespace {

using Probe = TStaticsDialogProbe;

// The lines a tooltip shows, read as its reader sees them: rich text rendered the way
// QToolTip decides, laid out in a box one pixel wide so that any line that may wrap does.
QStringList VisibleLines(const QString& Tip)
{
    if (Tip.isEmpty())
        return {};
    QTextDocument document;
    if (Qt::mightBeRichText(Tip))
        document.setHtml(Tip);
    else
        document.setPlainText(Tip);
    document.setTextWidth(1);
    document.size(); // lays the document out
    QStringList lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            lines << block.text().mid(line.textStart(), line.textLength()).trimmed();
        }
    }
    return lines;
}

// The sheet with its modal showing replaced by a count, so its entry points run without
// a dialog loop.
class QuietSheet : public TStaticsDialog
{
public:
    using TStaticsDialog::TStaticsDialog;
    int Showings = 0;
    QStringList ShownCaptions;

protected:
    void ShowModalSheet() override
    {
        ++Showings;
        ShownCaptions << windowTitle();
    }
};

// The sheet enters each period in the record it is given, and shows itself under the
// record's caption every time: the verdict of each period, then of the series.
TEST(StaticsSheet, ShowsTheRecordItKeepsUnderItsCaption)
{
    TSeriesRecord match;
    QuietSheet sheet;
    EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Score"));
    sheet.UseRecord(&match);
    sheet.NewGame(alComputer, boOne, QStringLiteral("Ann"));
    EXPECT_EQ(match.PlayerName(), "Ann");
    EXPECT_EQ(Probe::Rows(sheet), 1);

    const struct
    {
        int32_t AI, Player;
        const char* Result;
        TSetPeriodResult Verdict;
        QString Caption;
    } periods[] = {{0, 0, "0-0", spnewperiod, QStringLiteral("First intermission")},
                   {0, 0, "0-0", spnewperiod, QStringLiteral("Second intermission")},
                   {0, 1, "1-0", spendofgame, QStringLiteral("Play-off winner is Ann!")}};
    for (const auto& period : periods) {
        sheet.Initialize(period.AI, period.Player);
        EXPECT_EQ(sheet.SetPeriod(period.Result, ""), period.Verdict);
        EXPECT_EQ(sheet.ShownCaptions.last(), period.Caption);
        EXPECT_EQ(QString::fromStdString(match.Caption()), period.Caption);
    }
    EXPECT_EQ(match.Cell(1, 7), "1-0");
    EXPECT_EQ(Probe::Cell(sheet, 1, 7), QStringLiteral("1-0"));
    sheet.ShowScore();
    EXPECT_EQ(sheet.ShownCaptions, QStringList({periods[0].Caption, periods[1].Caption,
                                                periods[2].Caption, periods[2].Caption}));

    // Given back a record of its own, the sheet leaves the match's alone.
    sheet.UseRecord(nullptr);
    sheet.NewGame(alPlayer, boThree, QStringLiteral("Bob"));
    EXPECT_EQ(match.PlayerName(), "Ann");
    EXPECT_EQ(match.Cell(1, 7), "1-0");
    EXPECT_EQ(sheet.PlayerName(), QStringLiteral("Bob"));
}

// --- the end of a series, as the statistics learn of it ---

// Reports one game to the sheet as the engine does: two periods without goals, then the
// final score after the third; a game level after the third is decided in overtime.
void PlayGame(TStaticsDialog& Sheet, int32_t AI, int32_t Player, bool Overtime)
{
    Sheet.Initialize(0, 0);
    Sheet.SetPeriod("0-0", "");
    Sheet.SetPeriod("0-0", "");
    if (!Overtime) {
        Sheet.Initialize(AI, Player);
        Sheet.SetPeriod("p3", "");
        return;
    }
    const int32_t level = std::min(AI, Player);
    Sheet.Initialize(level, level);
    Sheet.SetPeriod("p3", "");
    Sheet.Initialize(AI, Player);
    Sheet.SetPeriod("ot", "05:00 goal\n\r");
}

struct PlayedGame
{
    int32_t AI, Player;
    bool Overtime;
};

struct SeriesEndCase
{
    const char* Name;
    TGamesBestOf BestOf;
    std::vector<PlayedGame> Games;
    bool PlayerWon;
};

bool SameGames(const std::vector<TGameResult>& A, const std::vector<PlayedGame>& B)
{
    if (A.size() != B.size())
        return false;
    for (std::size_t i = 0; i < A.size(); ++i)
        if (A[i].ComputerGoals != B[i].AI || A[i].PlayerGoals != B[i].Player || A[i].Drawn ||
            A[i].DecidedInOvertime != B[i].Overtime)
            return false;
    return true;
}

// The sheet tells of a series once, when the referee names its winner, with every game.
TEST(StaticsSeriesEnd, TellsOnceWithEveryGameAndTheWinner)
{
    const SeriesEndCase cases[] = {
        {"one game won", boOne, {{1, 2, false}}, true},
        {"one game lost in overtime", boOne, {{2, 1, true}}, false},
        {"three games, the last in overtime",
         boThree,
         {{1, 2, false}, {3, 0, false}, {1, 2, true}},
         true},
        {"swept in two", boThree, {{4, 1, false}, {2, 0, false}}, false},
        {"best of seven in four",
         boSeven,
         {{0, 1, false}, {0, 1, false}, {2, 3, true}, {0, 5, false}},
         true},
    };
    for (const SeriesEndCase& c : cases) {
        QuietSheet sheet;
        std::vector<TSeriesSummary> told;
        sheet.SetOnSeriesEnd([&told](TSeriesSummary Series) { told.push_back(Series); });
        sheet.NewGame(alComputer, c.BestOf, QStringLiteral("Ann"));
        for (std::size_t game = 0; game < c.Games.size(); ++game) {
            EXPECT_EQ(0u, told.size()) << c.Name << ": before game " << game + 1;
            PlayGame(sheet, c.Games[game].AI, c.Games[game].Player, c.Games[game].Overtime);
        }
        ASSERT_EQ(1u, told.size()) << c.Name;
        EXPECT_TRUE(SameGames(told[0].Games, c.Games)) << c.Name;
        EXPECT_EQ(c.PlayerWon, told[0].PlayerWon) << c.Name;
        // Told before the sheet showed its verdict.
        EXPECT_TRUE(sheet.windowTitle().startsWith(QStringLiteral("Play-off winner is ")))
            << c.Name;
    }
}

// A series given up (New Game) is never told, and its games do not join the next one.
TEST(StaticsSeriesEnd, SeriesGivenUpIsNotTold)
{
    QuietSheet sheet;
    int told = 0;
    std::vector<TGameResult> games;
    sheet.SetOnSeriesEnd([&](TSeriesSummary Series) {
        ++told;
        games = Series.Games;
    });
    sheet.NewGame(alComputer, boThree, QStringLiteral("Ann"));
    PlayGame(sheet, 0, 3, false);
    sheet.NewGame(alPlayer, boOne, QStringLiteral("Ann"));
    EXPECT_EQ(0, told);
    PlayGame(sheet, 2, 1, false);
    EXPECT_EQ(1, told);
    EXPECT_TRUE(SameGames(games, {{2, 1, false}}));
}

// Series at two levels through the real referee, fed to the record: exact counts.
TEST(StaticsSeriesEnd, SeriesRefereedByTheSheetCountExactly)
{
    QuietSheet sheet;
    TStatisticsRecord record;
    TSkillLevel level = slPro;
    sheet.SetOnSeriesEnd([&](TSeriesSummary Series) {
        Series.Level = level;
        RecordSeries(record, Series);
    });
    // Pro: best of three won 2-1 in games, the last in overtime.
    sheet.NewGame(alComputer, boThree, QStringLiteral("Ann"));
    PlayGame(sheet, 1, 2, false);
    PlayGame(sheet, 3, 0, false);
    PlayGame(sheet, 1, 2, true);
    // All-Star: one game lost, then one won.
    level = slAllStar;
    sheet.NewGame(alPlayer, boOne, QStringLiteral("Ann"));
    PlayGame(sheet, 2, 0, false);
    sheet.NewGame(alPlayer, boOne, QStringLiteral("Ann"));
    PlayGame(sheet, 3, 4, true);

    struct Figure
    {
        TSkillLevel Level;
        int64_t TLevelRecord::*Member;
        const char* Name;
        int64_t Value;
    };
    const Figure figures[] = {
        {slPro, &TLevelRecord::SeriesPlayed, "Pro series played", 1},
        {slPro, &TLevelRecord::SeriesWon, "Pro series won", 1},
        {slPro, &TLevelRecord::GamesWon, "Pro games won", 2},
        {slPro, &TLevelRecord::GamesLost, "Pro games lost", 1},
        {slPro, &TLevelRecord::OvertimeWins, "Pro overtime wins", 1},
        {slPro, &TLevelRecord::GoalsFor, "Pro goals for", 4},
        {slPro, &TLevelRecord::GoalsAgainst, "Pro goals against", 5},
        {slPro, &TLevelRecord::CurrentStreak, "Pro current streak", 1},
        {slAllStar, &TLevelRecord::SeriesPlayed, "All-Star series played", 2},
        {slAllStar, &TLevelRecord::SeriesLost, "All-Star series lost", 1},
        {slAllStar, &TLevelRecord::GamesWon, "All-Star games won", 1},
        {slAllStar, &TLevelRecord::OvertimeWins, "All-Star overtime wins", 1},
        {slAllStar, &TLevelRecord::GoalsFor, "All-Star goals for", 4},
        {slAllStar, &TLevelRecord::GoalsAgainst, "All-Star goals against", 5},
        {slAllStar, &TLevelRecord::CurrentStreak, "All-Star current streak", 1},
        {slAllStar, &TLevelRecord::LongestStreak, "All-Star longest streak", 1},
        {slRookie, &TLevelRecord::SeriesPlayed, "Rookie series played", 0},
    };
    for (const Figure& f : figures)
        EXPECT_EQ(f.Value, record.Of(f.Level).*f.Member) << f.Name;
}

// --- the sheet's layout ---

int HalfToEven(int Value)
{
    return int(std::nearbyint(Value / 2.0));
}

int RightEdge(const QWidget* Widget)
{
    return Widget->x() + Widget->width();
}

QList<QLabel*> SheetLabels(const TStaticsDialog& Sheet)
{
    return Sheet.findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
}

// Restores the title bar font a test changes.
class TitleFont
{
public:
    explicit TitleFont(int PixelSize)
    {
        QFont font = FSaved;
        font.setPixelSize(PixelSize);
        font.setBold(true);
        QApplication::setFont(font, "QMdiSubWindowTitleBar");
    }
    ~TitleFont() { QApplication::setFont(FSaved, "QMdiSubWindowTitleBar"); }

private:
    QFont FSaved = QApplication::font("QMdiSubWindowTitleBar");
};

class StaticsLayout : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Sheet.NewGame(alComputer, boThree, QStringLiteral("Ann"));
        Sheet.Initialize(0, 1);
        Sheet.SetPeriod("1-0", "03:00 1-0 Ann\n\r");
        Sheet.Initialize(1, 1);
        Sheet.SetPeriod("0-1", "");
    }
    QuietSheet Sheet;
};

TEST_F(StaticsLayout, RowsAlternateWithTheDealersAndHoldTheRecord)
{
    const QList<QLabel*> labels = SheetLabels(Sheet);
    ASSERT_EQ(labels.size(), 2 * 11);
    const QStringList rows[] = {
        {"Ann", "-", "Computer", "(", "1-0", ",", "0-1", ",", "x-x", ")", "x-x"},
        {"Computer", "-", "Ann", "(", "x-x", ",", "x-x", ",", "x-x", ")", "x-x"}};
    const QColor blue(0, 0, 255), red(255, 0, 0), black(0, 0, 0);
    for (int row = 0; row < 2; ++row) {
        for (int i = 0; i < 11; ++i) {
            const QLabel* label = labels[row * 11 + i];
            SCOPED_TRACE(testing::Message() << "row " << row + 1 << ", label " << i + 1);
            EXPECT_EQ(label->text(), rows[row][i]);
            const QColor expected = label->text() == "Ann"        ? blue
                                    : label->text() == "Computer" ? red
                                                                  : black;
            EXPECT_EQ(label->palette().color(QPalette::WindowText), expected);
            EXPECT_TRUE(label->font().bold());
            EXPECT_EQ(label->y(), labels[row * 11]->y());
            // Each label starts where the one before ends, except "(" and the total.
            const int gap = (i == 3 || i == 10) ? 10 : 0;
            EXPECT_EQ(label->x(), i == 0 ? 10 : RightEdge(labels[row * 11 + i - 1]) + gap);
        }
    }
    EXPECT_EQ(labels[0]->y(), 10);
    EXPECT_EQ(labels[11]->y(), 10 + labels[10]->height());

    // Only period 1 of game 1 had goals: its label alone carries them as a hint.
    EXPECT_EQ(VisibleLines(labels[4]->toolTip()), QStringList{"03:00 1-0 Ann"});
    for (int i : {6, 8, 10, 15, 17, 19, 21})
        EXPECT_EQ(labels[i]->toolTip(), QString()) << "label " << i;
}

// A screen reader hears what each result is, not only its figures, and the goals of its
// tooltip without markup.
TEST_F(StaticsLayout, AScreenReaderNamesEachResult)
{
    const QList<QLabel*> labels = SheetLabels(Sheet);
    ASSERT_EQ(labels.size(), 2 * 11);
    const struct
    {
        int Label;
        const char* Name;
        const char* Description;
    } results[] = {
        {4, "Game 1, first period: 1-0", "03:00 1-0 Ann"},
        {6, "Game 1, second period: 0-1", ""},
        {8, "Game 1, third period: not played yet", ""},
        {10, "Game 1, final score: not played yet", ""},
        {15, "Game 2, first period: not played yet", ""},
        {21, "Game 2, final score: not played yet", ""},
    };
    for (const auto& r : results) {
        QAccessibleInterface* read = QAccessible::queryAccessibleInterface(labels[r.Label]);
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->text(QAccessible::Name).toStdString(), r.Name);
        EXPECT_EQ(read->text(QAccessible::Description).toStdString(), r.Description);
    }
}

TEST_F(StaticsLayout, SizeFollowsTheWidestRowAndCentresTheButton)
{
    // A title bar font so small that the rows decide the width.
    TitleFont font(1);
    Sheet.ShowScore();
    const QList<QLabel*> labels = SheetLabels(Sheet);
    ASSERT_EQ(labels.size(), 22);
    const int widest = std::max(RightEdge(labels[10]), RightEdge(labels[21]));
    const int bottom = labels[21]->y() + labels[21]->height();
    const QPushButton* ok = Probe::OKButton(Sheet);
    // Offscreen windows have no frame, so the outer size is the widget's.
    EXPECT_EQ(Sheet.width(), widest + 20);
    EXPECT_EQ(ok->size(), QSize(75, 25));
    EXPECT_EQ(ok->y(), bottom + 20);
    EXPECT_EQ(ok->x(), HalfToEven(widest + 20) - HalfToEven(75));
    EXPECT_EQ(Sheet.height(), ok->y() + 25 + 40);
    EXPECT_EQ(Sheet.minimumSize(), Sheet.maximumSize());

    // A longer record widens the sheet; showing again replaces the labels.
    Sheet.Initialize(1, 12);
    Sheet.SetPeriod("11-0", "");
    Sheet.ShowScore();
    const QList<QLabel*> again = SheetLabels(Sheet);
    ASSERT_EQ(again.size(), 22);
    EXPECT_EQ(again[10]->text(), "12-1");
    EXPECT_EQ(Sheet.width(), std::max(RightEdge(again[10]), RightEdge(again[21])) + 20);
}

// Opened during a period, the sheet tells the period under way in a line below the rows,
// whose cells stay as the record has them; the next showing has no such line.
TEST_F(StaticsLayout, ThePeriodUnderWayHasALineBelowTheRows)
{
    TitleFont font(1);
    const QString inPlay = QStringLiteral("Game 1, period 3 under way: 2-1 so far");
    Sheet.ShowScore(inPlay);
    const QList<QLabel*> labels = SheetLabels(Sheet);
    ASSERT_EQ(labels.size(), 2 * 11 + 1);
    const QStringList cells = {labels[4]->text(), labels[6]->text(), labels[8]->text(),
                               labels[10]->text()};
    EXPECT_EQ(cells, QStringList({"1-0", "0-1", "x-x", "x-x"}));
    const QLabel* line = labels.last();
    EXPECT_EQ(line->text(), inPlay);
    EXPECT_EQ(line->x(), 10);
    EXPECT_FALSE(line->font().bold());
    EXPECT_GT(line->y(), labels[21]->y() + labels[21]->height());
    EXPECT_EQ(Probe::OKButton(Sheet)->y(), line->y() + line->height() + 20);
    EXPECT_GE(Sheet.width(), RightEdge(line) + 20);

    Sheet.ShowScore();
    EXPECT_EQ(SheetLabels(Sheet).size(), 2 * 11);
}

// Whether the style's title bar, as wide as the sheet, has room for the whole title.
bool TitleFits(const TStaticsDialog& Sheet)
{
    QStyleOptionTitleBar bar;
    bar.initFrom(&Sheet);
    bar.titleBarFlags = Sheet.windowFlags();
    bar.text = Sheet.windowTitle();
    bar.rect = QRect(0, 0, Sheet.width(),
                     Sheet.style()->pixelMetric(QStyle::PM_TitleBarHeight, &bar, &Sheet));
    const QRect label =
        Sheet.style()->subControlRect(QStyle::CC_TitleBar, &bar, QStyle::SC_TitleBarLabel, &Sheet);
    return QFontMetrics(QApplication::font("QMdiSubWindowTitleBar"))
               .horizontalAdvance(Sheet.windowTitle()) <= label.width();
}

// The title names the winner: the sheet widens as far as the title needs in the title
// bar's font, and otherwise keeps the width of its widest row.
TEST(StaticsSheet, TheWholeTitleFitsTheSheet)
{
    const struct
    {
        const char* Name;
        int FontPixels;
        int32_t AI, Player;
        QString Title;
        bool Widened;
    } cases[] = {
        {"ComputerWinsUnderALargeFont", 24, 1, 0, "Play-off winner is Computer!", true},
        {"PlayerWinsUnderALargeFont", 24, 0, 1, "Play-off winner is Ann!", true},
        {"IntermissionUnderALargeFont", 30, 0, 0, "First intermission", true},
        {"ComputerWinsUnderATinyFont", 1, 1, 0, "Play-off winner is Computer!", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TitleFont font(c.FontPixels);
        QuietSheet sheet;
        // A name long enough that the row is wider than the buttons' room alone.
        sheet.NewGame(alComputer, boOne, c.Widened ? "Ann" : "Maximilianus");
        sheet.Initialize(0, 0);
        sheet.SetPeriod("0-0", "");
        if (c.AI != c.Player) {
            sheet.SetPeriod("0-0", "");
            sheet.Initialize(c.AI, c.Player);
            sheet.SetPeriod("x", "");
        }
        EXPECT_EQ(sheet.windowTitle(), c.Title);
        EXPECT_TRUE(TitleFits(sheet)) << sheet.width();
        const QList<QLabel*> labels = SheetLabels(sheet);
        ASSERT_EQ(labels.size(), 11);
        const int rowWidth = RightEdge(labels.last()) + 20;
        EXPECT_EQ(sheet.width() > rowWidth, c.Widened) << sheet.width() << " " << rowWidth;
        // The button stays in the middle of the sheet.
        EXPECT_EQ(Probe::OKButton(sheet)->x(), HalfToEven(sheet.width()) - HalfToEven(75));
    }
}

TEST(StaticsSheet, NamesAndGoalsAreShownAsTextNeverAsMarkup)
{
    QuietSheet sheet;
    const QString name = QStringLiteral("<b>Al</b>");
    sheet.NewGame(alPlayer, boOne, name);
    sheet.Initialize(0, 1);
    sheet.SetPeriod("0-1", "01:00 0-1 " + name + "\n\r05:00 0-2 " + name + "\n\r");
    const QList<QLabel*> labels = SheetLabels(sheet);
    ASSERT_EQ(labels.size(), 11);
    EXPECT_EQ(labels[2]->text(), name);
    EXPECT_EQ(labels[2]->textFormat(), Qt::PlainText);
    EXPECT_EQ(VisibleLines(labels[4]->toolTip()),
              (QStringList{"01:00 0-1 <b>Al</b>", "05:00 0-2 <b>Al</b>"}));
}

TEST(StaticsSheet, GoalListHintHasOneLinePerGoal)
{
    EXPECT_EQ(GoalListHint(""), QString());
    EXPECT_EQ(GoalListHint("\n\r"), QString());
    // Each goal on a line of its own, never wrapped however narrow the tip.
    EXPECT_EQ(VisibleLines(GoalListHint("01:00 1-0 Ann\n\r02:00 2-0 Ann")),
              (QStringList{"01:00 1-0 Ann", "02:00 2-0 Ann"}));
}

// The real modal showing: centred over the main window, closed by OK or the close box.
TEST(StaticsSheet, ShowsModallyOverTheMainWindowUntilClosed)
{
    QWidget mainWindow;
    mainWindow.setGeometry(200, 150, 344, 613);
    mainWindow.show();
    TStaticsDialog sheet(&mainWindow);
    sheet.NewGame(alComputer, boOne, QStringLiteral("Ann"));
    sheet.Initialize(0, 0);

    {
        QPoint sheetCentre;
        bool wasModal = false;
        ModalAnswerer answer([&](QWidget* modal) {
            sheetCentre = modal->frameGeometry().center();
            wasModal = modal == &sheet && sheet.isModal();
            sheet.findChild<QPushButton*>()->click();
        });
        EXPECT_EQ(sheet.SetPeriod("0-0", ""), spnewperiod);
        EXPECT_EQ(answer.Count(), 1);
        EXPECT_EQ(answer.Titles(), QStringList{QStringLiteral("First intermission")});
        EXPECT_TRUE(wasModal);
        EXPECT_LE((sheetCentre - mainWindow.frameGeometry().center()).manhattanLength(), 2);
        EXPECT_FALSE(sheet.isVisible());
    }

    ModalAnswerer closeBox(ModalAnswerer::Reject());
    sheet.ShowScore();
    EXPECT_EQ(closeBox.Count(), 1);
    EXPECT_FALSE(sheet.isVisible());
}

} // namespace
