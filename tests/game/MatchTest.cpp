// Match flow: the period clock and elapsed time, the goal list, overtime periods, the
// dealers and first movers, the deal and the report at the end of a period.

#include "EngineFixture.h"

namespace {

TTurn Other(TTurn Side)
{
    return Side == tuComputer ? tuPlayer : tuComputer;
}

} // namespace

using MatchTest = EngineTest;

TEST_F(MatchTest, ClockAndElapsedTimeFollowTheMoves)
{
    struct Case
    {
        int Moves;
        const char* Clock;
        const char* Elapsed;
    };
    const Case cases[] = {
        {0, "20:00", "00:00"}, {1, "19:30", "00:30"}, {20, "10:00", "10:00"},
        {21, "9:30", "10:30"}, {40, "0:00", "20:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Moves);
        F().*A::FPeriodno = 0;
        (F().*A::InitPeriod)();
        for (int i = 0; i < c.Moves; ++i)
            (F().*A::AdvanceClock)();
        EXPECT_EQ(Clock(), c.Clock);
        EXPECT_EQ(Stats().szstaticstime, c.Elapsed);
    }
}

TEST_F(MatchTest, OvertimePeriodsFromTheFifthKeepCountingTheElapsedTime)
{
    F().*A::FPeriodno = 3;
    (F().*A::InitPeriod)();
    EXPECT_EQ((F().*A::FPeriodLabel)->text(), "Period 4");
    EXPECT_EQ(Clock(), "20:00");
    EXPECT_EQ(Stats().szstaticstime, "00:00");

    for (int i = 0; i < 40; ++i)
        (F().*A::AdvanceClock)();
    EXPECT_EQ(Clock(), "0:00");
    EXPECT_EQ(Stats().szstaticstime, "20:00");

    (F().*A::InitPeriod)();
    EXPECT_EQ((F().*A::FPeriodLabel)->text(), "Period 5");
    EXPECT_EQ(Clock(), "20:00");
    EXPECT_EQ(Stats().szstaticstime, "20:00");
    (F().*A::AdvanceClock)();
    EXPECT_EQ(Clock(), "19:30");
    EXPECT_EQ(Stats().szstaticstime, "20:30");
}

TEST_F(MatchTest, AGoalAddsALineToThePeriodsGoalList)
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
        {alPlayer, tuPlayer, 2, 0, 0, "01:30 1-0 Ann\n\r"},
        // The computer's second goal after 7:30 in a game named computer first.
        {alComputer, tuComputer, 14, 1, 1, "07:30 2-1 Computer\n\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Line);
        F().*A::FPeriodno = 0;
        (F().*A::InitPeriod)();
        F().*A::FGameDealer = c.GameDealer;
        F().*A::FTurn = c.Scorer;
        SetGoals(c.ComputerBefore, c.PlayerBefore);
        for (int i = 0; i < c.MovesBefore; ++i)
            (F().*A::AdvanceClock)();
        // The opposing goal is empty and open.
        Lay({}, cvTwo);

        const int goal = c.Scorer == tuPlayer ? slotComputerGoal : slotPlayerGoal;
        EXPECT_TRUE((F().*A::CarryOutMove)(c.Scorer, goal));

        EXPECT_EQ(Stats().periodgoals, c.Line);
        EXPECT_EQ(Stats().periodgoalsplayer, c.Scorer == tuPlayer ? 1 : 0);
        EXPECT_EQ(Stats().periodgoalscomputer, c.Scorer == tuComputer ? 1 : 0);
    }
}

TEST_F(MatchTest, DealerAlternatesFromPeriodToPeriodAndGameToGame)
{
    for (TDealer optionDealer : {alComputer, alPlayer}) {
        SCOPED_TRACE(optionDealer);
        SetDealer(optionDealer);
        (F().*A::ReadOptions)();
        const TTurn dealerSide = optionDealer == alComputer ? tuComputer : tuPlayer;
        for (int game = 1; game <= 3; ++game) {
            (F().*A::InitGame)();
            EXPECT_EQ(F().*A::FGameno, game);
            for (int period = 1; period <= 5; ++period) {
                SCOPED_TRACE(testing::Message() << "game " << game << " period " << period);
                (F().*A::InitPeriod)();
                // The dealer is the options' dealer when game + period is even and does
                // not move first.
                const TTurn dealer = (game + period) % 2 == 0 ? dealerSide : Other(dealerSide);
                EXPECT_EQ(F().*A::FTurn, Other(dealer));
                EXPECT_EQ(F().*A::FDATurn, dealer);
                if (period == 1) {
                    const TDealer named = F().*A::FGameDealer;
                    EXPECT_EQ(named == alComputer ? tuComputer : tuPlayer, F().*A::FTurn);
                }
            }
        }
    }
}

TEST_F(MatchTest, DealStartsAtTheGoalOfTheFirstMover)
{
    for (TTurn first : {tuComputer, tuPlayer}) {
        SCOPED_TRACE(first);
        ShuffleCards(Pack(), *F().CardsBitmap32List);
        F().*A::FPeriodDealer = first == tuComputer ? alPlayer : alComputer;
        F().*A::FPeriodno = 0;
        (F().*A::InitPeriod)();
        ASSERT_EQ(F().*A::FTurn, first);
        Landings = 0;
        QWidget* table = F().*A::FGameTableImage;
        std::set<Qt::CursorShape> cursorsWhileDealing;
        AfterLanding = [&] { cursorsWhileDealing.insert(table->cursor().shape()); };
        (F().*A::DealCards)(first);
        AfterLanding = nullptr;

        EXPECT_EQ(Landings, 12);
        for (int i = 0; i < 12; ++i) {
            const int slot = first == tuComputer ? 2 + i : 13 - i;
            ASSERT_NE(Slots()[slot].Card, nullptr) << "slot " << slot;
            EXPECT_EQ(Slots()[slot].Card->CardNo, i + 1) << "slot " << slot;
            EXPECT_EQ(Slots()[slot].Card->Layer->Location(), Slots()[slot].HotSpotLocation);
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
    (F().*A::InitPeriod)();
    // The pack is used up; a face-down card guards each goal.
    Lay({{2, cvNine, false, kindComputerBack}, {13, cvThree, false, kindPlayerBack}}, cvTwo,
        kindFaceUp, 53);

    std::vector<uint8_t> goalKindsAtIntermission;
    Sheet().OnShow = [&] {
        goalKindsAtIntermission = {Slots()[2].Card->Kind, Slots()[13].Card->Kind};
    };
    const int shuffles = Shuffles;
    (F().*A::NextMove)(F().*A::FTurn);

    EXPECT_EQ(Sheet().Showings, 1);
    EXPECT_EQ(TStaticsDialogProbe::Cell(Sheet(), 1, 1), "0-0");
    EXPECT_EQ(TStaticsDialogProbe::Cell(Sheet(), 1, 2), "");
    EXPECT_EQ(goalKindsAtIntermission, (std::vector<uint8_t>{kindFaceUp, kindFaceUp}));
    // The sheet asked for the next period, which has been dealt.
    EXPECT_EQ(Shuffles, shuffles + 1);
    EXPECT_EQ(F().*A::FPeriodno, 2);
    EXPECT_EQ((F().*A::FPeriodLabel)->text(), "Period 2");
}

TEST_F(MatchTest, PeriodResultNamesTheGameDealerFirst)
{
    for (TDealer named : {alPlayer, alComputer}) {
        SCOPED_TRACE(named);
        (F().*A::StartSeries)();
        (F().*A::InitGame)();
        (F().*A::InitPeriod)();
        F().*A::FGameDealer = named;
        Stats().periodgoalsplayer = 2;
        Stats().periodgoalscomputer = 1;
        SetGoals(1, 2);
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
    F().*A::FPeriodno = 3;
    (F().*A::InitPeriod)();
    ASSERT_EQ(F().*A::FPeriodno, 4);

    // The player shoots at the computer's open, empty goal with many cards left.
    Lay({{3, cvKing}, {4, cvKing}, {6, cvKing}, {7, cvKing}}, cvFour, kindFaceUp, 25);
    F().*A::FTurn = tuPlayer;
    EXPECT_TRUE((F().*A::CarryOutMove)(tuPlayer, slotComputerGoal));
    EXPECT_TRUE(F().*A::FOvertimeWin);
    EXPECT_EQ(Pack().bTopCardsIndex, 26);

    const int gamesBefore = F().*A::FGameno;
    (F().*A::NextMove)(tuComputer);
    EXPECT_EQ(Sheet().Showings, 4);
    EXPECT_EQ(TStaticsDialogProbe::Cell(Sheet(), 1, 7), "1-0 OT");
    EXPECT_EQ(TStaticsDialogProbe::Cell(Sheet(), 1, 8), "00:30 1-0 Ann");
    // The game is over: the next one has begun, without the overtime goal.
    EXPECT_EQ(F().*A::FGameno, gamesBefore + 1);
    EXPECT_FALSE(F().*A::FOvertimeWin);
    EXPECT_EQ(F().*A::FPeriodno, 1);
}
