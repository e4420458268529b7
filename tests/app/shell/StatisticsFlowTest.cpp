// The statistics in the running program: the Game menu's command, and every series the
// score sheet ends, recorded at the level it was played at and saved at once.

#include "ShellFixture.h"

#include "dialogs/StatisticsStore.h"

#include <QDir>
#include <QMenu>

#include <ostream>

// Failures show texts as text.
static void PrintTo(const QString& Text, std::ostream* Out)
{
    *Out << '"' << Text.toStdString() << '"';
}

namespace {

// The game's menu as the player sees it: captions and shortcuts, separators as "-".
TEST_F(ShellTest, StatisticsFollowsScoreInTheGameMenu)
{
    auto* menu = F().findChild<QMenu*>(QStringLiteral("GameMenu"));
    ASSERT_NE(menu, nullptr);
    QStringList items;
    for (const QAction* action : menu->actions())
        items << (action->isSeparator()
                      ? QStringLiteral("-")
                      : action->text() + QLatin1Char('|') + action->shortcut().toString());
    EXPECT_EQ(QStringList({"&New Game|F2", "&Hint|H", "-", "&Options...|F7", "&Score...|F9",
                           "S&tatistics...|", "-", "&Exit|Ctrl+Q"}),
              items);
}

TEST_F(ShellTest, StatisticsCommandShowsTheDialogModally)
{
    F().show();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Shuffles == 1 && Idle(); }, 20000));
    ModalAnswerer answer(ModalAnswerer::Accept());
    F().FileStatisticsAction->trigger();
    EXPECT_EQ(QStringList{QStringLiteral("Statistics")}, answer.Titles());
}

class SeriesEndTest : public ShellTest
{
protected:
    // The first series dealt, then a one-game series refereed to its end by the sheet,
    // as the engine reports it, at Level. The sheet shows after every period.
    void EndSeriesAt(TSkillLevel Level)
    {
        F().show();
        ASSERT_TRUE(QTest::qWaitFor([this] { return Shuffles == 1 && Idle(); }, 20000));
        M().SetLevel(Level);
        StaticsDialog->NewGame(alComputer, boOne, QStringLiteral("Ann"));
        StaticsDialog->Initialize(0, 0);
        StaticsDialog->SetPeriod(QStringLiteral("0-0"), QString());
        StaticsDialog->SetPeriod(QStringLiteral("0-0"), QString());
        StaticsDialog->Initialize(1, 2);
        StaticsDialog->SetPeriod(QStringLiteral("2-1"), QStringLiteral("goals\n\r"));
    }
};

TEST_F(SeriesEndTest, FinishedSeriesIsSavedAtItsLevel)
{
    const TStatisticsRecord before = ReadStatistics(StatisticsFilePath());
    ModalAnswerer answer(ModalAnswerer::Accept());
    EndSeriesAt(slAllStar);
    EXPECT_EQ(QStringList({"First intermission", "Second intermission", "Play-off winner is Ann!"}),
              answer.Titles());

    TStatisticsRecord expected = before;
    RecordSeries(expected, {slAllStar, {{1, 2, false, false}}, true});
    const TStatisticsRecord after = ReadStatistics(StatisticsFilePath());
    for (int level = 0; level < SkillLevelCount; ++level)
        for (const TFigure& figure : Figures)
            EXPECT_EQ(expected.Levels[level].*figure.Member, after.Levels[level].*figure.Member)
                << SkillLevelNames[level] << ", " << figure.Key;
}

TEST_F(SeriesEndTest, SaveThatFailsIsReportedAndTheSheetStillShows)
{
    // A folder where the file belongs.
    const QString path = StatisticsFilePath();
    QFile::remove(path);
    ASSERT_TRUE(QDir().mkpath(path));
    ModalAnswerer answer(ModalAnswerer::Accept());
    EndSeriesAt(slPro);
    QDir().rmdir(path);
    // Told once, as the series ends, before the sheet shows its verdict.
    ASSERT_EQ(4, answer.Count());
    EXPECT_TRUE(answer.Texts()[2].startsWith(
        QStringLiteral("Brindletop could not save your statistics to ")))
        << answer.Texts()[2].toStdString();
    EXPECT_EQ(QStringLiteral("Play-off winner is Ann!"), answer.Titles()[3]);
}

} // namespace
