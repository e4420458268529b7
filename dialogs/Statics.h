#pragma once
// The score sheet: the record of one series, period by period, and its referee. The
// engine reports each finished period; the sheet decides whether the game and the series
// are over, tells the engine what comes next and shows itself as the intermission report.

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

#include "game/Lib.h"
#include "game/Statistics.h"

class QLabel;
class QPushButton;

class TStaticsDialog : public QDialog
{
    Q_OBJECT
public:
    // A series of seven games is decided after seven games at most.
    static constexpr int MaxGames = 7;
    static constexpr int ResultColumns = 8;

    explicit TStaticsDialog(QWidget* Parent = nullptr);
    ~TStaticsDialog() override;

    // Starts a new series with the caption "Score"; does not show the sheet.
    void NewGame(TDealer Dealer, TGamesBestOf GamesBestOf, const QString& PlayerName);
    // The current game's totals, computer's first, reported before every SetPeriod.
    void Initialize(int32_t AIGoals, int32_t PlayerGoals);
    // Records the end of a period, referees the game and the series, shows the sheet
    // modally and, once it is closed, says what comes next.
    TSetPeriodResult SetPeriod(const QString& PeriodResult, const QString& Goals);
    // Shows the sheet as it stands (the menu's Score command).
    void ShowScore();
    void ClearPeriodResults();
    void SetGamesDrawed();

    // The series' record as text, and back: false, with the record unchanged, when Text
    // is not a whole record.
    QString SavedRecord() const;
    bool RestoreRecord(const QString& Text);
    // The player's name as the series records it.
    QString PlayerName() const { return FPlayerName; }
    // Told once when a series ends, as the referee names its winner and before the sheet
    // shows: the series' games and who won it. The sheet does not know the level the
    // series was played at: the receiver fills it in.
    using TSeriesEndHook = std::function<void(TSeriesSummary Series)>;
    void SetOnSeriesEnd(TSeriesEndHook Hook) { FOnSeriesEnd = std::move(Hook); }

protected:
    // The referee's part of SetPeriod: stores the period, settles the game and the
    // series and sets the caption, without showing anything.
    TSetPeriodResult RefereePeriod(const QString& PeriodResult, const QString& Goals);
    // Lays the sheet out afresh from the current record.
    void BuildSheet();
    // Runs the sheet's modal showing; returns once the player has closed it.
    virtual void ShowModalSheet();

private:
    void BuildAndShowSheet();
    QLabel* AddSheetLabel(QWidget* Owner, const QString& Text, const QColor& Color, int Left,
                          int Top, const QString& Hint);
    QString Cell(int Row, int Column) const;
    void SetCell(int Row, int Column, const QString& Text);

    friend class TStaticsDialogProbe; // lets the tests read the record

    QPushButton* OKButton;
    QString FPlayerName;
    TDealer FDealer = alComputer;
    TDealer FDPDealer = alComputer;
    int32_t FAIGoals = 0;
    int32_t FPlayerGoals = 0;
    int32_t FAIWins = 0;
    int32_t FPlayerWins = 0;
    TGamesBestOf FGamesBestOf = boOne;
    uint8_t FGamesDrawed = 0;
    uint8_t FPeriod = 0;
    uint8_t FGame = 0;
    QString FPeriodResults[MaxGames][ResultColumns]; // game row, column; see Cell()
    std::vector<TGameResult> FSeriesGames;           // the games of this series that have ended
    TSeriesEndHook FOnSeriesEnd;
};

// The program-wide score sheet, created by the shell at start-up.
extern TStaticsDialog* StaticsDialog;

// A goal list as a tooltip: one goal per line, shown as plain text.
QString GoalListHint(const QString& Goals);
