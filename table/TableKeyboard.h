#pragma once
// Finding one's way round the table from the keyboard: the slots in reading order and
// the nearest slot in a direction, from the slots' card rectangles on the designed table.

#include <array>

#include "game/Cards.h"

namespace table {

// The fourteen slots top to bottom, and left to right where they lie at one height.
const std::array<int, SlotCount>& ReadingOrder();
// Slot's place in ReadingOrder, 0..13 (-1 for no slot).
int ReadingIndex(int Slot);
// The slot nearest to From whose centre lies in direction (Dx, Dy) (one of them -1 or 1,
// the other 0): the distance along the direction counts once, the distance across it
// twice, so a slot straight ahead wins over a closer one off to the side. From itself
// when no slot lies that way.
int SlotInDirection(int From, int Dx, int Dy);

} // namespace table
