// New Game, Close and clicks that arrive while a move sequence runs: they wait for it to
// unwind, are carried out once, and never start a move of their own inside it.

#include "EngineFixture.h"

#include "ModalAnswerer.h"
#include "dialogs/StatisticsStore.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QToolTip>

using TPending = A::TPendingCommand;

class SequenceTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        SetDealer(alComputer); // the player moves first in the first period
    }

    // Runs Inside from the nested event loop of the first card move that follows.
    void DuringTheNextMove(std::function<void()> Inside)
    {
        QTimer::singleShot(0, &F(), [this, Inside] {
            EXPECT_TRUE(F().MoveCardThreadedTimer->Enabled());
            Inside();
        });
    }

    void ExpectIdle()
    {
        EXPECT_EQ(F().*A::FSequenceDepth, 0);
        EXPECT_EQ(F().PendingCommand(), TPending::None);
        EXPECT_TRUE(F().*A::FCanMoveCard);
    }

    // The first period of a new series, dealt, with the player to move.
    void ExpectFreshDeal()
    {
        EXPECT_EQ(M().GameNo(), 1);
        EXPECT_EQ(M().PeriodNo(), 1);
        EXPECT_EQ(Pack().bTopCardsIndex, 13);
        EXPECT_EQ(Clock(), "20:00");
        EXPECT_EQ(M().Turn(), tuPlayer);
        for (int slot = 2; slot <= 13; ++slot)
            EXPECT_NE(Slots()[slot].Card, nullptr) << "slot " << slot;
    }
};

TEST_F(SequenceTest, NewSeriesWhileIdleStartsAtOnce)
{
    F().RequestNewSeries();
    EXPECT_EQ(Shuffles, 1);
    EXPECT_EQ(Landings, 12);
    ExpectFreshDeal();
    ExpectIdle();
}

// New Game right after a shot: the old match's caption, tip, hint and markers do not show
// over the new deal.
TEST_F(SequenceTest, NewGameEndsWhatTheOldMatchShowed)
{
    ShowWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&F()));
    F().RequestNewSeries();
    ASSERT_EQ(M().Turn(), tuPlayer);
    ASSERT_FALSE(F().MarkedSlots().empty());
    F().ShowShotOutcome(true);
    F().ShowHint();
    ASSERT_NE(F().HintedSlot(), -1);
    // Space on the computer's covered goal: refused, with a tip by the slot.
    (F().*A::SetFocusSlot)(slotComputerGoal);
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
    QCoreApplication::sendEvent(F().*A::FGameTableImage, &space);
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 1000));

    struct
    {
        bool Shot = true;
        int Hint = 0;
        std::vector<int> Marked{0};
    } duringDeal;
    DuringTheNextMove([&] {
        duringDeal = {F().ShotOutcomeShown(), F().HintedSlot(), F().MarkedSlots()};
    });
    F().FileNewGameAction->trigger();
    EXPECT_FALSE(duringDeal.Shot);
    EXPECT_EQ(duringDeal.Hint, -1);
    EXPECT_EQ(duringDeal.Marked, std::vector<int>{});
    EXPECT_FALSE(F().ShotOutcomeShown());
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000))
        << QToolTip::text().toStdString();
    ExpectFreshDeal();
}

// New Game gives the series up: after its first move that loses it at its level, as a
// game given up counts in solitaire; right after the deal nothing has been played yet.
TEST_F(SequenceTest, ASeriesGivenUpAfterItsFirstMoveCountsAsLost)
{
    struct Case
    {
        const char* Name;
        bool Moved;
        int Lost;
    };
    const Case cases[] = {{"right after the deal", false, 0}, {"after a move", true, 1}};
    SetSkill(slPro);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        F().RequestNewSeries();
        const TLevelRecord before = ReadStatistics(StatisticsFilePath()).Of(slPro);
        if (c.Moved) {
            A::TSequence click(F());
            (F().*A::CarryOutMove)(tuPlayer, M().Playable(tuPlayer).front());
            (F().*A::NextMove)(M().Turn());
        }
        F().FileNewGameAction->trigger();
        const TLevelRecord after = ReadStatistics(StatisticsFilePath()).Of(slPro);
        EXPECT_EQ(after.SeriesPlayed - before.SeriesPlayed, c.Lost);
        EXPECT_EQ(after.SeriesLost - before.SeriesLost, c.Lost);
        EXPECT_EQ(after.SeriesWon, before.SeriesWon);
        ExpectFreshDeal();
    }
}

TEST_F(SequenceTest, NewGameDuringADealDealsOnceMoreAfterUnwinding)
{
    int shufflesInside = -1;
    TPending pendingInside = TPending::None;
    DuringTheNextMove([&] {
        F().RequestNewSeries();
        F().RequestNewSeries();
        shufflesInside = Shuffles;
        pendingInside = F().PendingCommand();
    });
    F().RequestNewSeries();

    EXPECT_EQ(shufflesInside, 1); // nothing started inside the running deal
    EXPECT_EQ(pendingInside, TPending::NewSeries);
    EXPECT_EQ(Shuffles, 2);
    // The card in flight landed, no further card of the old deal moved, then a full deal.
    EXPECT_EQ(Landings, 1 + 12);
    ExpectFreshDeal();
    ExpectIdle();
}

TEST_F(SequenceTest, NewGameDuringTheComputersTurnWindsItUp)
{
    SetDealer(alPlayer); // the computer moves first
    int landingsAtRequest = -1;
    AfterLanding = [&] {
        if (Landings == 13) { // the computer's first move after the deal
            landingsAtRequest = Landings;
            F().RequestNewSeries();
        }
    };
    F().RequestNewSeries();
    AfterLanding = nullptr;

    EXPECT_EQ(landingsAtRequest, 13);
    EXPECT_EQ(Shuffles, 2);
    EXPECT_EQ(M().GameNo(), 1);
    EXPECT_EQ(M().PeriodNo(), 1);
    ExpectIdle();
}

TEST_F(SequenceTest, CloseDuringASequenceClosesAfterUnwinding)
{
    ShowWindow();
    bool visibleInside = false;
    DuringTheNextMove([&] {
        F().RequestClose();
        visibleInside = F().isVisible();
    });
    F().RequestNewSeries();

    EXPECT_TRUE(visibleInside);
    EXPECT_TRUE(F().*A::FClosing);
    EXPECT_FALSE(F().isVisible());
    EXPECT_EQ(Landings, 1);
    EXPECT_EQ(F().PendingCommand(), TPending::None);
}

TEST_F(SequenceTest, CloseOutranksANewSeries)
{
    ShowWindow();
    DuringTheNextMove([&] {
        F().RequestClose();
        F().RequestNewSeries();
        EXPECT_EQ(F().PendingCommand(), TPending::Close);
    });
    F().RequestNewSeries();

    EXPECT_EQ(Shuffles, 1);
    EXPECT_FALSE(F().isVisible());
}

TEST_F(SequenceTest, ClickDuringADealDoesNothing)
{
    DuringTheNextMove([&] {
        // Through the mouse, and straight at the engine with a lit frame of a slot left
        // marked by an interrupted turn.
        const QPoint at = SlotCentre(Slots()[9]);
        QMouseEvent move(QEvent::MouseMove, at, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(F().*A::FGameTableImage, &move);
        QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(F().*A::FGameTableImage, &press);

        M().SetCanplay(9, true);
        Slots()[9].HSLayer->Bitmap().SetMasterAlpha(255);
        (F().*A::HotSpotMouseDown)(Slots()[9].HSLayer, Qt::LeftButton, Qt::NoModifier, at.x(),
                                   at.y());
    });
    F().RequestNewSeries();

    EXPECT_EQ(Landings, 12);
    ExpectFreshDeal();
    ExpectIdle();
}

// The end of a series of one game: the sheet names the winner, then the question.
class PlayAgainTest : public SequenceTest,
                      public ::testing::WithParamInterface<QMessageBox::StandardButton>
{
protected:
    // The last period of a one-game series, played out up to its last move.
    void ReachTheLastMove()
    {
        SetBestOf(boOne);
        ShowWindow();
        (F().*A::StartSeries)();
        (F().*A::InitGame)();
        SheetHasSeenLevelPeriods(2);
        M().SetPeriodNo(2);
        M().StartPeriod(1);
        (F().*A::InitPeriod)();
        Lay({}, cvTwo, kindFaceUp, 53); // the third period is over
        SetGoals(0, 1);
    }
    // The move that ends the series, as a click runs it.
    void PlayTheLastMove()
    {
        A::TSequence click(F());
        (F().*A::NextMove)(tuPlayer);
        EXPECT_TRUE(F().isVisible()); // even after No, the sequence unwinds first
    }
};

TEST_P(PlayAgainTest, AnswerToTheQuestion)
{
    const bool yes = GetParam() == QMessageBox::Yes;
    ReachTheLastMove();
    const int shuffles = Shuffles;

    QPoint boxCentre;
    ModalAnswerer answer([&](QWidget* Modal) {
        boxCentre = Modal->frameGeometry().center();
        ModalAnswerer::Click(GetParam())(Modal);
    });
    PlayTheLastMove();

    EXPECT_EQ(answer.Texts(), QStringList{QStringLiteral("Do you want to play again?")});
    EXPECT_LE((boxCentre - F().frameGeometry().center()).manhattanLength(), 2);
    EXPECT_EQ(F().isVisible(), yes);
    EXPECT_EQ(F().*A::FClosing, !yes);
    EXPECT_EQ(Shuffles, yes ? shuffles + 1 : shuffles);
    if (yes)
        ExpectFreshDeal();
    EXPECT_EQ(F().PendingCommand(), TPending::None);
}

// Yes starts the next series with the options as they stand when it is given, not as they
// stood when the series now ending began.
TEST_F(PlayAgainTest, YesPlaysOnWithTheOptionsChangedSince)
{
    SetSkill(slRookie);
    TOptionsDialogProbe::AnimSpeed(Options())->SetItemIndex(asFast);
    ReachTheLastMove();
    ASSERT_EQ(F().*A::FStep, 30);
    ASSERT_EQ(M().Level(), slRookie);

    SetSkill(slAllStar);
    TOptionsDialogProbe::AnimSpeed(Options())->SetItemIndex(asLow);
    ModalAnswerer answer(ModalAnswerer::Click(QMessageBox::Yes));
    PlayTheLastMove();

    ASSERT_EQ(answer.Count(), 1);
    EXPECT_EQ(F().*A::FStep, 10);
    EXPECT_EQ(M().Level(), slAllStar);
    ExpectFreshDeal();
}

INSTANTIATE_TEST_SUITE_P(YesAndNo, PlayAgainTest,
                         ::testing::Values(QMessageBox::Yes, QMessageBox::No));
