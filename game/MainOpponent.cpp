// The computer opponent: the window's entry points to the engine's three levels. Every
// choice runs right after NextMove has marked the computer's playable slots and returns
// one of them.

#include "app/Main.h"

#include "game/MainCaptions.h"

#include <QLabel>

int TMainForm::ChooseWith(int (*Choose)(const TMatch&, TMatchRandom&))
{
    TMatch view = EngineView();
    const int slot = Choose(view, MatchRandom());
    view.NoteComputerChoice(slot);
    FLastShotCardValue = view.LastShotValue();
    FPlayerLastShotCardValue = view.PlayerLastShotValue();
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
    return ::ChooseAttackSlot(EngineView());
}

int TMainForm::ChooseProFillSlot()
{
    return ::ChooseProFillSlot(EngineView(), MatchRandom());
}

int TMainForm::ChooseAllStarFillSlot()
{
    return ::ChooseAllStarFillSlot(EngineView(), MatchRandom());
}

int TMainForm::CountOwnVacancies()
{
    return ::CountOwnVacancies(EngineView());
}

int TMainForm::RemainingHalfMinutes() const
{
    if (FPeriodTimeLabel == nullptr)
        return TMatch::PeriodHalfMinutes;
    const auto clock = engine::SplitClock(FPeriodTimeLabel->text());
    return 2 * clock.Minutes + (clock.Seconds == 30 ? 1 : 0);
}

bool TMainForm::OwnGoalCovered()
{
    return ::OwnGoalCovered(EngineView());
}

bool TMainForm::AnyFieldSlotPlayable()
{
    return ::AnyFieldSlotPlayable(EngineView());
}

int TMainForm::SlotValueSum(int SlotA, int SlotB)
{
    return ::SlotValueSum(EngineView(), SlotA, SlotB);
}
