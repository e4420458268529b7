// The computer opponent: the window's entry points to the match's three levels. Every
// choice runs right after NextMove has marked the computer's playable slots and returns
// one of them.

#include "app/Main.h"

int TMainForm::ChooseWith(int (*Choose)(const TMatch&, TMatchRandom&))
{
    const int slot = Choose(FMatch, FMatch.Random());
    FMatch.NoteComputerChoice(slot);
    return slot;
}

int TMainForm::ChooseRookieSlot()
{
    return ChooseWith(::ChooseRookieSlot);
}

int TMainForm::ChooseProSlot()
{
    return ChooseWith(::ChooseProSlot);
}

int TMainForm::ChooseAllStarSlot()
{
    return ChooseWith(::ChooseAllStarSlot);
}

int TMainForm::ChooseAttackSlot()
{
    return ::ChooseAttackSlot(FMatch);
}

int TMainForm::ChooseProFillSlot()
{
    return ::ChooseProFillSlot(FMatch, FMatch.Random());
}

int TMainForm::ChooseAllStarFillSlot()
{
    return ::ChooseAllStarFillSlot(FMatch, FMatch.Random());
}

int TMainForm::CountOwnVacancies()
{
    return ::CountOwnVacancies(FMatch);
}

bool TMainForm::OwnGoalCovered()
{
    return ::OwnGoalCovered(FMatch);
}

bool TMainForm::AnyFieldSlotPlayable()
{
    return ::AnyFieldSlotPlayable(FMatch);
}

int TMainForm::SlotValueSum(int SlotA, int SlotB)
{
    return ::SlotValueSum(FMatch, SlotA, SlotB);
}
