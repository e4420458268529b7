#pragma once
// The score sheet: shows the record of one series, period by period, as the intermission
// report. The record and its referee are the match's (TSeriesRecord); the sheet enters
// each finished period there, passes on the verdict and shows the result.

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

#include "game/Lib.h"
#include "game/SeriesRecord.h"
#include "game/Statistics.h"

class QLabel;
class QPushButton;

class TStaticsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TStaticsDialog(QWidget* Parent = nullptr);
    ~TStaticsDialog() override;

    // The record the sheet keeps and shows from now on: the match's, which must outlive
    // its use here; nullptr gives the sheet back a record of its own.
    void UseRecord(TSeriesRecord* Record);
    const TSeriesRecord& Record() const { return *FRecord; }

    // Starts a new series with the caption "Score"; does not show the sheet.
    void NewGame(TDealer Dealer, TGamesBestOf GamesBestOf, const QString& PlayerName);
    // The current game's totals, computer's first, reported before every SetPeriod.
    void Initialize(int32_t AIGoals, int32_t PlayerGoals);
    // Records the end of a period, referees the game and the series, shows the sheet
    // modally and, once it is closed, says what comes next.
    TSetPeriodResult SetPeriod(const QString& PeriodResult, const QString& Goals);
    // Shows the sheet as it stands (the menu's Score command). InPlay, when given, tells
    // the period under way in a line of its own below the rows, whose cells stay as they
    // are; it shows for this showing only.
    void ShowScore(const QString& InPlay = {});
    void ClearPeriodResults();
    void SetGamesDrawed();

    // The player's name as the series records it.
    QString PlayerName() const { return QString::fromStdString(FRecord->PlayerName()); }
    // Told once when a series ends, as the referee names its winner and before the sheet
    // shows: the series' games and who won it. The sheet does not know the level the
    // series was played at: the receiver fills it in.
    using TSeriesEndHook = std::function<void(TSeriesSummary Series)>;
    void SetOnSeriesEnd(TSeriesEndHook Hook) { FOnSeriesEnd = std::move(Hook); }

protected:
    // Lays the sheet out afresh from the current record.
    void BuildSheet();
    // Runs the sheet's modal showing; returns once the player has closed it.
    virtual void ShowModalSheet();

private:
    void BuildAndShowSheet();
    QLabel* AddSheetLabel(QWidget* Owner, const QString& Text, const QColor& Color, int Left,
                          int Top, const QString& Hint);
    QString Cell(int Row, int Column) const;

    friend class TStaticsDialogProbe; // lets the tests read the record

    QPushButton* OKButton;
    TSeriesRecord FOwnRecord;
    TSeriesRecord* FRecord = &FOwnRecord;
    TSeriesEndHook FOnSeriesEnd;
    QString FInPlay; // the line below the rows, for the showing under way
};

// The program-wide score sheet, created by the shell at start-up.
extern TStaticsDialog* StaticsDialog;

// A goal list as a tooltip: one goal per line, shown as plain text.
QString GoalListHint(const QString& Goals);
