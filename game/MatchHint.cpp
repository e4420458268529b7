// The levels asked on the player's behalf. They are written as the computer, so the
// position is turned round first: the line-ups mirror each other slot for slot.
#include "game/Match.h"

#include <utility>

namespace {

uint8_t MirroredKind(uint8_t Kind)
{
    switch (Kind) {
    case kindComputerBack:
        return kindPlayerBack;
    case kindPlayerBack:
        return kindComputerBack;
    default:
        return Kind;
    }
}

} // namespace

TMatch TMatch::Mirrored() const
{
    TMatch mirror = *this;
    MirrorPlayInto(mirror);
    return mirror;
}

void TMatch::MirrorPlayInto(TMatch& Into) const
{
    Into.FCards = FCards;
    for (TCard& card : Into.FCards)
        card.Kind = MirroredKind(card.Kind);
    for (int slot = 1; slot <= SlotCount; ++slot)
        Into.FSlots[MirroredSlot(slot)] = {FSlots[slot].Card, false};
    Into.FTop = FTop;
    Into.FTurn = OtherSide(FTurn);
    Into.FDATurn = OtherSide(FDATurn);
    Into.FLevel = FLevel;
    Into.FGameDealer = FGameDealer;
    Into.FPeriodDealer = FPeriodDealer;
    Into.FGameNo = FGameNo;
    Into.FPeriodNo = FPeriodNo;
    Into.FGoals = {FGoals[tuPlayer], FGoals[tuComputer]};
    Into.FRemaining = FRemaining;
    Into.FElapsed = FElapsed;
    Into.FOvertimeWin = FOvertimeWin;
    // The computer remembers its own last shot and the player's last saved one; turned
    // round, each is the other's.
    Into.FLastShot = FPlayerLastShot;
    Into.FPlayerLastShot = FLastShot;
}

int TMatch::LevelChoiceFor(TTurn Side, TSkillLevel Level) const
{
    if (Side == tuComputer)
        return LevelChoice(Level);
    return MirroredSlot(Mirrored().LevelChoice(Level));
}
