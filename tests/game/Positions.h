#pragma once
// Positions for the rule tests, to lay out with TMatch::SetUpPosition.

#include "game/Match.h"

#include <algorithm>
#include <vector>

// A full line-up on both sides: the computer's cards (slots 2-7) of one rank, the
// player's (8-13) of another.
inline std::vector<TCardAt> Full(TCardValue Computer, TCardValue Player)
{
    std::vector<TCardAt> cards;
    for (int slot = 2; slot <= 13; ++slot)
        cards.push_back({slot, slot <= 7 ? Computer : Player});
    return cards;
}

// Cards with some slots' cards replaced by Changes and the Empty slots left empty.
inline std::vector<TCardAt> With(std::vector<TCardAt> Cards, std::vector<TCardAt> Changes,
                                 std::vector<int> Empty = {})
{
    for (const TCardAt& change : Changes) {
        std::erase_if(Cards, [&](const TCardAt& at) { return at.Slot == change.Slot; });
        Cards.push_back(change);
    }
    std::erase_if(Cards, [&](const TCardAt& at) { return std::ranges::count(Empty, at.Slot); });
    return Cards;
}

inline std::vector<TCardAt> Without(std::vector<TCardAt> Cards, std::vector<int> Empty)
{
    return With(std::move(Cards), {}, std::move(Empty));
}
