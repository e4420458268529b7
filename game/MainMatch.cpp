// Match flow: series, games and periods, the deal, the period clock, the goal list and
// what happens when a period is over.

#include "app/Main.h"

#include "dialogs/Options.h"
#include "dialogs/Statics.h"
#include "dialogs/StatisticsStore.h"
#include "platform/ErrorMessage.h"
#include "platform/WindowSystem.h"
#include "table/Captions.h"

#include <QCursor>
#include <QLabel>


using table::SetCaption;

void TMainForm::StartSeries()
{
    // Given up after its first move, a series counts as lost at its level.
    if (FMatch.SeriesUnderWay() && FStatistics) {
        TSeriesSummary givenUp = FMatch.Record().Summary(FMatch.Level());
        givenUp.PlayerWon = false;
        if (!FStatistics->RecordFinishedSeries(givenUp))
            ShowErrorMessage(this, FStatistics->ErrorText());
    }
    // A series given up or played out is not brought back, and nothing it showed stays.
    DiscardSave();
    ClearMatchLeftovers();
    ReadOptions();
    ScoreSheet().NewGame(OptionsDialog->Dealer(), OptionsDialog->GamesBestOf(),
                           OptionsDialog->PlayerName());
}

void TMainForm::ReadOptions()
{
    ReadAnimSpeed();
    FMatch.StartSeries(OptionsDialog->Dealer(), OptionsDialog->SkillLevel());
}

void TMainForm::ReadAnimSpeed()
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
}

void TMainForm::StartGame()
{
    InitGame();
    StartPeriod();
}

void TMainForm::InitGame()
{
    FMatch.StartGame();
    // The side that moves first in the game is named first on the scoreboard.
    BuildScoreboard(OptionsDialog->PlayerName());
}

void TMainForm::StartPeriod()
{
    const TSteps deal = FMatch.StartPeriod(NextShuffleSeed());
    InitPeriod();
    DealCards(deal);
    if (SequenceAborted())
        return;
    NextMove(FMatch.Turn());
}

void TMainForm::InitPeriod()
{
    FTurnArrowComputerImage->Bitmap().SetMasterAlpha(100);
    FTurnArrowPlayerImage->Bitmap().SetMasterAlpha(100);
    FTurnArrowComputerImage->Invalidate();
    FTurnArrowPlayerImage->Invalidate();

    SetCaption(FPeriodLabel, QStringLiteral("Period %1").arg(FMatch.PeriodNo()));
    AdvanceClock();

    // No picture of the last period lies in a slot during the new deal.
    for (int slot = 1; slot <= SlotCount; ++slot)
        FHotSpotRects[slot].Card = nullptr;
    TakeShuffledPack();
}

void TMainForm::DealCards(const TSteps& Deal)
{
    FGameTableImage->setCursor(DealCursor());
    struct TRestoreCursor
    {
        QWidget* Widget;
        ~TRestoreCursor() { Widget->unsetCursor(); }
    } restoreCursor{FGameTableImage};

    // Each goal card shows the back of the side whose goal it will guard.
    for (int card : {1, 12})
        ShowCard(uint8_t(card), FMatch.Kind(card), false, false);
    ShowAllCards();
    PlaceTopCard(slotPack);
    ShowSteps(Deal);
}

void TMainForm::AdvanceClock()
{
    SetCaption(FPeriodTimeLabel, QString::fromStdString(ClockText(FMatch.RemainingHalfMinutes())));
}

void TMainForm::LogGoal(TTurn Scorer)
{
    QLabel* caption = Scorer == tuComputer ? FComputerGoalsLabel : FPlayerGoalsLabel;
    SetCaption(caption, QString::number(FMatch.Goals(Scorer)));
}

QString TMainForm::RowScore(int Computer, int Player) const
{
    // Every score of a game names first the side that moves first in it.
    return FMatch.GameDealer() == alPlayer ? QStringLiteral("%1-%2").arg(Player).arg(Computer)
                                           : QStringLiteral("%1-%2").arg(Computer).arg(Player);
}

QString TMainForm::InPlayLine() const
{
    if (FMatch.GameNo() < 1 || FMatch.PeriodNo() < 1)
        return {};
    const QString period = FMatch.PeriodNo() <= 3
                               ? QStringLiteral("period %1").arg(FMatch.PeriodNo())
                               : QStringLiteral("overtime");
    return QStringLiteral("Game %1, %2 under way: %3 so far")
        .arg(FMatch.GameNo())
        .arg(period, RowScore(FMatch.Goals(tuComputer), FMatch.Goals(tuPlayer)));
}

void TMainForm::EndPeriod()
{
    // The goal cards are shown for the intermission.
    ShowSteps(FMatch.EndPeriod());
    AnnouncePeriodEnd(); // for a screen reader

    const auto score = [this](int Computer, int Player) { return RowScore(Computer, Player); };
    QString goals;
    for (const TGoalEntry& goal : FMatch.PeriodGoals()) {
        goals += QString::fromStdString(ElapsedText(goal.ElapsedHalfMinutes)) + QLatin1Char(' ') +
                 score(goal.ComputerGoals, goal.PlayerGoals) + QLatin1Char(' ') +
                 (goal.Scorer == tuComputer ? QStringLiteral("Computer")
                                            : OptionsDialog->PlayerName()) +
                 QStringLiteral("\n\r");
    }
    ScoreSheet().Initialize(FMatch.Goals(tuComputer), FMatch.Goals(tuPlayer));
    const TSetPeriodResult result = ScoreSheet().SetPeriod(
        score(FMatch.PeriodGoalsOf(tuComputer), FMatch.PeriodGoalsOf(tuPlayer)), goals);
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
        DiscardSave();
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
