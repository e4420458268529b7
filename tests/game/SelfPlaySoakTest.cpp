// Self-play: whole series through the real mouse path, the score sheet and the question
// answered as a player would, with the table checked after every card move.
//
// BT_SOAK_GAMES sets how many games to play (default 30), BT_SOAK_SEED the seed of the
// player's choices and of the shuffles (default: the clock), BT_SOAK_HIDDEN=1 plays with
// the window hidden (no painting), for timing the game without its repaints.

#include "SelfPlayHarness.h"

#include "ModalAnswerer.h"

#include <QElapsedTimer>
#include <QTest>

#include <ctime>

namespace {

// CPU time of the window thread: wall time means little on a loaded machine.
double ThreadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

} // namespace

class SelfPlaySoak : public SelfPlayHarness
{
protected:
    void SetUp() override { SetUpHarness("BT_SOAK_SEED", "soak", QStringLiteral("Soak")); }

    void CardLanded() override
    {
        SelfPlayHarness::CardLanded();
        CountTurnChange();
    }

    // Every change of turn fades the beaten cards out and hands FDATurn over.
    void CountTurnChange()
    {
        const int period = M().GameNo() * 1000 + M().PeriodNo();
        if (period == FLastPeriod && M().DATurn() != FLastDATurn)
            ++FTurnChanges;
        FLastPeriod = period;
        FLastDATurn = M().DATurn();
    }

    // At a game's end the finished game's row (the sheet has moved on to the next) names
    // the game's first-named side first, as the engine does.
    void CheckSheet(TStaticsDialog& Sheet)
    {
        const int computer = (F().*A::GoalsOf)(tuComputer);
        const int player = (F().*A::GoalsOf)(tuPlayer);
        if (!TallySheet(Sheet))
            return;
        (computer > player ? FComputerWins : FPlayerWins) += 1;
        ++FGamesByLevel[FLevel];
        const int row = TStaticsDialogProbe::Game(Sheet) - 1;
        const bool playerFirst = M().GameDealer() == alPlayer;
        QString score = playerFirst ? QStringLiteral("%1-%2").arg(player).arg(computer)
                                    : QStringLiteral("%1-%2").arg(computer).arg(player);
        if (M().PeriodNo() > 3)
            score += QStringLiteral(" OT");
        EXPECT_EQ(TStaticsDialogProbe::Cell(Sheet, row, 7), score);
    }

    void Answer(QWidget* Modal)
    {
        if (AnswerPlayAgain(Modal))
            return;
        auto* sheet = qobject_cast<TStaticsDialog*>(Modal);
        ASSERT_NE(sheet, nullptr) << Modal->metaObject()->className();
        CheckSheet(*sheet);
        sheet->accept();
    }

    int FGamesByLevel[SkillLevelCount] = {};
    int FComputerWins = 0;
    int FPlayerWins = 0;
    long FTurnChanges = 0;
    int FLastPeriod = -1;
    TTurn FLastDATurn = tuComputer;
};

TEST_F(SelfPlaySoak, WholeSeriesThroughTheMouse)
{
    FWanted = EnvInt("BT_SOAK_GAMES", 30);
    const bool hidden = EnvInt("BT_SOAK_HIDDEN", 0) != 0;
    ModalAnswerer answerer([this](QWidget* Modal) { Answer(Modal); }, 1);

    ChooseOptions();
    if (!hidden) {
        F().*A::FActivated = true; // the test starts the series itself
        F().show();
    }
    QElapsedTimer clock;
    clock.start();
    const double cpuStart = ThreadCpuSeconds();
    F().RequestNewSeries();

    long clicks = 0;
    while (!(F().*A::FClosing)) {
        CountTurnChange();
        ASSERT_NO_FATAL_FAILURE(CheckSettledTable()) << "after " << clicks << " clicks";
        const int slot = DrawPlayableSlot();
        const QPoint at = SlotCentre(Slots()[slot]);
        const int top = Pack().bTopCardsIndex;
        const long movesBefore = FCardMoves;
        SendMouse(QEvent::MouseMove, at, Qt::NoButton);
        ASSERT_EQ(Slots()[slot].HSLayer->Bitmap().MasterAlpha(), 255) << "slot " << slot;
        SendMouse(QEvent::MouseButtonPress, at, Qt::LeftButton);
        ++clicks;
        // The press made the move: the top card turned over, or a card left the pack.
        if (slot == slotPack) {
            ASSERT_EQ(Pack().bTopCardsIndex, top);
            ASSERT_EQ(Pack().Card(top).Kind, kindFaceUp);
        } else {
            ASSERT_GT(FCardMoves, movesBefore) << "slot " << slot;
        }
        ASSERT_LT(FGames, FWanted + 8) << "the question never came";
    }
    const double seconds = clock.elapsed() / 1000.0;
    const double cpuSeconds = ThreadCpuSeconds() - cpuStart;

    EXPECT_GE(FGames, FWanted);
    EXPECT_EQ(F().*A::FSequenceDepth, 0);
    // A series lasts at most seven games, so 22 games span at least four series.
    for (int level = 0; level < SkillLevelCount && FWanted >= 22; ++level)
        EXPECT_GT(FGamesByLevel[level], 0) << "level " << level;
    // What the fade-out costs: 101 repaints of the window at a change of turn, here with
    // two beaten cards on the table.
    double fadeSeconds = 0;
    if (!hidden) {
        F().show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&F()));
        for (int slot : {6, 9}) {
            Slots()[slot].Card = &Pack().Card(slot);
            Pack().Card(slot).Beaten = true;
            LayerOf(Pack().Card(slot))->Bitmap().SetMasterAlpha(100);
        }
        M().SetDATurn(tuPlayer);
        const double fadeStart = ThreadCpuSeconds();
        (F().*A::SwitchTurn)(tuPlayer);
        fadeSeconds = ThreadCpuSeconds() - fadeStart;
    }
    std::printf(
        "[ soak     ] %d games (rookie %d, pro %d, all-star %d, legend %d), %ld clicks, %ld card "
        "moves in %.1f s (window thread CPU %.1f s): %.2f games/s, window %s; computer "
        "won %d, player %d\n",
        FGames, FGamesByLevel[0], FGamesByLevel[1], FGamesByLevel[2], FGamesByLevel[3], clicks,
        FCardMoves, seconds, cpuSeconds, FGames / seconds, hidden ? "hidden" : "shown",
        FComputerWins, FPlayerWins);
    std::printf("[ soak     ] %ld changes of turn; a fade-out of two beaten cards takes %.1f ms "
                "of CPU (%.1f s for all)\n",
                FTurnChanges, fadeSeconds * 1000, FTurnChanges * fadeSeconds);
}
