// Self-play with menu chaos: whole series through the real mouse path, while New Game,
// Options (OK and Cancel), Score and About fire at random points: inside card moves (from
// the move timer's tick, so they run in the move's wait as a keypress would), during the
// computer's turn and at the player's turn. The table is checked after every card move;
// a watchdog fails the run when no card moves for a while.
//
// BT_CHAOS_GAMES sets how many games to play (default 10), BT_CHAOS_SEED the seed (default:
// the clock), BT_CHAOS_STALL the watchdog's seconds without a card move (default 10).

#include "../game/EngineFixture.h"

#include "ModalAnswerer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

int EnvInt(const char* Name, int Default)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(Name, &ok);
    return ok ? value : Default;
}

QString ClockText(int HalfMinutes)
{
    return QStringLiteral("%1:%2")
        .arg(HalfMinutes / 2, 2, 10, QLatin1Char('0'))
        .arg(HalfMinutes % 2 ? 30 : 0, 2, 10, QLatin1Char('0'));
}

enum class TCommand { NewGame, OptionsOk, OptionsCancel, Score, About, AboutAway, Count };

const char* CommandName(TCommand C)
{
    static const char* const names[] = {"New Game", "Options OK", "Options Cancel",
                                        "Score",    "About",      "About away"};
    return names[int(C)];
}

} // namespace

class ChaosSoak : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        FSeed = quint32(
            EnvInt("BT_CHAOS_SEED",
                   int(std::chrono::steady_clock::now().time_since_epoch().count() & 0x7fffffff)));
        std::printf("[ chaos    ] seed %u (BT_CHAOS_SEED)\n", FSeed);
        FRandom.seed(FSeed);
        SetShuffleSeedSource([this] {
            OnShuffle();
            return quint32(FRandom());
        });

        FSheet = new TStaticsDialog;
        StaticsDialog = FSheet;
        FOptions = new TOptionsDialog(nullptr, FDir.filePath(QStringLiteral("Brindletop.ini")));
        OptionsDialog = FOptions;
        TOptionsDialogProbe::Name(*FOptions)->setText(QStringLiteral("Chaos"));
        FForm = new TMainForm;
        MakeTimersFast(*FForm);

        TThreadedTimer* timer = FForm->MoveCardThreadedTimer;
        TNotifyEvent tick = timer->OnTimer();
        timer->SetOnTimer([this, timer, tick](QObject* Sender) { Tick(*timer, tick, Sender); });
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

    // One tick of a card's flight. Two flights must never share the path: a tick never
    // runs inside another, and the card in flight stays the same until it lands.
    void Tick(TThreadedTimer& Timer, const TNotifyEvent& Original, QObject* Sender)
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
            ++FCardMoves;
            ++FMovesSinceRequest;
            FSinceMove.restart();
            CheckCardPlaces();
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

    void OnShuffle()
    {
        if (F().*A::FGameno != 1 || F().*A::FPeriodno != 0)
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

    // Options for the next series: the levels take turns; the rest is drawn.
    void ChooseOptions()
    {
        const int level = FSeries % 3;
        ++FSeries;
        TOptionsDialogProbe::SkillLevel(*FOptions)->SetItemIndex(level);
        TOptionsDialogProbe::Dealer(*FOptions)->SetItemIndex(int(FRandom() % 2));
        TOptionsDialogProbe::GamesBestOf(*FOptions)->SetItemIndex(int(FRandom() % 4));
        TOptionsDialogProbe::AnimSpeed(*FOptions)->SetItemIndex(FRandom() % 8 == 0 ? 2 : 0);
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

    // Between clicks: the player to move, the clock matching the cards taken since the
    // deal, every command asked for carried out.
    void CheckSettled()
    {
        ASSERT_FALSE(F().SequenceRunning());
        ASSERT_EQ(F().PendingCommand(), A::TPendingCommand::None);
        ASSERT_FALSE(FNewSeriesPending) << "a New Game was lost";
        ASSERT_EQ(FSeriesStarts, FExpectedSeries);
        ASSERT_TRUE(F().*A::FCanMoveCard);
        ASSERT_EQ(F().*A::FTurn, tuPlayer);
        ASSERT_FALSE(F().*A::FOvertimeWin);
        ASSERT_TRUE((F().*A::FLocationArray).empty());
        CheckCardPlaces();
        const int taken = Pack().bTopCardsIndex - 13;
        ASSERT_EQ((F().*A::RemainingHalfMinutes)(), 40 - taken);
        if (F().*A::FPeriodno <= 4) {
            ASSERT_EQ((F().*A::FGameStatics).szstaticstime, ClockText(taken));
        }
    }

    // At every showing of the score sheet at an intermission: its totals are the
    // scoreboard's, and the goals logged period by period add up to them.
    void CheckSheet(TStaticsDialog& Sheet)
    {
        const TGameStatics& stats = F().*A::FGameStatics;
        FTallyComputer += stats.periodgoalscomputer;
        FTallyPlayer += stats.periodgoalsplayer;
        const int computer = (F().*A::GoalsOf)(tuComputer);
        const int player = (F().*A::GoalsOf)(tuPlayer);
        EXPECT_EQ(TStaticsDialogProbe::AIGoals(Sheet), computer) << "seed " << FSeed;
        EXPECT_EQ(TStaticsDialogProbe::PlayerGoals(Sheet), player) << "seed " << FSeed;
        EXPECT_EQ(FTallyComputer, computer) << "seed " << FSeed;
        EXPECT_EQ(FTallyPlayer, player) << "seed " << FSeed;
        const QString title = Sheet.windowTitle();
        if (title.startsWith(QStringLiteral("End of")) ||
            title.startsWith(QStringLiteral("Play-off winner"))) {
            ++FGames;
            EXPECT_NE(computer, player);
            FTallyComputer = FTallyPlayer = 0;
        }
    }

    void Answer(QWidget* Modal)
    {
        if (auto* box = qobject_cast<QMessageBox*>(Modal)) {
            EXPECT_EQ(box->text(), "Do you want to play again?");
            if (FGames >= FWanted) {
                box->button(QMessageBox::No)->click();
            } else {
                ChooseOptions();
                ++FExpectedSeries;
                box->button(QMessageBox::Yes)->click();
            }
            return;
        }
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
        if (!FScoreByCommand)
            CheckSheet(*sheet);
        sheet->accept();
    }

    void SendMouse(QEvent::Type Type, QPoint At, Qt::MouseButton Button)
    {
        QMouseEvent event(Type, At, F().mapToGlobal(At), Button, Button, Qt::NoModifier);
        QCoreApplication::sendEvent(F().*A::FGameTableImage, &event);
    }

    QTemporaryDir FDir;
    TStaticsDialog* FSheet = nullptr;
    TOptionsDialog* FOptions = nullptr;
    TMainForm* FForm = nullptr;
    quint32 FSeed = 0;
    std::mt19937 FRandom;
    bool FVerbose = false;
    unsigned FTicksPerCommand = 1500;
    int FWanted = 0;
    int FGames = 0;
    int FSeries = 0;
    long FCardMoves = 0;
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
    int FTallyComputer = 0;
    int FTallyPlayer = 0;
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
        std::vector<int> playable;
        for (int slot = 1; slot <= SlotCount; ++slot) {
            if (Slots()[slot].Canplay)
                playable.push_back(slot);
        }
        ASSERT_FALSE(playable.empty()) << "seed " << FSeed;
        const QPoint at = SlotCentre(Slots()[playable[FRandom() % playable.size()]]);
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
