#include "game/Narration.h"

#include <array>

namespace {

constexpr std::array<const char*, 13> RankNames{"Two",   "Three", "Four", "Five", "Six",
                                                "Seven", "Eight", "Nine", "Ten",  "Jack",
                                                "Queen", "King",  "Ace"};
constexpr std::array<const char*, 4> SuitNames{"Diamonds", "Hearts", "Spades", "Clubs"};

// The positions of a line-up, slot 2..13; the two sides mirror each other on the screen
// only in their order, so each slot is named for where it lies.
constexpr std::array<const char*, SlotCount + 1> Positions{"",
                                                           "",
                                                           "goal",
                                                           "left defender",
                                                           "right defender",
                                                           "left wing",
                                                           "centre",
                                                           "right wing",
                                                           "left wing",
                                                           "centre",
                                                           "right wing",
                                                           "left defender",
                                                           "right defender",
                                                           "goal",
                                                           ""};

bool PlayerSlot(int Slot)
{
    return Slot >= 8 && Slot <= slotPlayerGoal;
}

// "your left defender" / "its left defender" / "the computer's left defender", as Side
// speaks of Slot.
std::string SlotOf(TTurn Side, int Slot)
{
    const bool own = PlayerSlot(Slot) == (Side == tuPlayer);
    if (own)
        return std::string(Side == tuPlayer ? "your " : "its ") + Positions[Slot];
    return std::string(Side == tuPlayer ? "the computer's " : "your ") + Positions[Slot];
}

std::string Score(const TMatch& M)
{
    return "computer " + std::to_string(M.Goals(tuComputer)) + ", you " +
           std::to_string(M.Goals(tuPlayer));
}

const TStep* FindStep(const TSteps& Steps, TStepKind Kind)
{
    for (const TStep& step : Steps) {
        if (step.Kind == Kind)
            return &step;
    }
    return nullptr;
}

} // namespace

std::string RankName(TCardValue Value)
{
    return RankNames.at(Value);
}

std::string CardName(const TCardFace& Face)
{
    return RankName(Face.Value) + " of " + SuitNames.at(Face.Suit & 3);
}

std::string SlotRole(int Slot)
{
    if (Slot == slotPack)
        return "Pack";
    if (Slot == slotDiscard)
        return "Discard pile";
    if (Slot < slotPack || Slot > SlotCount)
        return {};
    return std::string(PlayerSlot(Slot) ? "Your " : "Computer's ") + Positions[Slot];
}

int DiscardCount(const TMatch& M)
{
    // Every card off the pack lies in a slot, has been beaten (and left), or was discarded.
    const int top = M.HasTopCard() ? M.TopIndex() : CardCount + 1;
    int count = 0;
    for (int n = 1; n < top; ++n)
        count += M.Beaten(n) ? 0 : 1;
    for (int slot = slotComputerGoal; slot <= slotPlayerGoal; ++slot) {
        const int card = M.CardIn(slot);
        count -= card != 0 && card < top && !M.Beaten(card) ? 1 : 0;
    }
    return count;
}

std::string TopCardText(const TMatch& M)
{
    if (!M.HasTopCard())
        return "no card";
    if (M.TopKind() != kindFaceUp)
        return "a card face down";
    return CardName(M.Face(M.TopIndex()));
}

std::string SlotName(const TMatch& M, int Slot)
{
    const std::string role = SlotRole(Slot);
    if (Slot == slotPack) {
        if (!M.HasTopCard())
            return role + ": empty";
        const int left = CardCount + 1 - M.TopIndex();
        return role + ": " + std::to_string(left) + (left == 1 ? " card, " : " cards, ") +
               TopCardText(M) + " on top";
    }
    if (Slot == slotDiscard) {
        const int count = DiscardCount(M);
        if (count == 0)
            return role + ": empty";
        return role + ": " + std::to_string(count) + (count == 1 ? " card" : " cards");
    }
    const int card = Slot >= 1 && Slot <= SlotCount ? M.CardIn(Slot) : 0;
    if (card == 0)
        return role + ": empty";
    if (M.Kind(card) != kindFaceUp)
        return role + ": face down";
    return role + ": " + CardName(M.Face(card)) + (M.Beaten(card) ? ", beaten" : "");
}

std::string MoveSentence(const TMatch& After, TTurn Side, int Slot, const TSteps& Steps)
{
    const bool computer = Side == tuComputer;
    const std::string who = computer ? "Computer" : "You";
    // The card the side played: the first one to fly from the pack.
    const TStep* fly = FindStep(Steps, TStepKind::Fly);
    const std::string played = fly ? RankName(After.Face(fly->Card).Value) : std::string();

    if (Slot == slotPack) {
        const TStep* up = FindStep(Steps, TStepKind::TurnUp);
        const std::string card = up ? CardName(After.Face(up->Card)) : std::string("a card");
        return who + (computer ? " turns its card over: " : " turn your card over: ") + card;
    }
    if (Slot == slotDiscard)
        return who + (computer ? " discards the " : " discard the ") + played;
    if (Slot == OpposingGoal(Side)) {
        if (FindStep(Steps, TStepKind::Goals) != nullptr)
            return who + (computer ? " scores with the " : " score with the ") + played + ": " +
                   Score(After);
        return std::string("Saved! ") +
               (computer ? "Your goal card stops the computer's "
                         : "The computer's goal card stops your ") +
               played;
    }
    if (const TStep* beat = FindStep(Steps, TStepKind::Beat)) {
        return who + (computer ? " beats your " : " beat the computer's ") +
               RankName(After.Face(beat->Card).Value) + " with the " + played;
    }
    if (Slot == OwnGoal(Side) && fly != nullptr && fly->Face != kindFaceUp)
        return who + (computer ? " puts a card face down in its goal"
                               : " put a card face down in your goal");
    return who + (computer ? " fills " : " fill ") + SlotOf(Side, Slot) + " with the " + played;
}

std::string TurnSentence(const TMatch& M)
{
    if (M.Turn() == tuComputer)
        return "Computer's turn";
    return "Your turn: " + TopCardText(M);
}

std::string PeriodEndSentence(const TMatch& M)
{
    return "End of period " + std::to_string(M.PeriodNo()) + ": " + Score(M);
}

