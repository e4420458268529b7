#pragma once
// The record of one series as the score sheet shows it, and its referee. Each finished
// period is entered here; the record settles whether the game and the series are over and
// says what comes next. Plain C++: the sheet only shows what it holds. Texts are UTF-8.

#include <array>
#include <string>
#include <vector>

#include "game/Cards.h"
#include "game/Statistics.h"

class TSeriesRecord
{
public:
    // A series of seven games is decided after seven games at most.
    static constexpr int MaxGames = 7;
    // A game's row: each regular period's score and goal list (columns 1-6), the final
    // score (7) and the overtime's goal list (8).
    static constexpr int ResultColumns = 8;

    // A new series under the caption "Score": the first game's dealer, the length and the
    // player's name as the sheet shows it.
    void NewSeries(TDealer Dealer, TGamesBestOf BestOf, const std::string& PlayerName);
    // The current game's totals, computer's first, entered before every EnterPeriod.
    void SetGameGoals(int AIGoals, int PlayerGoals);
    // Records the end of a period (its score and goal list as the sheet shows them),
    // referees the game and the series, sets the caption and says what comes next.
    TSetPeriodResult EnterPeriod(const std::string& PeriodResult, const std::string& Goals);
    // Empties every cell.
    void ClearPeriodResults();
    // Lays out the rows the series may still need, an empty row's results as "x-x".
    void SetGamesDrawed();

    const std::string& Caption() const { return FCaption; }
    const std::string& PlayerName() const { return FPlayerName; }
    // Rows and columns count from 1; a place outside the record reads empty.
    const std::string& Cell(int Row, int Column) const;
    // The rows the sheet lays out.
    int Rows() const { return FGamesDrawed; }
    // The dealer of the series' first game: the rows alternate from it.
    TDealer FirstDealer() const { return FDPDealer; }
    int Game() const { return FGame; }
    int Period() const { return FPeriod; }
    int AIGoals() const { return FAIGoals; }
    int PlayerGoals() const { return FPlayerGoals; }
    int AIWins() const { return FAIWins; }
    int PlayerWins() const { return FPlayerWins; }
    // The series as the statistics count it: its games that have ended and its winner.
    TSeriesSummary Summary(TSkillLevel Level) const;
    // A side has won the games the series needs.
    bool Decided() const;

    // The record as text, and back: false, with the record unchanged, when Text is not a
    // whole record.
    std::string Saved() const;
    bool Restore(const std::string& Text);

    friend bool operator==(const TSeriesRecord&, const TSeriesRecord&) = default;

private:
    void SetCell(int Row, int Column, const std::string& Text);

    std::string FPlayerName;
    std::string FCaption = "Score";
    TDealer FDealer = alComputer;   // deals the current game
    TDealer FDPDealer = alComputer; // dealt the first game
    int FAIGoals = 0;
    int FPlayerGoals = 0;
    int FAIWins = 0;
    int FPlayerWins = 0;
    TGamesBestOf FGamesBestOf = boOne;
    int FGamesDrawed = 0;
    int FPeriod = 0; // periods ended in the current game
    int FGame = 0;   // the current game, from 1
    std::array<std::array<std::string, ResultColumns>, MaxGames> FPeriodResults;
    std::vector<TGameResult> FSeriesGames; // the games of this series that have ended
};

// "first" .. "sixth"; "error" for any other number.
std::string OrdinalText(unsigned N);
