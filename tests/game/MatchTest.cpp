// Match flow: the period clock and elapsed time, the goal list, overtime periods, the
// dealers and first movers, the deal and the report at the end of a period.

#include "EngineFixture.h"

using MatchTest = EngineTest;

TEST_F(MatchTest, CaptionsShowTheMatchsClockPeriodAndGoals)
{
    struct Case
    {
        int Period, RemainingHalfMinutes, Computer, Player;
        const char* Clock;
    };
    const Case cases[] = {{1, 40, 0, 0, "20:00"}, {2, 39, 1, 0, "19:30"}, {4, 19, 2, 3, "9:30"},
                          {7, 0, 12, 11, "0:00"},   {1, 40, 0, 0, "20:00"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Clock);
        M().SetPeriodNo(c.Period);
        M().SetRemainingHalfMinutes(c.RemainingHalfMinutes);
        M().SetGoals(c.Computer, c.Player);
        Lay({}, cvTwo);
        EXPECT_EQ(Clock(), c.Clock);
        EXPECT_EQ((F().*A::FPeriodLabel)->text(), QStringLiteral("Period %1").arg(c.Period));
        // Before a game's first goal the strip keeps its designed "0  ".
        const auto caption = [](int Goals) {
            return Goals == 0 ? QStringLiteral("0  ") : QString::number(Goals);
        };
        EXPECT_EQ(GoalsCaption(tuComputer), caption(c.Computer));
        EXPECT_EQ(GoalsCaption(tuPlayer), caption(c.Player));
    }
}

TEST_F(MatchTest, AGoalShowsOnTheCaptionsAndInThePeriodsGoalList)
{
    struct Case
    {
        TDealer GameDealer; // the side named first
        TTurn Scorer;
        int MovesBefore;
        int ComputerBefore, PlayerBefore;
        const char* Line;
    };
    const Case cases[] = {
        // The player's goal at the third move of a game named player first.
        {alPlayer, tuPlayer, 2, 0, 0, "01:30 1-0 Ann"},
        // The computer's second goal after 7:30 in a game named computer first.
        {alComputer, tuComputer, 14, 1, 1, "07:30 2-1 Computer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Line);
        (F().*A::StartSeries)();
        M().StartGame();
        M().StartPeriod(1);
        M().SetGameDealer(c.GameDealer);
        SetGoals(c.ComputerBefore, c.PlayerBefore);
        // Discards before the shot: each takes half a minute.
        for (int i = 0; i < c.MovesBefore; ++i) {
            TSteps steps;
            M().SetUpPosition({}, cvTwo, kindFaceUp, 30, c.Scorer);
            M().Play(c.Scorer, slotDiscard, steps);
        }
        // The opposing goal is empty and open; the shot is the pack's last card.
        M().SetTurn(c.Scorer);
        Lay({}, cvTwo, kindFaceUp, 52);
        const int goal = c.Scorer == tuPlayer ? slotComputerGoal : slotPlayerGoal;
        M().MarkPlayable(c.Scorer);
        EXPECT_TRUE((F().*A::CarryOutMove)(c.Scorer, goal));
        EXPECT_EQ(GoalsCaption(c.Scorer),
                  QString::number((c.Scorer == tuPlayer ? c.PlayerBefore : c.ComputerBefore) + 1));

        (F().*A::NextMove)(M().Turn()); // the pack is used up: the period ends
        EXPECT_EQ(TStaticsDialogProbe::Cell(Sheet(), 1, 2), c.Line);
    }
}

TEST_F(MatchTest, DealStartsAtTheGoalOfTheFirstMover)
{
    for (TTurn first : {tuComputer, tuPlayer}) {
        SCOPED_TRACE(first);
        M().SetPeriodDealer(first == tuComputer ? alPlayer : alComputer);
        M().SetPeriodNo(0);
        const TSteps deal = M().StartPeriod(4711);
        (F().*A::InitPeriod)();
        ASSERT_EQ(M().Turn(), first);
        Landings = 0;
        QWidget* table = F().*A::FGameTableImage;
        std::set<Qt::CursorShape> cursorsWhileDealing;
        AfterLanding = [&] { cursorsWhileDealing.insert(table->cursor().shape()); };
        (F().*A::DealCards)(deal);
        AfterLanding = nullptr;

        EXPECT_EQ(Landings, 12);
        for (int i = 0; i < 12; ++i) {
            const int slot = first == tuComputer ? 2 + i : 13 - i;
            ASSERT_NE(Slots()[slot].Card, nullptr) << "slot " << slot;
            EXPECT_EQ(Slots()[slot].Card->CardNo, i + 1) << "slot " << slot;
            EXPECT_EQ(LayerOf(*Slots()[slot].Card)->Location(), Slots()[slot].HotSpotLocation);
        }
        EXPECT_EQ(Slots()[slotComputerGoal].Card->Kind, kindComputerBack);
        EXPECT_EQ(Slots()[slotPlayerGoal].Card->Kind, kindPlayerBack);
        for (int slot = 3; slot <= 12; ++slot)
            EXPECT_EQ(Slots()[slot].Card->Kind, kindFaceUp) << "slot " << slot;
        EXPECT_EQ(Pack().bTopCardsIndex, 13);
        ASSERT_NE(Slots()[slotPack].Card, nullptr);
        EXPECT_EQ(Slots()[slotPack].Card->CardNo, 13);
        EXPECT_EQ(Slots()[slotPack].Card->Kind, kindFaceUp);
        EXPECT_EQ(Clock(), "20:00");
        EXPECT_EQ(cursorsWhileDealing, std::set<Qt::CursorShape>{Qt::WaitCursor});
        EXPECT_FALSE(table->testAttribute(Qt::WA_SetCursor)); // the default cursor again
    }
}

TEST_F(MatchTest, PeriodWithoutGoalsReportsNilNilAndShowsTheGoalCards)
{
    (F().*A::StartSeries)();
    (F().*A::InitGame)();
    M().StartPeriod(1);
    (F().*A::InitPeriod)();
    // The pack is used up; a face-down card guards each goal.
    Lay({{2, cvNine, false, kindComputerBack}, {13, cvThree, false, kindPlayerBack}}, cvTwo,
        kindFaceUp, 53);

    std::vector<uint8_t> goalKindsAtIntermission;
    Sheet().OnShow = [&] {
        goalKindsAtIntermission = {Slots()[2].Card->Kind, Slots()[13].Card->Kind};
    };
    const int shuffles = Shuffles;
    (F().*A::NextMove)(M().Turn());

    EXPECT_EQ(Sheet().Showings, 1);
    EXPECT_EQ(TStaticsDialogProbe::Cell(Sheet(), 1, 1), "0-0");
    EXPECT_EQ(TStaticsDialogProbe::Cell(Sheet(), 1, 2), "");
    EXPECT_EQ(goalKindsAtIntermission, (std::vector<uint8_t>{kindFaceUp, kindFaceUp}));
    // The sheet asked for the next period, which has been dealt.
    EXPECT_EQ(Shuffles, shuffles + 1);
    EXPECT_EQ(M().PeriodNo(), 2);
    EXPECT_EQ((F().*A::FPeriodLabel)->text(), "Period 2");
}

TEST_F(MatchTest, PeriodResultNamesTheGameDealerFirst)
{
    for (TDealer named : {alPlayer, alComputer}) {
        SCOPED_TRACE(named);
        (F().*A::StartSeries)();
        (F().*A::InitGame)();
        M().StartPeriod(1);
        (F().*A::InitPeriod)();
        M().SetGameDealer(named);
        // One goal of the computer's, then two of the player's, in this period.
        for (TTurn scorer : {tuComputer, tuPlayer, tuPlayer}) {
            M().SetUpPosition({}, cvTwo, kindFaceUp, 30, scorer);
            TSteps steps;
            M().Play(scorer, OpposingGoal(scorer), steps);
        }
        Lay({}, cvTwo, kindFaceUp, 53);
        (F().*A::NextMove)(tuPlayer);
        EXPECT_EQ(TStaticsDialogProbe::Cell(Sheet(), 1, 1), named == alPlayer ? "2-1" : "1-2");
        EXPECT_EQ(TStaticsDialogProbe::AIGoals(Sheet()), 1);
        EXPECT_EQ(TStaticsDialogProbe::PlayerGoals(Sheet()), 2);
    }
}

TEST_F(MatchTest, OvertimeGoalEndsThePeriodWithCardsLeft)
{
    SetBestOf(boThree);
    SetDealer(alComputer); // the player is named first in game 1
    (F().*A::StartSeries)();
    (F().*A::InitGame)();
    SheetHasSeenLevelPeriods(3);
    M().SetPeriodNo(3);
    M().StartPeriod(1);
    (F().*A::InitPeriod)();
    ASSERT_EQ(M().PeriodNo(), 4);

    // The player shoots at the computer's open, empty goal with many cards left.
    Lay({{3, cvKing}, {4, cvKing}, {6, cvKing}, {7, cvKing}}, cvFour, kindFaceUp, 25);
    M().SetTurn(tuPlayer);
    EXPECT_TRUE((F().*A::CarryOutMove)(tuPlayer, slotComputerGoal));
    EXPECT_TRUE(M().OvertimeWin());
    EXPECT_EQ(Pack().bTopCardsIndex, 26);

    const int gamesBefore = M().GameNo();
    (F().*A::NextMove)(tuComputer);
    EXPECT_EQ(Sheet().Showings, 4);
    EXPECT_EQ(TStaticsDialogProbe::Cell(Sheet(), 1, 7), "1-0 OT");
    EXPECT_EQ(TStaticsDialogProbe::Cell(Sheet(), 1, 8), "00:30 1-0 Ann");
    // The game is over: the next one has begun, without the overtime goal.
    EXPECT_EQ(M().GameNo(), gamesBefore + 1);
    EXPECT_FALSE(M().OvertimeWin());
    EXPECT_EQ(M().PeriodNo(), 1);
}
