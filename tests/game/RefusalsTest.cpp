// The reason given for a refused slot: one sentence for each of the engine's reasons, with
// the cards named where they decide it.

#include "game/Refusals.h"

#include "Positions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

namespace {

struct TRefusalCase
{
    const char* Name;
    std::vector<TCardAt> Cards;
    TCardValue Top;
    uint8_t TopKind;
    int TopIndex;
    TTurn Turn;
    int Slot;
    TRefusal Reason; // what the engine says, so each case tests the text it means to
    const char* Text;
};

const TRefusalCase Cases[] = {
    {"a playable slot has no reason", Full(cvFour, cvKing), cvFive, kindFaceUp, 30, tuPlayer, 5,
     TRefusal::None, ""},
    {"the computer's turn", Full(cvFour, cvKing), cvFive, kindFaceUp, 30, tuComputer, 5,
     TRefusal::NotYourTurn, "It is the computer's turn."},
    {"no card left", Full(cvFour, cvKing), cvFive, kindFaceUp, CardCount + 1, tuPlayer, 5,
     TRefusal::NoCard, "No card is left to play in this period."},
    {"not a slot", Full(cvFour, cvKing), cvFive, kindFaceUp, 30, tuPlayer, 15, TRefusal::NoSuchSlot,
     "There is no slot there."},
    {"a face-down card on a forward", Full(cvFour, cvKing), cvFive, kindPlayerBack, 30, tuPlayer, 5,
     TRefusal::FaceDownCard,
     "A face-down card goes into your goal unseen, or is turned over on the pack."},
    {"turning over a face-up card", Full(cvFour, cvKing), cvFive, kindFaceUp, 30, tuPlayer, 1,
     TRefusal::NothingToTurnOver, "Only a face-down card of your colour is turned over."},
    {"an own slot that holds a card", Full(cvFour, cvSeven), cvFive, kindFaceUp, 30, tuPlayer, 9,
     TRefusal::SlotTaken, "Your Seven already holds this place."},
    {"the own goal and a face-up card", With(Full(cvFour, cvKing), {}, {13}), cvFive, kindFaceUp,
     30, tuPlayer, 13, TRefusal::OwnGoalOnlyFaceDown, "Your goal takes only a face-down card."},
    {"an empty forward's place", With(Full(cvFour, cvKing), {}, {6}), cvFive, kindFaceUp, 30,
     tuPlayer, 6, TRefusal::NothingToBeat, "There is no card here to beat."},
    {"a beaten forward", With(Full(cvFour, cvKing), {{6, cvTwo, true}}), cvFive, kindFaceUp, 30,
     tuPlayer, 6, TRefusal::NothingToBeat, "There is no card here to beat."},
    {"a forward above the top card", Full(cvNine, cvKing), cvFour, kindFaceUp, 30, tuPlayer, 6,
     TRefusal::CardTooLow,
     "A Four cannot beat the Nine: a forward falls to an equal or higher card."},
    {"an uncovered defender above the top card", With(Full(cvKing, cvKing), {}, {5, 6, 7}), cvEight,
     kindFaceUp, 30, tuPlayer, 3, TRefusal::CardTooLow,
     "An Eight cannot beat the King: a defender falls to an equal or higher card."},
    {"the other defender, above the top card",
     With(Full(cvKing, cvKing), {{4, cvQueen}}, {5, 6, 7}), cvJack, kindFaceUp, 30, tuPlayer, 4,
     TRefusal::CardTooLow,
     "A Jack cannot beat the Queen: a defender falls to an equal or higher card."},
    {"a covered defender", Full(cvFour, cvKing), cvAce, kindFaceUp, 30, tuPlayer, 4,
     TRefusal::DefenderCovered, "This defender is covered."},
    {"a closed goal", Full(cvFour, cvKing), cvAce, kindFaceUp, 30, tuPlayer, 2,
     TRefusal::GoalCovered, "The goal is not open yet."},
    {"the discard pile with a move left", Full(cvFour, cvKing), cvAce, kindFaceUp, 30, tuPlayer, 14,
     TRefusal::DiscardNotNeeded, "A card is discarded only when it can be played nowhere else."},
};

TEST(Refusals, EachReasonHasItsSentence)
{
    std::set<TRefusal> covered;
    for (const TRefusalCase& c : Cases) {
        SCOPED_TRACE(c.Name);
        TMatch m;
        m.SetUpPosition(c.Cards, c.Top, c.TopKind, c.TopIndex, c.Turn);
        ASSERT_EQ(int(m.Refusal(tuPlayer, c.Slot)), int(c.Reason));
        EXPECT_EQ(RefusalText(m, c.Slot), c.Text);
        covered.insert(c.Reason);
    }
    // Every reason the engine can give is in the table.
    EXPECT_EQ(covered.size(), size_t(TRefusal::DiscardNotNeeded) + 1);
}

TEST(Refusals, CardNames)
{
    const std::vector<std::string> expected = {"Two",   "Three", "Four", "Five", "Six",
                                               "Seven", "Eight", "Nine", "Ten",  "Jack",
                                               "Queen", "King",  "Ace"};
    std::vector<std::string> names;
    for (int v = cvTwo; v <= cvAce; ++v)
        names.push_back(CardName(TCardValue(v)));
    EXPECT_EQ(names, expected);
}

} // namespace
