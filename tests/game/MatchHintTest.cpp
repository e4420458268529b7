// A level asked on the player's behalf: the computer's rules applied to the player's side
// of the table, worked out by hand for each position.

#include "game/Match.h"

#include "Positions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

struct THintCase
{
    const char* Name;
    std::vector<TCardAt> Cards;
    TCardValue Top;
    uint8_t TopKind = kindFaceUp;
    int TopIndex = 30;
    int Remaining = TMatch::PeriodHalfMinutes;
    TCardValue ComputerLastShot = cvTwo; // the computer's own last shot
    TCardValue PlayerLastShot = cvTwo;   // the player's last saved shot
    int AllStar;                         // the player's slot All-Star would play
};

// The computer's goal lies open behind a lone Five on its left wing; the player's line is
// full, so its own goal is covered.
std::vector<TCardAt> OpenGoalAndAForward()
{
    return With(Full(cvFive, cvKing), {}, {3, 4, 6, 7});
}

const THintCase HintCases[] = {
    {"nothing but the discard pile", Full(cvKing, cvFive), cvSeven, kindFaceUp, 30, 40, cvTwo,
     cvTwo, 14},
    {"a face-down card into the own goal while time remains", With(Full(cvKing, cvFive), {}, {13}),
     cvTen, kindPlayerBack, 30, 40, cvTwo, cvTwo, 13},
    {"a face-down card turned over when the clock is short", With(Full(cvKing, cvFive), {}, {13}),
     cvTen, kindPlayerBack, 30, 0, cvTwo, cvTwo, 1},
    {"a shot above the player's last saved shot", OpenGoalAndAForward(), cvTen, kindFaceUp, 30, 40,
     cvTwo, cvNine, 2},
    {"no shot below the player's last saved shot: the forward instead", OpenGoalAndAForward(),
     cvTen, kindFaceUp, 30, 40, cvTwo, cvJack, 5},
    {"the computer's own last shot does not hold the player back", OpenGoalAndAForward(), cvTen,
     kindFaceUp, 30, 40, cvAce, cvTwo, 2},
    {"a low card beats the forward rather than shooting", OpenGoalAndAForward(), cvSix, kindFaceUp,
     30, 40, cvTwo, cvTwo, 5},
    {"the last card of the pack shoots, low or not", OpenGoalAndAForward(), cvSix, kindFaceUp,
     CardCount, 40, cvTwo, cvTwo, 2},
    {"of two wings, the one before the stronger defender",
     With(Full(cvTwo, cvKing), {{3, cvKing}, {4, cvQueen}, {5, cvTwo}, {6, cvSix}, {7, cvFour}}),
     cvSeven, kindFaceUp, 30, 40, cvTwo, cvTwo, 7},
    {"an Eight to the defender behind the weaker forwards",
     With(Full(cvKing, cvKing), {{8, cvTwo}, {9, cvThree}}, {11, 12}), cvEight, kindFaceUp, 30, 40,
     cvTwo, cvTwo, 11},
    {"a low card to the wing beside the weaker side",
     With(Full(cvKing, cvKing), {{9, cvTwo}, {11, cvThree}, {12, cvKing}}, {8, 10}), cvFive,
     kindFaceUp, 30, 40, cvTwo, cvTwo, 8},
};

TEST(MatchHint, AllStarsChoiceForThePlayer)
{
    for (const THintCase& c : HintCases) {
        SCOPED_TRACE(c.Name);
        TMatch m;
        m.SetUpPosition(c.Cards, c.Top, c.TopKind, c.TopIndex, tuPlayer);
        m.SetPeriodNo(1);
        m.SetRemainingHalfMinutes(c.Remaining);
        m.SetLastShotValues(c.ComputerLastShot, c.PlayerLastShot);
        const std::vector<int> playable = m.Playable(tuPlayer);
        ASSERT_TRUE(std::ranges::count(playable, c.AllStar)) << "not a playable slot";
        EXPECT_EQ(m.LevelChoiceFor(tuPlayer, slAllStar), c.AllStar);
        // Asking changes nothing: the same answer again, the player still to move.
        EXPECT_EQ(m.LevelChoiceFor(tuPlayer, slAllStar), c.AllStar);
        EXPECT_EQ(m.Turn(), tuPlayer);
    }
}

// The computer's side is asked directly.
TEST(MatchHint, ForTheComputerItIsTheLevelsOwnChoice)
{
    TMatch m;
    m.SetUpPosition(With(Full(cvFive, cvKing), {}, {8, 9, 10, 11, 12}), cvTen, kindFaceUp, 30,
                    tuComputer);
    m.SetPeriodNo(1);
    for (TSkillLevel level : {slRookie, slPro, slAllStar})
        EXPECT_EQ(m.LevelChoiceFor(tuComputer, level), m.LevelChoice(level)) << int(level);
}

// Turned round, the position offers the other side what it offered this one, slot for
// mirrored slot, and the scores and remembered shots change sides.
TEST(MatchHint, TheMirroredPositionIsTheSameSeenFromTheOtherSide)
{
    const std::vector<std::vector<TCardAt>> tables = {
        Full(cvKing, cvFive), Full(cvFive, cvKing), OpenGoalAndAForward(),
        With(Full(cvKing, cvFive), {{9, cvTwo, true}}, {13, 11})};
    for (uint8_t kind : {uint8_t(kindFaceUp), uint8_t(kindPlayerBack), uint8_t(kindComputerBack)}) {
        for (const auto& table : tables) {
            TMatch m;
            m.SetUpPosition(table, cvSeven, kind, 30, tuPlayer);
            m.SetGoals(1, 3);
            m.SetLastShotValues(cvFour, cvJack);
            const TMatch mirror = m.Mirrored();
            std::vector<int> back;
            for (int slot : mirror.Playable(tuComputer))
                back.push_back(TMatch::MirroredSlot(slot));
            std::ranges::sort(back);
            EXPECT_EQ(back, m.Playable(tuPlayer)) << "kind " << int(kind);
            EXPECT_EQ(mirror.Turn(), tuComputer);
            EXPECT_EQ(mirror.Goals(tuComputer), 3);
            EXPECT_EQ(mirror.Goals(tuPlayer), 1);
            EXPECT_EQ(mirror.LastShotValue(), cvJack);
            EXPECT_EQ(mirror.PlayerLastShotValue(), cvFour);
            EXPECT_EQ(mirror.CardIn(4), m.CardIn(11));
            EXPECT_EQ(mirror.TopIndex(), m.TopIndex());
        }
    }
}

} // namespace
