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
    for (TCard& card : mirror.FCards)
        card.Kind = MirroredKind(card.Kind);
    for (int slot = 1; slot <= SlotCount; ++slot)
        mirror.FSlots[MirroredSlot(slot)] = {FSlots[slot].Card, false};
    mirror.FTurn = OtherSide(FTurn);
    mirror.FDATurn = OtherSide(FDATurn);
    mirror.FGoals = {FGoals[tuPlayer], FGoals[tuComputer]};
    // The computer remembers its own last shot and the player's last saved one; turned
    // round, each is the other's.
    std::swap(mirror.FLastShot, mirror.FPlayerLastShot);
    return mirror;
}

int TMatch::LevelChoiceFor(TTurn Side, TSkillLevel Level) const
{
    if (Side == tuComputer)
        return LevelChoice(Level);
    return MirroredSlot(Mirrored().LevelChoice(Level));
}
