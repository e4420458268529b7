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

// A shot at the goal from the top card, and whether it scores: an empty goal always falls;
// a face-down goal card saves only against a lower shot.
struct TShotCase
{
    const char* Name;
    TTurn Shooter;
    bool GoalCard; // a face-down card in the goal
    TCardValue GoalValue;
    TCardValue Shot;
    bool Scores;

    int Goal() const { return Shooter == tuPlayer ? slotComputerGoal : slotPlayerGoal; }
    // The goal card's back: the defending side's colour.
    uint8_t GoalBack() const { return Shooter == tuPlayer ? kindComputerBack : kindPlayerBack; }
    std::vector<TCardAt> Cards() const
    {
        if (!GoalCard)
            return {};
        return {{Goal(), GoalValue, false, GoalBack()}};
    }
};

inline const std::vector<TShotCase>& ShotCases()
{
    static const std::vector<TShotCase> cases = {
        {"player at an empty goal", tuPlayer, false, cvTwo, cvTwo, true},
        {"player, equal rank", tuPlayer, true, cvNine, cvNine, true},
        {"player, lower goal card", tuPlayer, true, cvEight, cvNine, true},
        {"player, higher goal card", tuPlayer, true, cvTen, cvNine, false},
        {"computer at an empty goal", tuComputer, false, cvTwo, cvTwo, true},
        {"computer, equal rank", tuComputer, true, cvJack, cvJack, true},
        {"computer, higher goal card", tuComputer, true, cvQueen, cvJack, false},
    };
    return cases;
}
