// Self-play with menu chaos: whole series through the real mouse path, while New Game,
// Options (OK and Cancel), Score and About fire at random points: inside card moves (from
// the move timer's tick, so they run in the move's wait as a keypress would), during the
// computer's turn and at the player's turn. The table is checked after every card move;
// a watchdog fails the run when no card moves for a while.
//
// BT_CHAOS_GAMES sets how many games to play (default 10), BT_CHAOS_SEED the seed (default:
// the clock), BT_CHAOS_STALL the watchdog's seconds without a card move (default 30),
// BT_CHAOS_HIDDEN=1 plays with the window hidden: nothing is painted, which makes long runs
// under the sanitizers several times faster.

#include "../game/SelfPlayHarness.h"

#include "ModalAnswerer.h"

#include <QElapsedTimer>
#include <QTimer>

#include <cstdlib>

namespace {

enum class TCommand { NewGame, OptionsOk, OptionsCancel, Score, About, AboutAway, Count };

const char* CommandName(TCommand C)
{
    static const char* const names[] = {"New Game", "Options OK", "Options Cancel",
                                        "Score",    "About",      "About away"};
    return names[int(C)];
}

} // namespace

class ChaosSoak : public SelfPlayHarness
{
protected:
    void SetUp() override { SetUpHarness("BT_CHAOS_SEED", "chaos", QStringLiteral("Chaos")); }

    // One tick of a card's flight. Two flights must never share the path: a tick never
    // runs inside another, and the card in flight stays the same until it lands.
    void Tick(TThreadedTimer& Timer, const TNotifyEvent& Original, QObject* Sender) override
    {
        EXPECT_EQ(FTickDepth, 0) << "a tick inside a tick; seed " << FSeed;
        const TPlayingCard* card = (F().*A::FMovingSourceRect).Card;
        if (FFlightCard == nullptr)
            FFlightCard = card;
        EXPECT_EQ(card, FFlightCard) << "a second move refilled the path; seed " << FSeed;
        ++FTickDepth;
        Original(Sender);
        --FTickDepth;
        if (!Timer.Enabled()) {
            FFlightCard = nullptr;
            ++FMovesSinceRequest;
            FSinceMove.restart();
            CardLanded();
        } else if (FRandom() % FTicksPerCommand == 0) {
            // As a keypress: handled in the move's wait, after this tick.
            const TCommand command = DrawCommand();
            QTimer::singleShot(0, FForm, [this, command] { Issue(command, "in a move"); });
        }
    }

    TCommand DrawCommand() { return TCommand(FRandom() % unsigned(TCommand::Count)); }

    // A command as a player gives it. A modal window blocks the main window's menu, so
    // then nothing happens; the about screen goes away by a click on it.
    void Issue(TCommand Command, const char* Where)
    {
        if (F().*A::FClosing || QApplication::activeModalWidget())
            return;
        ++FIssued[int(Command)];
        if (FVerbose)
            std::printf("[ chaos    ] %s %s (depth %d)\n", CommandName(Command), Where,
                        F().*A::FSequenceDepth);
        const bool running = F().SequenceRunning();
        switch (Command) {
        case TCommand::NewGame:
            F().FileNewGameAction->trigger();
            ExpectNewSeries(running);
            break;
        case TCommand::OptionsOk:
        case TCommand::OptionsCancel: {
            // Commands given inside this one's card moves may answer the dialog otherwise.
            const bool accept = Command == TCommand::OptionsOk;
            FOptionsAccept = accept;
            const int before = FSeriesStarts;
            F().FileOptionsAction->trigger();
            if (accept) {
                ExpectNewSeries(running);
            } else if (!running) {
                EXPECT_EQ(FSeriesStarts, before) << "Options-Cancel dealt anew; seed " << FSeed;
            }
            break;
        }
        case TCommand::Score:
            FScoreByCommand = true;
            F().FileScoreAction->trigger();
            FScoreByCommand = false;
            break;
        case TCommand::About:
            F().HelpAboutAction->trigger();
            EXPECT_NE(F().*A::FAboutImage, nullptr);
            break;
        case TCommand::AboutAway:
            if (F().*A::FAboutImage)
                (F().*A::LogoClick)(F().*A::FAboutImage);
            EXPECT_EQ(F().*A::FAboutImage, nullptr);
            break;
        case TCommand::Count:
            break;
        }
    }

    // Carried out at once when no sequence runs, else once the running one has unwound;
    // several requests during one sequence make one new series.
    void ExpectNewSeries(bool Running)
    {
        if (!Running) {
            ++FExpectedSeries;
            return;
        }
        if (!FNewSeriesPending)
            FMovesSinceRequest = 0;
        FNewSeriesPending = true;
    }

    void OnShuffle() override
    {
        if (M().GameNo() != 1 || M().PeriodNo() != 0)
            return;
        // A new series: the sheet emptied, the pack from its top.
        ++FSeriesStarts;
        EXPECT_EQ(TStaticsDialogProbe::Game(*FSheet), 1) << "seed " << FSeed;
        EXPECT_EQ(TStaticsDialogProbe::AIWins(*FSheet), 0) << "seed " << FSeed;
        EXPECT_EQ(TStaticsDialogProbe::PlayerWins(*FSheet), 0) << "seed " << FSeed;
        FTallyComputer = FTallyPlayer = 0;
        if (FNewSeriesPending) {
            // The sequence wound up: at most the card in flight landed.
            EXPECT_LE(FMovesSinceRequest, 1) << "moves after New Game; seed " << FSeed;
            FNewSeriesPending = false;
            ++FExpectedSeries;
        }
    }

    // Between clicks: the table settled, and every command asked for carried out.
    void CheckSettled()
    {
        ASSERT_EQ(F().PendingCommand(), A::TPendingCommand::None);
        ASSERT_FALSE(FNewSeriesPending) << "a New Game was lost";
        ASSERT_EQ(FSeriesStarts, FExpectedSeries);
        CheckSettledTable();
    }

    void OnPlayAgain() override { ++FExpectedSeries; }

    void Answer(QWidget* Modal)
    {
        if (AnswerPlayAgain(Modal))
            return;
        if (auto* options = qobject_cast<TOptionsDialog*>(Modal)) {
            if (FOptionsAccept) {
                ChooseOptions();
                options->accept();
            } else {
                options->reject();
            }
            return;
        }
        auto* sheet = qobject_cast<TStaticsDialog*>(Modal);
        ASSERT_NE(sheet, nullptr) << Modal->metaObject()->className();
        // At an intermission; the sheet asked for by Score is only looked at.
        if (!FScoreByCommand)
            TallySheet(*sheet);
        sheet->accept();
    }

    bool FVerbose = false;
    unsigned FTicksPerCommand = 1500;
    int FTickDepth = 0;
    const TPlayingCard* FFlightCard = nullptr;
    QElapsedTimer FSinceMove;
    int FIssued[int(TCommand::Count)] = {};
    bool FOptionsAccept = false;
    bool FScoreByCommand = false;
    bool FNewSeriesPending = false;
    int FMovesSinceRequest = 0;
    int FSeriesStarts = 0;
    int FExpectedSeries = 0;
};

TEST_F(ChaosSoak, SeriesWithMenuCommandsAtRandomPoints)
{
    FWanted = EnvInt("BT_CHAOS_GAMES", 10);
    FVerbose = EnvInt("BT_CHAOS_VERBOSE", 0) != 0;
    const int stallSeconds = EnvInt("BT_CHAOS_STALL", 30);
    ModalAnswerer answerer([this](QWidget* Modal) { Answer(Modal); }, 1);

    // No card move for too long: a hang. Fail loudly rather than wait for CTest's timeout.
    QTimer watchdog;
    watchdog.setInterval(1000);
    QObject::connect(&watchdog, &QTimer::timeout, [this, stallSeconds] {
        if (FSinceMove.elapsed() > stallSeconds * 1000LL) {
            std::fprintf(stderr, "[ chaos    ] no card move for %d s; seed %u\n", stallSeconds,
                         FSeed);
            std::abort();
        }
    });
    FSinceMove.start();
    watchdog.start();

    ChooseOptions();
    F().*A::FActivated = true; // the test starts the series itself
    if (EnvInt("BT_CHAOS_HIDDEN", 0) == 0)
        F().show();
    QElapsedTimer clock;
    clock.start();
    ++FExpectedSeries;
    F().RequestNewSeries();

    long clicks = 0;
    bool exitIssued = false;
    int movesAtExit = 0;
    while (!(F().*A::FClosing)) {
        ASSERT_NO_FATAL_FAILURE(CheckSettled()) << "after " << clicks << " clicks; seed " << FSeed;
        if (FGames >= FWanted && !exitIssued) {
            // Exit once, at the very end, from inside the next card move.
            exitIssued = true;
            TThreadedTimer* timer = F().MoveCardThreadedTimer;
            timer->SetOnTimer([this, timer, tick = timer->OnTimer(), &movesAtExit](QObject* s) {
                tick(s);
                if (timer->Enabled() && F().PendingCommand() == A::TPendingCommand::None) {
                    QTimer::singleShot(0, FForm, [this, &movesAtExit] {
                        movesAtExit = int(FCardMoves);
                        F().FileExitAction->trigger();
                    });
                }
            });
        }
        if (FRandom() % 80 == 0) {
            Issue(DrawCommand(), "at the player's turn");
            continue;
        }
        const QPoint at = SlotCentre(Slots()[DrawPlayableSlot()]);
        SendMouse(QEvent::MouseMove, at, Qt::NoButton);
        SendMouse(QEvent::MouseButtonPress, at, Qt::LeftButton);
        ++clicks;
        ASSERT_LT(FGames, FWanted + 8) << "the end never came; seed " << FSeed;
    }
    const double seconds = clock.elapsed() / 1000.0;

    EXPECT_GE(FGames, FWanted);
    EXPECT_EQ(F().*A::FSequenceDepth, 0);
    EXPECT_FALSE(FNewSeriesPending);
    if (exitIssued && movesAtExit > 0) {
        // The window closed once the sequence unwound: at most the card in flight landed.
        EXPECT_LE(FCardMoves - movesAtExit, 1) << "seed " << FSeed;
    }
    std::printf("[ chaos    ] %d games, %d series, %ld clicks, %ld card moves in %.1f s; "
                "commands: new game %d, options OK %d, cancel %d, score %d, about %d, "
                "about away %d\n",
                FGames, FSeriesStarts, clicks, FCardMoves, seconds, FIssued[0], FIssued[1],
                FIssued[2], FIssued[3], FIssued[4], FIssued[5]);
}
