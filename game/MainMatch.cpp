// Match flow: series, games and periods, the deal, the period clock, the goal list and
// what happens when a period is over.

#include "app/Main.h"

#include "dialogs/Options.h"
#include "dialogs/Statics.h"
#include "game/MainCaptions.h"
#include "platform/WindowSystem.h"

#include <QCursor>
#include <QLabel>


using engine::SetCaption;
using engine::SplitClock;

void TMainForm::StartSeries()
{
    ReadOptions();
    StaticsDialog->NewGame(OptionsDialog->Dealer(), OptionsDialog->GamesBestOf(),
                           OptionsDialog->PlayerName());
}

void TMainForm::ReadOptions()
{
    switch (OptionsDialog->AnimSpeed()) {
    case asFast:
        FStep = 30;
        break;
    case asMedium:
        FStep = 20;
        break;
    case asLow:
        FStep = 10;
        break;
    }
    FGameno = 0;
    FGameDealer = OptionsDialog->Dealer();
    FSkillLevel = OptionsDialog->SkillLevel();
}

void TMainForm::StartGame()
{
    InitGame();
    StartPeriod();
}

void TMainForm::InitGame()
{
    // The dealer of the game's first period does not move first; the side that does is
    // named first on the scoreboard and in every score of the game.
    FPeriodDealer = FGameDealer;
    FGameDealer = OtherDealer(FGameDealer);
    FPeriodno = 0;
    FGameno += 1;
    BuildScoreboard(OptionsDialog->PlayerName());
    FOvertimeWin = false;
}

void TMainForm::StartPeriod()
{
    ShuffleCards(FPackOfCards, *CardsBitmap32List);
    InitPeriod();
    DealCards(FTurn);
    if (SequenceAborted())
        return;
    NextMove(FTurn);
}

void TMainForm::InitPeriod()
{
    FTurnArrowComputerImage->Bitmap().SetMasterAlpha(100);
    FTurnArrowPlayerImage->Bitmap().SetMasterAlpha(100);
    FTurnArrowComputerImage->Invalidate();
    FTurnArrowPlayerImage->Invalidate();

    if (FPeriodDealer == alComputer) {
        FTurn = tuPlayer;
        FPeriodDealer = alPlayer;
    } else {
        FTurn = tuComputer;
        FPeriodDealer = alComputer;
    }
    FDATurn = OtherSide(FTurn);

    FPeriodno += 1;
    SetCaption(FPeriodLabel, QStringLiteral("Period %1").arg(FPeriodno));
    SetCaption(FPeriodTimeLabel, QStringLiteral("20:00"));
    // From the second overtime period on, the elapsed time keeps counting.
    if (FPeriodno < 5)
        FGameStatics.szstaticstime = QStringLiteral("00:00");
    FGameStatics.periodgoalscomputer = 0;
    FGameStatics.periodgoalsplayer = 0;
    FGameStatics.periodgoals.clear();

    // The marks of an interrupted turn must not light frames or take clicks during the
    // new deal.
    for (int slot = 1; slot <= SlotCount; ++slot) {
        FHotSpotRects[slot].Card = nullptr;
        FHotSpotRects[slot].Canplay = false;
    }
}

void TMainForm::DealCards(TTurn Turn)
{
    FGameTableImage->setCursor(DealCursor());
    struct TRestoreCursor
    {
        QWidget* Widget;
        ~TRestoreCursor() { Widget->unsetCursor(); }
    } restoreCursor{FGameTableImage};

    // Each goal card shows the back of the side whose goal it will guard.
    const bool computerFirst = Turn == tuComputer;
    ShowCard(1, computerFirst ? kindComputerBack : kindPlayerBack, false, false);
    ShowCard(12, computerFirst ? kindPlayerBack : kindComputerBack, false, false);
    ShowAllCards();
    PlaceTopCard(slotPack);

    // The deal starts at the goal of the side that moves first.
    for (int i = 0; i < 12; ++i) {
        if (SequenceAborted())
            return;
        const int slot = computerFirst ? slotComputerGoal + i : slotPlayerGoal - i;
        MoveCard(FHotSpotRects[slotPack], FHotSpotRects[slot]);
    }
}

void TMainForm::AdvanceClock()
{
    const auto clock = SplitClock(FPeriodTimeLabel->text());
    SetCaption(FPeriodTimeLabel, clock.Seconds == 0 ? QStringLiteral("%1:30").arg(clock.Minutes - 1)
                                                    : QStringLiteral("%1:00").arg(clock.Minutes));

    const auto elapsed = SplitClock(FGameStatics.szstaticstime);
    const int minutes = elapsed.Seconds == 0 ? elapsed.Minutes : elapsed.Minutes + 1;
    QString text = QString::number(minutes) +
                   (elapsed.Seconds == 0 ? QStringLiteral(":30") : QStringLiteral(":00"));
    if (minutes < 10)
        text.prepend(QLatin1Char('0'));
    FGameStatics.szstaticstime = text.rightJustified(5, QLatin1Char(' '));
}

void TMainForm::LogGoal(TTurn Scorer)
{
    QString line = FGameStatics.szstaticstime + QLatin1Char(' ');
    const int computerGoals = GoalsOf(tuComputer);
    const int playerGoals = GoalsOf(tuPlayer);
    if (FGameDealer == alPlayer)
        line += QStringLiteral("%1-%2 ").arg(playerGoals).arg(computerGoals);
    else
        line += QStringLiteral("%1-%2 ").arg(computerGoals).arg(playerGoals);
    if (Scorer == tuComputer) {
        line += QStringLiteral("Computer");
        FGameStatics.periodgoalscomputer += 1;
    } else {
        line += OptionsDialog->PlayerName();
        FGameStatics.periodgoalsplayer += 1;
    }
    FGameStatics.periodgoals += line + QStringLiteral("\n\r");
}

void TMainForm::EndPeriod()
{
    // The goal cards are shown for the intermission.
    for (int slot : {int(slotComputerGoal), int(slotPlayerGoal)}) {
        const TPlayingCard* card = FHotSpotRects[slot].Card;
        if (card && !card->Beaten)
            ShowCard(card->CardNo, kindFaceUp, true, true);
    }

    StaticsDialog->Initialize(GoalsOf(tuComputer), GoalsOf(tuPlayer));
    const TGameStatics& stats = FGameStatics;
    const QString periodResult =
        FGameDealer == alPlayer
            ? QStringLiteral("%1-%2").arg(stats.periodgoalsplayer).arg(stats.periodgoalscomputer)
            : QStringLiteral("%1-%2").arg(stats.periodgoalscomputer).arg(stats.periodgoalsplayer);
    const TSetPeriodResult result = StaticsDialog->SetPeriod(periodResult, stats.periodgoals);
    // A command given while the sheet was open replaces whatever the sheet decided.
    if (SequenceAborted())
        return;

    switch (result) {
    case spnewperiod:
        StartPeriod();
        break;
    case spnewgame:
        StartGame();
        break;
    case spendofgame: {
        const QRect window = frameGeometry();
        const int x = window.left() + HalfTiesToEven(window.width());
        const int y = window.top() + HalfTiesToEven(window.height());
        if (QuestionAt(QStringLiteral("Do you want to play again?"), x, y, this) != mrYes) {
            // The click that led here still runs; the window closes once it has unwound.
            RequestClose();
            return;
        }
        if (SequenceAborted())
            return;
        StartSeries();
        StartGame();
        break;
    }
    }
}
