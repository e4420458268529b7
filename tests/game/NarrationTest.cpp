// What a screen reader hears: slot names for set-up positions, and the sentence for each
// kind of move, turn and period end. No window.

#include "game/Narration.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>

namespace {

// Laid-out cards take pack places 1, 2, 3, ... (skipping the top card's place), and the
// fresh pack's places 1-13 are diamonds, 14-26 hearts, 27-39 spades, 40-52 clubs.
struct NameCase
{
    const char* What;
    std::vector<TCardAt> Cards;
    TCardValue Top;
    uint8_t TopKind;
    int TopIndex;
    int Slot;
    std::string Expected;
};

void PrintTo(const NameCase& c, std::ostream* os)
{
    *os << c.What;
}

class SlotNames : public ::testing::TestWithParam<NameCase>
{
};

TEST_P(SlotNames, SayWhoseSlotAndWhatLiesThere)
{
    const NameCase& c = GetParam();
    TMatch m;
    m.SetUpPosition(c.Cards, c.Top, c.TopKind, c.TopIndex, tuPlayer);
    EXPECT_EQ(SlotName(m, c.Slot), c.Expected) << c.What;
}

const std::vector<TCardAt> Mixed{{11, cvSeven},
                                 {2, cvNine, false, kindComputerBack},
                                 {9, cvSix, true},
                                 {13, cvAce, false, kindPlayerBack},
                                 {5, cvQueen}};

INSTANTIATE_TEST_SUITE_P(
    Positions, SlotNames,
    ::testing::Values(
        NameCase{"own defender", Mixed, cvSeven, kindFaceUp, 30, 11,
                 "Your left defender: Seven of Diamonds"},
        NameCase{"computer's goal", Mixed, cvSeven, kindFaceUp, 30, 2,
                 "Computer's goal: face down"},
        NameCase{"own goal", Mixed, cvSeven, kindFaceUp, 30, 13, "Your goal: face down"},
        NameCase{"beaten", Mixed, cvSeven, kindFaceUp, 30, 9,
                 "Your centre: Six of Diamonds, beaten"},
        NameCase{"computer's wing", Mixed, cvSeven, kindFaceUp, 30, 5,
                 "Computer's left wing: Queen of Diamonds"},
        NameCase{"empty", Mixed, cvSeven, kindFaceUp, 30, 12, "Your right defender: empty"},
        NameCase{"computer's defender", Mixed, cvSeven, kindFaceUp, 30, 4,
                 "Computer's right defender: empty"},
        NameCase{"computer's right wing", Mixed, cvSeven, kindFaceUp, 30, 7,
                 "Computer's right wing: empty"},
        NameCase{"own wing", Mixed, cvSeven, kindFaceUp, 30, 10, "Your right wing: empty"},
        NameCase{"pack", Mixed, cvSeven, kindFaceUp, 30, 1,
                 "Pack: 23 cards, Seven of Spades on top"},
        NameCase{"pack face down", Mixed, cvSeven, kindComputerBack, 30, 1,
                 "Pack: 23 cards, a card face down on top"},
        NameCase{"last card", Mixed, cvTwo, kindFaceUp, 52, 1, "Pack: 1 card, Two of Clubs on top"},
        NameCase{"pack used up", Mixed, cvTwo, kindFaceUp, 53, 1, "Pack: empty"},
        // Places 1-29 are off the pack: five lie in slots (one beaten, so gone when it
        // leaves), the other 24 were discarded.
        NameCase{"discard pile", Mixed, cvSeven, kindFaceUp, 30, 14, "Discard pile: 24 cards"},
        NameCase{"one discard", {{3, cvTen}}, cvSeven, kindFaceUp, 3, 14, "Discard pile: 1 card"},
        NameCase{"no discard", {{3, cvTen}}, cvSeven, kindFaceUp, 2, 14, "Discard pile: empty"}),
    [](const auto& Info) {
        std::string name = Info.param.What;
        for (char& ch : name)
            ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return name;
    });

TEST(SlotNamesAfterDeal, TwelveCardsOutNothingDiscarded)
{
    TMatch m;
    m.StartSeries(alComputer, slRookie);
    m.StartGame();
    m.StartPeriod(7);
    EXPECT_EQ(SlotName(m, slotDiscard), "Discard pile: empty");
    EXPECT_EQ(SlotName(m, slotPack).substr(0, 15), "Pack: 40 cards,");
    // The goal cards are dealt face down, the field face up.
    EXPECT_EQ(SlotName(m, slotComputerGoal), "Computer's goal: face down");
    EXPECT_EQ(SlotName(m, slotPlayerGoal), "Your goal: face down");
    EXPECT_EQ(SlotName(m, 6), "Computer's centre: " + CardName(m.Face(m.CardIn(6))));
}

struct MoveCase
{
    const char* What;
    std::vector<TCardAt> Cards;
    TCardValue Top;
    uint8_t TopKind;
    TTurn Side;
    int Slot;
    std::string Expected;
};

void PrintTo(const MoveCase& c, std::ostream* os)
{
    *os << c.What;
}

class MoveSentences : public ::testing::TestWithParam<MoveCase>
{
};

TEST_P(MoveSentences, NameTheMove)
{
    const MoveCase& c = GetParam();
    TMatch m;
    m.SetGoals(1, 0);
    m.SetUpPosition(c.Cards, c.Top, c.TopKind, 30, c.Side);
    TSteps steps;
    m.Play(c.Side, c.Slot, steps);
    EXPECT_EQ(MoveSentence(m, c.Side, c.Slot, steps), c.Expected) << c.What;
}

INSTANTIATE_TEST_SUITE_P(
    EachKind, MoveSentences,
    ::testing::Values(
        MoveCase{"computer beats",
                 {{8, cvSix}},
                 cvNine,
                 kindFaceUp,
                 tuComputer,
                 8,
                 "Computer beats your Six with the Nine"},
        MoveCase{"player beats",
                 {{5, cvSix}},
                 cvNine,
                 kindFaceUp,
                 tuPlayer,
                 5,
                 "You beat the computer's Six with the Nine"},
        MoveCase{"computer fills",
                 {},
                 cvFour,
                 kindFaceUp,
                 tuComputer,
                 4,
                 "Computer fills its right defender with the Four"},
        MoveCase{"player fills",
                 {},
                 cvFour,
                 kindFaceUp,
                 tuPlayer,
                 9,
                 "You fill your centre with the Four"},
        MoveCase{"computer's goal filled",
                 {},
                 cvFour,
                 kindComputerBack,
                 tuComputer,
                 2,
                 "Computer puts a card face down in its goal"},
        MoveCase{"player's goal filled",
                 {},
                 cvFour,
                 kindPlayerBack,
                 tuPlayer,
                 13,
                 "You put a card face down in your goal"},
        MoveCase{"computer turns over",
                 {},
                 cvSeven,
                 kindComputerBack,
                 tuComputer,
                 1,
                 "Computer turns its card over: Seven of Spades"},
        MoveCase{"player turns over",
                 {},
                 cvSeven,
                 kindPlayerBack,
                 tuPlayer,
                 1,
                 "You turn your card over: Seven of Spades"},
        MoveCase{"computer discards",
                 {},
                 cvFour,
                 kindFaceUp,
                 tuComputer,
                 14,
                 "Computer discards the Four"},
        MoveCase{"player discards", {}, cvFour, kindFaceUp, tuPlayer, 14, "You discard the Four"},
        MoveCase{"computer scores into an empty goal",
                 {},
                 cvJack,
                 kindFaceUp,
                 tuComputer,
                 13,
                 "Computer scores with the Jack: computer 2, you 0"},
        MoveCase{"player scores past the goal card",
                 {{2, cvThree, false, kindComputerBack}},
                 cvTen,
                 kindFaceUp,
                 tuPlayer,
                 2,
                 "You score with the Ten: computer 1, you 1"},
        MoveCase{"player saves",
                 {{13, cvQueen, false, kindPlayerBack}},
                 cvJack,
                 kindFaceUp,
                 tuComputer,
                 13,
                 "Saved! Your goal card stops the computer's Jack"},
        MoveCase{"computer saves",
                 {{2, cvKing, false, kindComputerBack}},
                 cvTen,
                 kindFaceUp,
                 tuPlayer,
                 2,
                 "Saved! The computer's goal card stops your Ten"}),
    [](const auto& Info) {
        std::string name = Info.param.What;
        for (char& ch : name)
            ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return name;
    });

TEST(TurnAndPeriodSentences, SayWhoMovesAndTheScore)
{
    TMatch m;
    m.SetUpPosition({}, cvSeven, kindFaceUp, 30, tuPlayer);
    EXPECT_EQ(TurnSentence(m), "Your turn: Seven of Spades");
    m.SetUpPosition({}, cvSeven, kindPlayerBack, 30, tuPlayer);
    EXPECT_EQ(TurnSentence(m), "Your turn: a card face down");
    m.SetUpPosition({}, cvSeven, kindFaceUp, 30, tuComputer);
    EXPECT_EQ(TurnSentence(m), "Computer's turn");

    m.SetPeriodNo(2);
    m.SetGoals(2, 1);
    EXPECT_EQ(PeriodEndSentence(m), "End of period 2: computer 2, you 1");
}

} // namespace
