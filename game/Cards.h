#pragma once
// The game's plain vocabulary: ranks, sides, options, card kinds and slot numbers. No Qt,
// so the rules engine and its tests can use it alone.

#include <cstdint>

enum TCardValue : uint8_t
{
    cvTwo,
    cvThree,
    cvFour,
    cvFive,
    cvSix,
    cvSeven,
    cvEight,
    cvNine,
    cvTen,
    cvJack,
    cvQueen,
    cvKing,
    cvAce
};
enum TTurn : uint8_t
{
    tuComputer,
    tuPlayer
};
enum TDealer : uint8_t
{
    alComputer,
    alPlayer
};
enum TSkillLevel : uint8_t
{
    slRookie,
    slPro,
    slAllStar,
    slLegend // looks ahead: plays each candidate forward over deals of the cards it cannot see
};
inline constexpr int SkillLevelCount = 4;
// The levels by name, wherever the player reads them.
inline constexpr const char* SkillLevelNames[SkillLevelCount] = {"Rookie", "Pro", "All-Star",
                                                                 "Legend"};
enum TGamesBestOf : uint8_t
{
    boOne,
    boThree,
    boFive,
    boSeven
};
enum TAnimSpeed : uint8_t
{
    asFast,
    asMedium,
    asLow
};
enum TSetPeriodResult : uint8_t
{
    spnewperiod,
    spnewgame,
    spendofgame
};

// How a card shows on the table (`TPlayingCard::Kind`).
enum : uint8_t
{
    kindFaceUp = 0,
    kindComputerBack = 1,
    kindPlayerBack = 2
};

inline constexpr int CardCount = 52;

// Slot numbers, used by number throughout the game.
enum : uint8_t
{
    slotPack = 1,
    slotComputerGoal = 2,
    slotPlayerGoal = 13,
    slotDiscard = 14,
    SlotCount = 14
};

constexpr TTurn OtherSide(TTurn Side)
{
    return Side == tuComputer ? tuPlayer : tuComputer;
}

constexpr TDealer OtherDealer(TDealer Dealer)
{
    return Dealer == alComputer ? alPlayer : alComputer;
}

constexpr int OwnGoal(TTurn Side)
{
    return Side == tuComputer ? slotComputerGoal : slotPlayerGoal;
}

constexpr int OpposingGoal(TTurn Side)
{
    return OwnGoal(OtherSide(Side));
}

// The face-down kind in the colour of a side.
constexpr uint8_t BackOf(TTurn Side)
{
    return Side == tuComputer ? kindComputerBack : kindPlayerBack;
}

// Half of an extent rounded to the nearest integer, a tie going to the even neighbour.
constexpr int HalfTiesToEven(int Extent)
{
    if (Extent % 2 == 0)
        return Extent / 2;
    const int below = Extent / 2 - (Extent < 0 ? 1 : 0); // the neighbour below the tie
    return below % 2 == 0 ? below : below + 1;
}
