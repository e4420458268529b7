#pragma once
// Why a slot is refused, in the player's words. Plain C++: the table only shows the text.

#include "game/Match.h"

#include <string>

// The rank as the texts name it: "Two" ... "Ten", "Jack", "Queen", "King", "Ace".
const char* CardName(TCardValue Value);

// The sentence that tells the player why the top card may not go to Slot now, naming the
// cards where that helps; empty when it may.
std::string RefusalText(const TMatch& M, int Slot);
