#pragma once
// The Legend level: a search that looks ahead without seeing more than the player would.
//
// The mover cannot see the order of the pack below the top card, a face-down top card,
// or the face-down goal cards (its own included). Each deal gives those places the faces
// the mover has not seen, in a random order (a goal card that has saved a shot gets one
// above that shot); in every deal each playable slot is tried and the period is played
// out by All-Star's plan for both sides. The slot whose play-outs end best wins; a tie
// goes to All-Star's own choice.
//
// All draws come from one seed taken from the match's generator, so the same position and
// generator give the same choice, and a restored save plays on as the saved match would.

#include "game/Match.h"

#include <vector>

struct TLookAhead
{
    // Deals per move: each deal plays every playable slot out once.
    // Calibrated on the development machine: a median move takes about 7 ms of CPU, 99 in
    // 100 less than 25 ms.
    static constexpr int ShippedDeals = 256;
    int Deals = ShippedDeals;
    // For the tests of honesty only: search the real pack instead of deals of the unseen
    // cards, as a cheating player would.
    bool SeesHiddenCards = false;
};

// The pack places of the cards whose faces the side to move has not seen: the face-down
// goal cards, then the top card when it lies face down, then the rest of the pack.
std::vector<int> HiddenCards(const TMatch& M);

// The computer's move by looking ahead, from M's marks (MarkPlayable(tuComputer)). Takes
// one draw from Random.
int ChooseLookAheadSlot(const TMatch& M, TMatchRandom& Random, const TLookAhead& Search = {});

// What a period's end is worth to the computer, from -1 (lost) to 1 (won): the game's
// lead once no regular period is left, otherwise the chance the lead holds over the
// periods still to come.
double PeriodEndValue(const TMatch& M);
