#pragma once
// TMatch: the match's state and its rules, with no knowledge of the table that shows it.
//
// The pack, the fourteen slots, whose turn it is, the clock, the goals and the goal log
// live here as plain values. A move changes them and returns the steps the table has to
// show (a card's flight, a card turned, the beaten cards fading), in order. The computer's
// levels choose from a const TMatch.
//
// Setting up a position directly (for tests, and for checking the rules from outside):
//
//     TMatch m;
//     m.SetUpPosition({{5, cvSix}, {9, cvTwo, /*Beaten*/ true}}, cvSeven, kindFaceUp,
//                     /*TopIndex*/ 30, tuPlayer);
//     m.Playable(tuPlayer);            // the slots the player may play to: {5, 8, 9, ...}
//     m.Refusal(tuPlayer, 13);         // why not slot 13: TRefusal::OwnGoalOnlyFaceDown
//     m.LevelChoice(slAllStar);        // what All-Star would play there as the computer
//
// A laid-out card takes the next pack number from 1 up (passing over TopIndex), so it
// counts as having left the pack; the top card is card TopIndex.

#include "game/Cards.h"
#include "game/SeriesRecord.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

// The match's generator: Mersenne Twister seeded through a seed sequence, drawing
// 0 .. n-1 by scaling a 32-bit draw. The same seed gives the same deal and the same
// computer choices on every platform.
class TMatchRandom
{
public:
    explicit TMatchRandom(uint32_t Seed = 1) { this->Seed(Seed); }
    void Seed(uint32_t Seed)
    {
        std::seed_seq sequence{Seed};
        FEngine.seed(sequence);
    }
    int Below(int N) // uniform 0 .. N-1; 0 when N <= 0
    {
        if (N <= 0)
            return 0;
        return int((uint64_t(FEngine()) * uint64_t(N)) >> 32);
    }
    uint32_t Next() { return FEngine(); } // a whole 32-bit draw
    // The generator's whole state as text, and back (false, unchanged, when it is not one).
    std::string State() const;
    bool SetState(const std::string& Text);
    friend bool operator==(const TMatchRandom&, const TMatchRandom&) = default;

private:
    std::mt19937 FEngine;
};

struct TCardFace
{
    uint8_t Suit = 0; // 0 diamonds, 1 hearts, 2 spades, 3 clubs
    TCardValue Value = cvTwo;
    friend bool operator==(const TCardFace&, const TCardFace&) = default;
};

// The pack's faces by place, 1..52 (element 0 unused).
using TPackOrder = std::array<TCardFace, CardCount + 1>;

// The unshuffled pack: diamonds Two to Ace, then hearts, spades and clubs.
TPackOrder FreshPackOrder();
// Three passes over the pack, each place swapping with a place drawn from 1..51.
void ShufflePackOrder(TPackOrder& Order, TMatchRandom& Random);
// The same on any number of places (Count >= 2): three passes, place i swapping with a
// place drawn from the first Count - 1.
void ShufflePlaces(TCardFace* Places, int Count, TMatchRandom& Random);

// One card of a laid-out position.
struct TCardAt
{
    int Slot;
    TCardValue Value;
    bool Beaten = false;
    uint8_t Kind = kindFaceUp;
};

// Why a slot is not playable for a side now.
enum class TRefusal : uint8_t
{
    None,                // playable
    NotYourTurn,         // the other side is to move
    NoCard,              // the pack is used up or the period is over
    NoSuchSlot,          // not a slot number
    FaceDownCard,        // a face-down card of the mover's colour: own goal or turn it over
    NothingToTurnOver,   // the pack: only a face-down card of the mover's colour turns over
    SlotTaken,           // an own slot that holds a card
    OwnGoalOnlyFaceDown, // the own goal takes only a face-down card
    NothingToBeat,       // an opposing slot with no card standing in it
    CardTooLow,          // the opposing card outranks the top card
    DefenderCovered,     // the forwards in front still cover that defender
    GoalCovered,         // the defence still closes the goal
    DiscardNotNeeded,    // a card is discarded only when nothing else is playable
};

// What the table has to show, in order.
enum class TStepKind : uint8_t
{
    Fly,        // card Card flies from slot From to slot To, then lands (Face: its kind after)
    TurnUp,     // card Card is shown face up where it lies
    ShowNext,   // card Card (the next one of the pack) is shown as kind Face
    Beat,       // card Card is beaten: dimmed, and shown face up if it lay face down
    FadeBeaten, // the beaten cards on the table fade and leave it
    Goals,      // side Side's goal count changed
    Clock,      // the clock moved
    PeriodOver, // the period has ended
};

struct TStep
{
    TStepKind Kind;
    uint8_t Card = 0;
    uint8_t From = 0;
    uint8_t To = 0;
    uint8_t Face = kindFaceUp;
    TTurn Side = tuComputer;
    friend bool operator==(const TStep&, const TStep&) = default;
};
using TSteps = std::vector<TStep>;

// A goal as the score sheet lists it.
struct TGoalEntry
{
    int ElapsedHalfMinutes; // of the period's elapsed time when it was scored
    int ComputerGoals;      // the score after it
    int PlayerGoals;
    TTurn Scorer;
    friend bool operator==(const TGoalEntry&, const TGoalEntry&) = default;
};

class TMatch
{
public:
    static constexpr int PeriodHalfMinutes = 40; // "20:00"

    TMatch();

    // --- Setting up -----------------------------------------------------------------------
    // A new series: the first dealer and the level; the game count starts again.
    void StartSeries(TDealer FirstDealer, TSkillLevel Level);
    // A new game: the dealers change, the period count and the goals start again.
    void StartGame();
    // A new period: shuffle from Seed, clear the table, hand the first move over and deal
    // the twelve cards. Returns the deal's steps.
    TSteps StartPeriod(uint32_t Seed);

    // Lays out a position: the given cards in their slots, the top card (pack place
    // TopIndex, or none when TopIndex > 52) with its rank and kind, and the side to move.
    // Every other slot is empty; marks are cleared; the clock, goals and counters stay.
    void SetUpPosition(std::initializer_list<TCardAt> Cards, TCardValue Top,
                       uint8_t TopKind = kindFaceUp, int TopIndex = 30, TTurn Turn = tuPlayer);
    void SetUpPosition(const std::vector<TCardAt>& Cards, TCardValue Top,
                       uint8_t TopKind = kindFaceUp, int TopIndex = 30, TTurn Turn = tuPlayer);

    // --- The three queries ------------------------------------------------------------------
    // The slots Side may play to now, ascending. Works out the marks without storing them.
    std::vector<int> Playable(TTurn Side) const;
    // Why Side may not play to Slot now (TRefusal::None when it may).
    TRefusal Refusal(TTurn Side, int Slot) const;
    // The slot Level would play as the computer here (its random draws from a copy of the
    // match's generator, so asking changes nothing).
    int LevelChoice(TSkillLevel Level) const;
    // The slot Level would play for Side here. The levels choose as the computer, so for
    // the player the computer's choice in the mirrored position is mirrored back: it is the
    // hint of what that level would do in the player's place.
    int LevelChoiceFor(TTurn Side, TSkillLevel Level) const;
    // The same position seen from the other side: the card in slot s (2..13) moves to
    // 15 - s, every face-down card changes colour, and the turn, the goals and what each
    // side remembers of its last saved shot change sides. Pack, clock and generator stay.
    TMatch Mirrored() const;
    // The same, written over Into for the play alone: the choices need no pack order,
    // goal log, generator or series record, so those of Into stay as they are. A search
    // mirrors many positions into one match this way.
    void MirrorPlayInto(TMatch& Into) const;
    // Slot s of one side's line-up as the other side's: 15 - s; the pack and the discard
    // pile stay.
    static constexpr int MirroredSlot(int Slot)
    {
        return Slot == slotPack || Slot == slotDiscard ? Slot : SlotCount + 1 - Slot;
    }

    // --- The turn engine --------------------------------------------------------------------
    // Marks the slots Side may play to. False, with nothing marked, when the period is over.
    bool MarkPlayable(TTurn Side);
    // The start of Side's turn after marking: when the turn changes hands, the cards beaten
    // in the last one leave the table (one FadeBeaten step when any do).
    TSteps BeginTurn(TTurn Side);
    // Carries out Side's move to Slot, which must be marked. Returns true when the move
    // passes the turn (a shot or a discard); FTurn is then the other side.
    bool Play(TTurn Side, int Slot, TSteps& Steps);
    // The computer's move at its level, after MarkPlayable(tuComputer), drawn from the
    // match's generator; what the level remembers of the choice is noted.
    int ComputerChoice();
    // What the levels above Rookie remember when the computer chooses Slot: the rank of
    // their own shot, and that a fresh goal card makes the player's last save stale.
    void NoteComputerChoice(int Slot);
    // The period is over: the goal cards still on the table turn face up.
    TSteps EndPeriod();

    // --- Saving (game/MatchSave.cpp) -------------------------------------------------------
    // The whole match as text: the pack's order, every card and slot, the turn, the dealers,
    // the counters, the clock, the goals and the period's goal log, and the generator, so
    // that a restored match plays on exactly as the saved one would have.
    std::string Saved() const;
    // The match Saved() wrote, or false (Into unchanged, Why saying what is wrong) when the
    // text is not one: cut short, damaged, of another version, or a match that could not
    // arise in play (a card in two places, a score its goal log does not add up to, ...).
    static bool Restore(const std::string& Text, TMatch& Into, std::string* Why = nullptr);
    // Whether the state could arise in play; Why names the first thing that could not.
    bool Consistent(std::string* Why = nullptr) const;
    friend bool operator==(const TMatch&, const TMatch&) = default;

    // --- State ------------------------------------------------------------------------------
    int TopIndex() const { return FTop; }
    bool HasTopCard() const { return FTop >= 1 && FTop <= CardCount; }
    TCardValue TopValue() const { return FCards[FTop].Face.Value; }
    uint8_t TopKind() const { return FCards[FTop].Kind; }
    const TCardFace& Face(int CardNo) const { return FCards[CardNo].Face; }
    uint8_t Kind(int CardNo) const { return FCards[CardNo].Kind; }
    bool Beaten(int CardNo) const { return FCards[CardNo].Beaten; }
    int CardIn(int Slot) const { return FSlots[Slot].Card; } // 0: empty
    bool Canplay(int Slot) const { return FSlots[Slot].Canplay; }
    bool SlotLive(int Slot) const; // holds a card that is not beaten
    bool SlotDown(int Slot) const { return !SlotLive(Slot); }
    TCardValue ValueIn(int Slot) const { return FCards[FSlots[Slot].Card].Face.Value; }

    TTurn Turn() const { return FTurn; }
    TTurn DATurn() const { return FDATurn; }
    TSkillLevel Level() const { return FLevel; }
    TDealer GameDealer() const { return FGameDealer; }
    TDealer PeriodDealer() const { return FPeriodDealer; }
    int GameNo() const { return FGameNo; }
    int PeriodNo() const { return FPeriodNo; }
    int Goals(TTurn Side) const { return FGoals[Side]; }
    int RemainingHalfMinutes() const { return FRemaining; }
    int ElapsedHalfMinutes() const { return FElapsed; }
    bool OvertimeWin() const { return FOvertimeWin; }
    TCardValue LastShotValue() const { return FLastShot; }
    TCardValue PlayerLastShotValue() const { return FPlayerLastShot; }
    const std::vector<TGoalEntry>& PeriodGoals() const { return FPeriodGoals; }
    int PeriodGoalsOf(TTurn Side) const;
    // A move has been made in this series and its winner is not named yet: giving it up
    // now loses it.
    bool SeriesUnderWay() const;
    const TPackOrder& PackOrder() const { return FOrder; }
    TMatchRandom& Random() { return FRandom; }
    // The series as the score sheet shows it, with its referee. Saved on its own
    // (Record().Saved()): Saved() and Restore() above are the play alone.
    TSeriesRecord& Record() { return FRecord; }
    const TSeriesRecord& Record() const { return FRecord; }

    void SetCanplay(int Slot, bool Canplay) { FSlots[Slot].Canplay = Canplay; }
    void SetTurn(TTurn Turn) { FTurn = Turn; }
    void SetDATurn(TTurn Turn) { FDATurn = Turn; }
    void SetLevel(TSkillLevel Level) { FLevel = Level; }
    void SetGameDealer(TDealer Dealer) { FGameDealer = Dealer; }
    void SetPeriodDealer(TDealer Dealer) { FPeriodDealer = Dealer; }
    void SetGoals(int Computer, int Player) { FGoals = {Computer, Player}; }
    void SetRemainingHalfMinutes(int HalfMinutes) { FRemaining = HalfMinutes; }
    void SetPeriodNo(int PeriodNo) { FPeriodNo = PeriodNo; }
    // Gives card CardNo another face, in the pack's order too: a search deals the cards
    // the mover cannot see into a copy of the match.
    void SetFace(int CardNo, const TCardFace& Face)
    {
        FOrder[CardNo] = Face;
        FCards[CardNo].Face = Face;
    }
    void SetLastShotValues(TCardValue Computer, TCardValue Player)
    {
        FLastShot = Computer;
        FPlayerLastShot = Player;
    }

private:
    struct TCard
    {
        TCardFace Face;
        uint8_t Kind = kindFaceUp;
        bool Beaten = false;
        friend bool operator==(const TCard&, const TCard&) = default;
    };
    struct TSlot
    {
        uint8_t Card = 0;
        bool Canplay = false;
        friend bool operator==(const TSlot&, const TSlot&) = default;
    };

    // The marking rule for one slot other than the discard pile, whoever is to move.
    TRefusal Rule(TTurn Side, int Slot) const;
    // Calls Take(slot) for every slot Side may play to now, ascending (the discard pile
    // only when no other); false, calling nothing, when the period is over.
    template <typename TTake>
    bool ForEachPlayable(TTurn Side, TTake Take) const;
    void ClearTable();
    void AdvanceClock();
    void LogGoal(TTurn Scorer);
    // The top card flies to Dest and lands there.
    void Fly(int Dest, TSteps& Steps);
    void LayOut(const TCardAt* First, const TCardAt* Last, TCardValue Top, uint8_t TopKind,
                int TopIndex, TTurn Turn);

    TPackOrder FOrder; // the faces by pack place, kept from shuffle to shuffle
    std::array<TCard, CardCount + 1> FCards{}; // by pack place
    std::array<TSlot, SlotCount + 1> FSlots{}; // 1..14
    int FTop = CardCount + 1;
    TTurn FTurn = tuComputer;
    TTurn FDATurn = tuComputer;
    TSkillLevel FLevel = slRookie;
    TDealer FGameDealer = alComputer;
    TDealer FPeriodDealer = alComputer;
    int FGameNo = 0;
    int FPeriodNo = 0;
    std::array<int, 2> FGoals{};
    int FRemaining = PeriodHalfMinutes;
    int FElapsed = 0;
    bool FOvertimeWin = false;
    TCardValue FLastShot = cvTwo;
    TCardValue FPlayerLastShot = cvTwo;
    std::vector<TGoalEntry> FPeriodGoals;
    TMatchRandom FRandom;
    TSeriesRecord FRecord;
};

// --- The computer's levels: functions of the position -------------------------------------
// Each reads the marks of M (MarkPlayable(tuComputer)) and returns one of the marked slots;
// random draws come from Random. Where a level matters below its own name, M.Level() is it.
int ChooseSlot(const TMatch& M, TMatchRandom& Random); // at M.Level()
int ChooseRookieSlot(const TMatch& M, TMatchRandom& Random);
int ChooseProSlot(const TMatch& M, TMatchRandom& Random);
int ChooseAllStarSlot(const TMatch& M, TMatchRandom& Random);
int ChooseLegendSlot(const TMatch& M, TMatchRandom& Random); // game/LookAhead.h
// The parts the levels are made of.
int ChooseAttackSlot(const TMatch& M); // an opposing defender, else forward; -1 for none
int ChooseProFillSlot(const TMatch& M, TMatchRandom& Random); // -1 for none
int ChooseAllStarFillSlot(const TMatch& M, TMatchRandom& Random);
int CountOwnVacancies(const TMatch& M); // the computer's slots 2-7 without a live card
bool OwnGoalCovered(const TMatch& M);   // as M.Level() judges it
bool AnyFieldSlotPlayable(const TMatch& M);
int SlotValueSum(const TMatch& M, int SlotA, int SlotB); // an empty slot counts 0

// --- The referee --------------------------------------------------------------------------
// Whether a game is over once period PeriodNo has ended: after the third with the score
// not level, and in overtime as soon as a period saw a goal.
bool GameOverAfterPeriod(int PeriodNo, int ComputerGoals, int PlayerGoals, bool GoalsInPeriod);
// How many games a series runs to, given the wins so far: the leader needs one win more
// than half of the longest series (1, 3, 5 or 7 games), capped at that length.
int GamesToPlay(int ComputerWins, int PlayerWins, TGamesBestOf BestOf);

// --- Clock texts ------------------------------------------------------------------------
// The period clock, "20:00" down to "0:00".
std::string ClockText(int RemainingHalfMinutes);
// The elapsed time of the goal log, "00:00", "00:30", ... ("100:00" once past 99 minutes).
std::string ElapsedText(int ElapsedHalfMinutes);
