// Self-play: whole series through the real mouse path, the score sheet and the question
// answered as a player would, with the table checked after every card move.
//
// BT_SOAK_GAMES sets how many games to play (default 30), BT_SOAK_SEED the seed of the
// player's choices and of the shuffles (default: the clock), BT_SOAK_HIDDEN=1 plays with
// the window hidden (no painting), for timing the game without its repaints.

#include "EngineFixture.h"

#include "ModalAnswerer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>

namespace {

int EnvInt(const char* Name, int Default)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(Name, &ok);
    return ok ? value : Default;
}

// CPU time of the window thread: wall time means little on a loaded machine.
double ThreadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

QString ClockText(int HalfMinutes)
{
    return QStringLiteral("%1:%2")
        .arg(HalfMinutes / 2, 2, 10, QLatin1Char('0'))
        .arg(HalfMinutes % 2 ? 30 : 0, 2, 10, QLatin1Char('0'));
}

} // namespace

class SelfPlaySoak : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        FSeed = quint32(
            EnvInt("BT_SOAK_SEED",
                   int(std::chrono::steady_clock::now().time_since_epoch().count() & 0x7fffffff)));
        std::printf("[ soak     ] seed %u (BT_SOAK_SEED)\n", FSeed);
        FRandom.seed(FSeed);
        SetShuffleSeedSource([this] { return quint32(FRandom()); });

        FSheet = new TStaticsDialog;
        StaticsDialog = FSheet;
        FOptions = new TOptionsDialog(nullptr, FDir.filePath(QStringLiteral("Brindletop.ini")));
        OptionsDialog = FOptions;
        TOptionsDialogProbe::Name(*FOptions)->setText(QStringLiteral("Soak"));
        FForm = new TMainForm;
        MakeTimersFast(*FForm);

        TThreadedTimer* timer = FForm->MoveCardThreadedTimer;
        TNotifyEvent tick = timer->OnTimer();
        timer->SetOnTimer([this, timer, tick](QObject* Sender) {
            tick(Sender);
            if (!timer->Enabled()) {
                ++FCardMoves;
                CountTurnChange();
                CheckCardPlaces();
            }
        });
    }

    void TearDown() override
    {
        SetShuffleSeedSource({});
        delete FForm;
        delete FOptions;
        delete FSheet;
    }

    TMainForm& F() { return *FForm; }
    THotSpotRect* Slots() { return F().*A::FHotSpotRects; }
    TPackOfCards& Pack() { return F().*A::FPackOfCards; }

    // Options for the next series: the levels take turns; the rest is drawn.
    void ChooseOptions()
    {
        const int level = FSeries % 3;
        ++FSeries;
        TOptionsDialogProbe::SkillLevel(*FOptions)->SetItemIndex(level);
        TOptionsDialogProbe::Dealer(*FOptions)->SetItemIndex(int(FRandom() % 2));
        TOptionsDialogProbe::GamesBestOf(*FOptions)->SetItemIndex(int(FRandom() % 4));
        // Mostly fast moves: the slow ones only take more ticks.
        TOptionsDialogProbe::AnimSpeed(*FOptions)->SetItemIndex(FRandom() % 8 == 0 ? 2 : 0);
        FLevel = level;
    }

    // Every change of turn fades the beaten cards out and hands FDATurn over.
    void CountTurnChange()
    {
        const int period = (F().*A::FGameno) * 1000 + F().*A::FPeriodno;
        if (period == FLastPeriod && F().*A::FDATurn != FLastDATurn)
            ++FTurnChanges;
        FLastPeriod = period;
        FLastDATurn = F().*A::FDATurn;
    }

    // Each card in exactly one place: the pack (numbers from the top card on), one slot
    // of 2 to 13, or the discard pile.
    void CheckCardPlaces()
    {
        const int top = Pack().bTopCardsIndex;
        ASSERT_GE(top, 1);
        ASSERT_LE(top, CardCount + 1);
        std::set<const TPlayingCard*> inSlots;
        for (int slot = 2; slot <= 13; ++slot) {
            const TPlayingCard* card = Slots()[slot].Card;
            if (!card)
                continue;
            ASSERT_TRUE(inSlots.insert(card).second) << "card " << int(card->CardNo) << " twice";
            ASSERT_LT(card->CardNo, top) << "slot " << slot << " holds a card of the pack";
        }
        if (top <= CardCount) {
            ASSERT_EQ(Slots()[slotPack].Card, &Pack().Card(top));
        }
    }

    // Between clicks: the player to move, the clock matching the cards taken since the deal.
    void CheckSettled()
    {
        ASSERT_FALSE(F().SequenceRunning());
        ASSERT_TRUE(F().*A::FCanMoveCard);
        ASSERT_EQ(F().*A::FTurn, tuPlayer);
        ASSERT_FALSE(F().*A::FOvertimeWin);
        CheckCardPlaces();
        const int taken = Pack().bTopCardsIndex - 13;
        const int period = F().*A::FPeriodno;
        ASSERT_EQ((F().*A::RemainingHalfMinutes)(), 40 - taken);
        if (period <= 4) {
            ASSERT_EQ((F().*A::FGameStatics).szstaticstime, ClockText(taken));
        }
        const TFloatRect packRect = Slots()[slotPack].HotSpotLocation;
        for (int n = Pack().bTopCardsIndex; n <= CardCount; ++n)
            ASSERT_EQ(Pack().Card(n).Layer->Location(), packRect) << "card " << n;
    }

    // At every showing of the score sheet: its totals are the scoreboard's, and the goals
    // logged period by period add up to them.
    void CheckSheet(TStaticsDialog& Sheet)
    {
        const TGameStatics& stats = F().*A::FGameStatics;
        FTallyComputer += stats.periodgoalscomputer;
        FTallyPlayer += stats.periodgoalsplayer;
        const int computer = (F().*A::GoalsOf)(tuComputer);
        const int player = (F().*A::GoalsOf)(tuPlayer);
        EXPECT_EQ(TStaticsDialogProbe::AIGoals(Sheet), computer);
        EXPECT_EQ(TStaticsDialogProbe::PlayerGoals(Sheet), player);
        EXPECT_EQ(FTallyComputer, computer);
        EXPECT_EQ(FTallyPlayer, player);
        EXPECT_EQ(stats.periodgoals.count(QStringLiteral("\n\r")),
                  stats.periodgoalscomputer + stats.periodgoalsplayer);

        const QString title = Sheet.windowTitle();
        const bool gameOver = title.startsWith(QStringLiteral("End of")) ||
                              title.startsWith(QStringLiteral("Play-off winner"));
        if (!gameOver)
            return;
        ++FGames;
        EXPECT_NE(computer, player);
        (computer > player ? FComputerWins : FPlayerWins) += 1;
        ++FGamesByLevel[FLevel];
        // The finished game's row (the sheet has moved on to the next) names the game's
        // first-named side first, as the engine does.
        const int row = TStaticsDialogProbe::Game(Sheet) - 1;
        const bool playerFirst = F().*A::FGameDealer == alPlayer;
        QString score = playerFirst ? QStringLiteral("%1-%2").arg(player).arg(computer)
                                    : QStringLiteral("%1-%2").arg(computer).arg(player);
        if (F().*A::FPeriodno > 3)
            score += QStringLiteral(" OT");
        EXPECT_EQ(TStaticsDialogProbe::Cell(Sheet, row, 7), score);
        FTallyComputer = FTallyPlayer = 0;
    }

    void Answer(QWidget* Modal)
    {
        if (auto* box = qobject_cast<QMessageBox*>(Modal)) {
            EXPECT_EQ(box->text(), "Do you want to play again?");
            if (FGames >= FWanted) {
                box->button(QMessageBox::No)->click();
            } else {
                ChooseOptions();
                box->button(QMessageBox::Yes)->click();
            }
            return;
        }
        auto* sheet = qobject_cast<TStaticsDialog*>(Modal);
        ASSERT_NE(sheet, nullptr) << Modal->metaObject()->className();
        CheckSheet(*sheet);
        sheet->accept();
    }

    void Hover(QPoint At)
    {
        QMouseEvent move(QEvent::MouseMove, At, F().mapToGlobal(At), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(F().*A::FGameTableImage, &move);
    }
    void Press(QPoint At)
    {
        QMouseEvent press(QEvent::MouseButtonPress, At, F().mapToGlobal(At), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(F().*A::FGameTableImage, &press);
    }

    QTemporaryDir FDir;
    TStaticsDialog* FSheet = nullptr;
    TOptionsDialog* FOptions = nullptr;
    TMainForm* FForm = nullptr;
    quint32 FSeed = 0;
    std::mt19937 FRandom;
    int FWanted = 0;
    int FGames = 0;
    int FSeries = 0;
    int FLevel = 0;
    int FGamesByLevel[3] = {0, 0, 0};
    int FComputerWins = 0;
    int FPlayerWins = 0;
    long FCardMoves = 0;
    long FTurnChanges = 0;
    int FLastPeriod = -1;
    TTurn FLastDATurn = tuComputer;
    int FTallyComputer = 0;
    int FTallyPlayer = 0;
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
        ASSERT_NO_FATAL_FAILURE(CheckSettled()) << "after " << clicks << " clicks";
        std::vector<int> playable;
        for (int slot = 1; slot <= SlotCount; ++slot) {
            if (Slots()[slot].Canplay)
                playable.push_back(slot);
        }
        ASSERT_FALSE(playable.empty());
        const int slot = playable[FRandom() % playable.size()];
        const QPoint at = SlotCentre(Slots()[slot]);
        const int top = Pack().bTopCardsIndex;
        const long movesBefore = FCardMoves;
        Hover(at);
        ASSERT_EQ(Slots()[slot].HSLayer->Bitmap().MasterAlpha(), 255) << "slot " << slot;
        Press(at);
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
    // A series lasts at most seven games, so 15 games span at least three series.
    for (int level = 0; level < 3 && FWanted >= 15; ++level)
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
            Pack().Card(slot).Layer->Bitmap().SetMasterAlpha(100);
        }
        F().*A::FDATurn = tuPlayer;
        const double fadeStart = ThreadCpuSeconds();
        (F().*A::SwitchTurn)(tuPlayer);
        fadeSeconds = ThreadCpuSeconds() - fadeStart;
    }
    std::printf("[ soak     ] %d games (rookie %d, pro %d, all-star %d), %ld clicks, %ld card "
                "moves in %.1f s (window thread CPU %.1f s): %.2f games/s, window %s; computer "
                "won %d, player %d\n",
                FGames, FGamesByLevel[0], FGamesByLevel[1], FGamesByLevel[2], clicks, FCardMoves,
                seconds, cpuSeconds, FGames / seconds, hidden ? "hidden" : "shown", FComputerWins,
                FPlayerWins);
    std::printf("[ soak     ] %ld changes of turn; a fade-out of two beaten cards takes %.1f ms "
                "of CPU (%.1f s for all)\n",
                FTurnChanges, fadeSeconds * 1000, FTurnChanges * fadeSeconds);
}
