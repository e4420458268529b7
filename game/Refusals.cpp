#include "game/Refusals.h"

const char* CardName(TCardValue Value)
{
    static const char* const Names[] = {"Two",  "Three", "Four", "Five",  "Six",  "Seven", "Eight",
                                        "Nine", "Ten",   "Jack", "Queen", "King", "Ace"};
    return Value <= cvAce ? Names[Value] : "card";
}

namespace {

// "A Four", "An Eight", "An Ace".
std::string WithArticle(TCardValue Value)
{
    const bool vowel = Value == cvEight || Value == cvAce;
    return std::string(vowel ? "An " : "A ") + CardName(Value);
}

} // namespace

std::string RefusalText(const TMatch& M, int Slot)
{
    switch (M.Refusal(tuPlayer, Slot)) {
    case TRefusal::None:
        return {};
    case TRefusal::NotYourTurn:
        return "It is the computer's turn.";
    case TRefusal::NoCard:
        return "No card is left to play in this period.";
    case TRefusal::NoSuchSlot:
        return "There is no slot there.";
    case TRefusal::FaceDownCard:
        return "A face-down card goes into your goal unseen, or is turned over on the pack.";
    case TRefusal::NothingToTurnOver:
        return "Only a face-down card of your colour is turned over.";
    case TRefusal::SlotTaken:
        return std::string("Your ") + CardName(M.ValueIn(Slot)) + " already holds this place.";
    case TRefusal::OwnGoalOnlyFaceDown:
        return "Your goal takes only a face-down card.";
    case TRefusal::NothingToBeat:
        return "There is no card here to beat.";
    case TRefusal::CardTooLow: {
        // The computer's defenders stand in slots 3 and 4, its forwards in 5 to 7.
        const char* role = Slot == 3 || Slot == 4 ? "a defender" : "a forward";
        return WithArticle(M.TopValue()) + " cannot beat the " + CardName(M.ValueIn(Slot)) + ": " +
               role + " falls to an equal or higher card.";
    }
    case TRefusal::DefenderCovered:
        return "This defender is covered.";
    case TRefusal::GoalCovered:
        return "The goal is not open yet.";
    case TRefusal::DiscardNotNeeded:
        return "A card is discarded only when it can be played nowhere else.";
    }
    return {};
}
