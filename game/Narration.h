#pragma once
// What the table says to a screen reader: the names of the slots and what lies there, and
// one sentence for each move, goal, save, period end and turn. Plain C++, built from the
// match alone, so every text can be checked without a window.

#include "game/Match.h"

#include <string>

// "Seven of Hearts".
std::string CardName(const TCardFace& Face);
// "Seven".
std::string RankName(TCardValue Value);
// The slot's role seen from the player: "Your left defender", "Computer's goal", "Pack",
// "Discard pile".
std::string SlotRole(int Slot);
// How many cards lie on the discard pile.
int DiscardCount(const TMatch& M);
// The slot's role and what lies there: "Your left defender: Seven of Hearts",
// "Computer's goal: face down", "Your centre: Six of Clubs, beaten", "Pack: 23 cards,
// Seven of Hearts on top", "Discard pile: empty".
std::string SlotName(const TMatch& M, int Slot);
// The top card as the player sees it: "Seven of Hearts", or "a card face down".
std::string TopCardText(const TMatch& M);

// The sentence for Side's move to Slot, from the match after the move and the steps the
// move returned: "Computer beats your Six with the Nine", "You fill your centre with the
// Four", "Computer scores with the Jack: computer 2, you 1", "Saved! ...", "You discard".
std::string MoveSentence(const TMatch& After, TTurn Side, int Slot, const TSteps& Steps);
// Whose turn it is, with the card to play on the player's: "Your turn: Seven of Hearts",
// "Computer's turn".
std::string TurnSentence(const TMatch& M);
// "End of period 2: computer 2, you 1".
std::string PeriodEndSentence(const TMatch& M);
