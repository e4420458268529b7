#pragma once
// The two simple players the computer's levels are measured against: one that plays a
// random legal slot, and a greedy one.

#include "game/Match.h"

#include <random>

enum class TPlayer
{
    Random,
    Greedy
};

inline int PlayerChoice(const TMatch& M, TPlayer Player, std::mt19937& Random)
{
    const std::vector<int> playable = M.Playable(tuPlayer);
    if (Player == TPlayer::Random)
        return playable[Random() % playable.size()];
    auto can = [&](int s) { return M.Canplay(s); };
    // Shoot when possible; else beat the highest card it can; else fill a vacancy (a
    // face-down card goes into the goal).
    if (can(slotComputerGoal))
        return slotComputerGoal;
    int best = -1;
    for (int s = 3; s <= 7; ++s) {
        if (can(s) && M.CardIn(s) && (best == -1 || M.ValueIn(s) > M.ValueIn(best)))
            best = s;
    }
    if (best != -1)
        return best;
    for (int s : {11, 12, 8, 9, 10, 13}) {
        if (can(s))
            return s;
    }
    return can(slotPack) ? slotPack : slotDiscard;
}
