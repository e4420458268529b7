// The computer opponent: the choice of move at each skill level. Every choice runs right
// after NextMove has marked the computer's playable slots and returns one of them.

#include "app/Main.h"

#include "game/MainCaptions.h"

#include <QLabel>

namespace {

// Draws s uniformly from Low..High until Playable(s); at least one slot of the range
// must be playable.
template <typename TPlayable> int DrawPlayable(int Low, int High, TPlayable Playable)
{
    bool any = false;
    for (int s = Low; s <= High; ++s)
        any = any || Playable(s);
    if (!any)
        return -1;
    int s = Low + RandomInt(High - Low + 1);
    while (!Playable(s))
        s = Low + RandomInt(High - Low + 1);
    return s;
}

} // namespace

int TMainForm::ChooseRookieSlot()
{
    // Any playable slot but the pack: the rookie never turns a face-down card over.
    const int s = DrawPlayable(2, SlotCount, [this](int s) { return FHotSpotRects[s].Canplay; });
    return s < 0 ? slotPack : s;
}

int TMainForm::ChooseProSlot()
{
    if (FHotSpotRects[slotDiscard].Canplay)
        return slotDiscard;
    const TPlayingCard* top = TopCard();
    if (top->Kind == kindComputerBack)
        return CountOwnVacancies() < RemainingHalfMinutes() ? slotComputerGoal : slotPack;
    if (FHotSpotRects[slotPlayerGoal].Canplay) {
        // Repair the own line before shooting.
        if (!OwnGoalCovered())
            return ChooseProFillSlot();
        if (!AnyFieldSlotPlayable() || top->Value > FLastShotCardValue) {
            FLastShotCardValue = top->Value;
            return slotPlayerGoal;
        }
    }
    const int attack = ChooseAttackSlot();
    return attack == -1 ? ChooseProFillSlot() : attack;
}

int TMainForm::ChooseAllStarSlot()
{
    if (FHotSpotRects[slotDiscard].Canplay)
        return slotDiscard;
    const TPlayingCard* top = TopCard();
    if (top->Kind == kindComputerBack) {
        // A fresh goal card: whatever the player learnt about the old one no longer holds.
        FPlayerLastShotCardValue = cvTwo;
        return CountOwnVacancies() < RemainingHalfMinutes() ? slotComputerGoal : slotPack;
    }
    if (FHotSpotRects[slotPlayerGoal].Canplay) {
        if (!OwnGoalCovered())
            return ChooseAllStarFillSlot();
        const bool fieldMove = AnyFieldSlotPlayable();
        const bool lastCard = top->CardNo == CardCount;
        const bool lowCard = top->Value <= cvSix && !lastCard;
        const bool notAboveLastShot = top->Value <= FLastShotCardValue;
        if (!(fieldMove && (lowCard || notAboveLastShot))) {
            FLastShotCardValue = top->Value;
            return slotPlayerGoal;
        }
    }
    const int attack = ChooseAttackSlot();
    return attack == -1 ? ChooseAllStarFillSlot() : attack;
}

int TMainForm::ChooseAttackSlot()
{
    auto playable = [this](int s) { return FHotSpotRects[s].Canplay; };
    auto value = [this](int s) { return FHotSpotRects[s].Card->Value; };

    int defender = -1;
    if (playable(11))
        defender = 11;
    if (playable(12) && (defender == -1 || value(12) > value(defender)))
        defender = 12;

    int forward = -1;
    for (int s : {8, 9, 10}) {
        if (playable(s) && (forward == -1 || value(s) > value(forward)))
            forward = s;
    }

    if (FSkillLevel == slAllStar && playable(8) && playable(10)) {
        // Attack the wing in front of the weaker or missing defender.
        const TPlayingCard* left = FHotSpotRects[11].Card;
        const TPlayingCard* right = FHotSpotRects[12].Card;
        if (!right || (left && right->Value < left->Value))
            forward = 10;
        if (!left || (right && right->Value > left->Value))
            forward = 8;
    }

    return defender != -1 ? defender : forward;
}

int TMainForm::ChooseProFillSlot()
{
    auto playable = [this](int s) { return FHotSpotRects[s].Canplay; };
    const int forward = DrawPlayable(5, 7, playable);
    if (forward != -1)
        return forward;
    return DrawPlayable(3, 4, playable);
}

int TMainForm::ChooseAllStarFillSlot()
{
    auto playable = [this](int s) { return FHotSpotRects[s].Canplay; };
    const bool forwardFree = playable(5) || playable(6) || playable(7);
    const bool defenceFree = playable(3) || playable(4);
    // Low cards go to the forwards, Eights and up to a free defender slot.
    const bool toForwards = forwardFree && (TopCard()->Value <= cvSeven || !defenceFree);

    if (toForwards) {
        const int drawn = DrawPlayable(5, 7, playable);
        if (playable(5) && playable(7))
            return SlotValueSum(6, 4) < SlotValueSum(6, 3) ? 7 : 5;
        return drawn;
    }
    // The defender behind the weaker pair of forwards, or the only free one.
    if (SlotValueSum(7, 6) < SlotValueSum(6, 5))
        return playable(4) ? 4 : 3;
    return playable(3) ? 3 : 4;
}

int TMainForm::CountOwnVacancies()
{
    int count = 0;
    for (int s = slotComputerGoal; s <= 7; ++s)
        count += SlotDown(s) ? 1 : 0;
    return count;
}

int TMainForm::RemainingHalfMinutes()
{
    const auto clock = engine::SplitClock(FPeriodTimeLabel->text());
    return 2 * clock.Minutes + (clock.Seconds == 30 ? 1 : 0);
}

bool TMainForm::OwnGoalCovered()
{
    if (FSkillLevel == slRookie)
        return false;
    auto live = [this](int s) { return SlotLive(s); };
    // Exactly the line-ups that keep the computer's goal closed.
    if ((live(3) && live(4)) || (live(3) && live(6) && live(7)) ||
        (live(4) && live(5) && live(6)) || (live(5) && live(6) && live(7)))
        return true;
    if (FSkillLevel == slAllStar) {
        // The goal card has stopped a King; in overtime or with the last card of the
        // pack there is nothing left to defend.
        if (FHotSpotRects[slotComputerGoal].Card && FPlayerLastShotCardValue > cvQueen)
            return true;
        if (FPeriodno > 3 || FPackOfCards.bTopCardsIndex == CardCount)
            return true;
    }
    return false;
}

bool TMainForm::AnyFieldSlotPlayable()
{
    for (int s = 3; s <= 12; ++s) {
        if (FHotSpotRects[s].Canplay)
            return true;
    }
    return false;
}

int TMainForm::SlotValueSum(int SlotA, int SlotB)
{
    auto value = [this](int s) {
        const TPlayingCard* card = FHotSpotRects[s].Card;
        return card ? int(card->Value) : 0;
    };
    return value(SlotA) + value(SlotB);
}
