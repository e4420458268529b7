// The rules engine on its own: marks for both sides and why a slot is refused, what each
// move does to the table, the turn, the clock and the goals, the deal, the shuffle, the
// referee and the computer's levels. No window, no timers.

#include "game/Match.h"

#include "Positions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace {

std::vector<TCardAt> FullTable()
{
    return Full(cvKing, cvFive);
}

struct MarkCase
{
    const char* Name;
    TCardValue Top;
    uint8_t TopKind;
    std::vector<TCardAt> Changes; // replace the card of a slot of the full table
    std::vector<int> Empty;       // slots left empty
    std::vector<int> Expected;    // the player's playable slots
};

std::vector<TCardAt> Apply(std::vector<TCardAt> Table, const MarkCase& Case)
{
    for (const TCardAt& change : Case.Changes) {
        for (TCardAt& at : Table) {
            if (at.Slot == change.Slot)
                at = change;
        }
    }
    std::erase_if(Table,
                  [&](const TCardAt& at) { return std::ranges::count(Case.Empty, at.Slot); });
    return Table;
}

// The same position seen from the other side: slot s becomes 15 - s, each card's colour
// changes sides.
int Mirror(int Slot)
{
    return Slot == slotPack || Slot == slotDiscard ? Slot : 15 - Slot;
}
uint8_t MirrorKind(uint8_t Kind)
{
    if (Kind == kindFaceUp)
        return Kind;
    return Kind == kindPlayerBack ? uint8_t(kindComputerBack) : uint8_t(kindPlayerBack);
}
std::vector<TCardAt> Mirrored(std::vector<TCardAt> Cards)
{
    for (TCardAt& at : Cards) {
        at.Slot = Mirror(at.Slot);
        at.Kind = MirrorKind(at.Kind);
    }
    return Cards;
}

const bool beaten = true;

// The player to move; the computer's cards are Kings, the player's Fives, unless changed.
const MarkCase MarkCases[] = {
    {"a full line-up covers both defenders and closes the goal",
     cvAce,
     kindFaceUp,
     {},
     {},
     {5, 6, 7}},
    {"equal rank beats a forward", cvSeven, kindFaceUp, {{5, cvSeven}, {7, cvSix}}, {}, {5, 7}},
    {"left defender covered while its partner is down but the far wing lives",
     cvAce,
     kindFaceUp,
     {},
     {4},
     {5, 6, 7}},
    {"left defender open once partner and far wing are down",
     cvAce,
     kindFaceUp,
     {},
     {4, 7},
     {2, 3, 5, 6}},
    {"left defender open once its near wing is down",
     cvAce,
     kindFaceUp,
     {{5, cvKing, beaten}},
     {},
     {3, 6, 7}},
    {"both defenders open once the centre is down", cvAce, kindFaceUp, {}, {6}, {3, 4, 5, 7}},
    {"an open defender of equal rank", cvJack, kindFaceUp, {{3, cvJack}}, {5}, {3}},
    {"an open defender above the top card", cvJack, kindFaceUp, {{3, cvQueen}}, {5}, {14}},
    {"goal open: slots 3 and 5 down", cvTwo, kindFaceUp, {{3, cvKing, beaten}}, {5}, {2}},
    {"goal open: slots 3 and 6 down", cvTwo, kindFaceUp, {}, {3, 6}, {2}},
    {"goal open: slots 4 and 6 down", cvTwo, kindFaceUp, {{6, cvKing, beaten}}, {4}, {2}},
    {"goal open: slots 4 and 7 down", cvTwo, kindFaceUp, {}, {4, 7}, {2}},
    {"goal closed with only slots 3 and 7 down", cvTwo, kindFaceUp, {}, {3, 7}, {14}},
    {"an open goal without a card", cvTwo, kindFaceUp, {}, {2, 3, 5}, {2}},
    {"own vacancies, empty or beaten", cvTwo, kindFaceUp, {{11, cvFive, beaten}}, {9}, {9, 11}},
    {"a face-down card of the mover: only the pack and the own goal",
     cvAce,
     kindPlayerBack,
     {},
     {9, 13},
     {1, 13}},
    {"a face-down card of the other colour plays as its rank",
     cvAce,
     kindComputerBack,
     {},
     {9},
     {5, 6, 7, 9}},
    {"nothing playable: discard", cvTwo, kindFaceUp, {}, {}, {14}},
};

} // namespace

TEST(MatchMarks, PlayableSlotsForThePlayerAndMirroredForTheComputer)
{
    for (const MarkCase& c : MarkCases) {
        SCOPED_TRACE(c.Name);
        TMatch player;
        player.SetUpPosition(Apply(FullTable(), c), c.Top, c.TopKind, 30, tuPlayer);
        EXPECT_EQ(player.Playable(tuPlayer), c.Expected);

        // The computer's slot for player slot s is 15 - s.
        TMatch computer;
        computer.SetUpPosition(Mirrored(Apply(FullTable(), c)), c.Top, MirrorKind(c.TopKind), 30,
                               tuComputer);
        std::vector<int> mirrored;
        for (int s : c.Expected)
            mirrored.push_back(Mirror(s));
        std::ranges::sort(mirrored);
        EXPECT_EQ(computer.Playable(tuComputer), mirrored);

        // Marking stores the same slots.
        ASSERT_TRUE(computer.MarkPlayable(tuComputer));
        std::vector<int> marked;
        for (int s = 1; s <= SlotCount; ++s)
            if (computer.Canplay(s))
                marked.push_back(s);
        EXPECT_EQ(marked, mirrored);
    }
}

TEST(MatchMarks, RefusalNamesWhyASlotIsNotPlayable)
{
    struct Case
    {
        const char* Name;
        TCardValue Top;
        uint8_t TopKind;
        std::vector<int> Empty;
        std::vector<TCardAt> Changes;
        int Slot;
        TRefusal Expected;
    };
    const Case cases[] = {
        {"a forward that outranks the card", cvFour, kindFaceUp, {}, {}, 5, TRefusal::CardTooLow},
        {"an empty forward slot", cvAce, kindFaceUp, {5}, {}, 5, TRefusal::NothingToBeat},
        {"a beaten forward",
         cvAce,
         kindFaceUp,
         {},
         {{6, cvTwo, beaten}},
         6,
         TRefusal::NothingToBeat},
        {"a covered defender", cvAce, kindFaceUp, {}, {}, 3, TRefusal::DefenderCovered},
        {"an open defender above the card", cvTen, kindFaceUp, {6}, {}, 4, TRefusal::CardTooLow},
        {"a closed goal", cvAce, kindFaceUp, {}, {}, 2, TRefusal::GoalCovered},
        {"an own slot with a card", cvAce, kindFaceUp, {}, {}, 9, TRefusal::SlotTaken},
        {"the own goal for a face-up card",
         cvAce,
         kindFaceUp,
         {13},
         {},
         13,
         TRefusal::OwnGoalOnlyFaceDown},
        {"the pack with a face-up card", cvAce, kindFaceUp, {}, {}, 1, TRefusal::NothingToTurnOver},
        {"a field slot for a face-down card",
         cvAce,
         kindPlayerBack,
         {9},
         {},
         9,
         TRefusal::FaceDownCard},
        {"the discard pile while a slot is open",
         cvAce,
         kindFaceUp,
         {},
         {},
         14,
         TRefusal::DiscardNotNeeded},
        {"the discard pile when nothing else is", cvTwo, kindFaceUp, {}, {}, 14, TRefusal::None},
        {"no such slot", cvAce, kindFaceUp, {}, {}, 15, TRefusal::NoSuchSlot},
        {"a playable forward", cvAce, kindFaceUp, {}, {}, 7, TRefusal::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        MarkCase layout{c.Name, c.Top, c.TopKind, c.Changes, c.Empty, {}};
        TMatch m;
        m.SetUpPosition(Apply(FullTable(), layout), c.Top, c.TopKind, 30, tuPlayer);
        EXPECT_EQ(m.Refusal(tuPlayer, c.Slot), c.Expected);
    }

    TMatch m;
    m.SetUpPosition(FullTable(), cvAce, kindFaceUp, 30, tuComputer);
    EXPECT_EQ(m.Refusal(tuPlayer, 5), TRefusal::NotYourTurn);
    m.SetUpPosition(FullTable(), cvAce, kindFaceUp, CardCount + 1, tuPlayer);
    EXPECT_EQ(m.Refusal(tuPlayer, 5), TRefusal::NoCard);
    EXPECT_TRUE(m.Playable(tuPlayer).empty());
    EXPECT_FALSE(m.MarkPlayable(tuPlayer));
}

// Refusal and Playable are one rule: over many dealt positions each slot is refused
// exactly when it is not playable.
TEST(MatchMarks, RefusalAgreesWithThePlayableSlotsInPlayedPositions)
{
    TMatch m;
    m.StartSeries(alComputer, slAllStar);
    TMatchRandom policy(7);
    int positions = 0;
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        m.StartGame();
        m.StartPeriod(seed);
        TTurn turn = m.Turn();
        while (m.MarkPlayable(turn)) {
            m.BeginTurn(turn);
            for (TTurn side : {tuComputer, tuPlayer}) {
                m.SetTurn(side);
                const std::vector<int> playable = m.Playable(side);
                for (int s = 1; s <= SlotCount; ++s) {
                    const bool listed = std::ranges::count(playable, s) > 0;
                    ASSERT_EQ(m.Refusal(side, s) == TRefusal::None, listed)
                        << "seed " << seed << " slot " << s;
                }
            }
            m.SetTurn(turn);
            const std::vector<int> playable = m.Playable(turn);
            const int slot = playable[size_t(policy.Below(int(playable.size())))];
            TSteps steps;
            if (m.Play(turn, slot, steps))
                turn = OtherSide(turn);
            ++positions;
        }
    }
    EXPECT_GT(positions, 500);
}

// ---------------------------------------------------------------------------------------
// Moves

TEST(MatchMoves, TurnHandBackFillsAndTurnOversKeepTheTurnShotsAndDiscardsPassIt)
{
    struct Case
    {
        const char* Name;
        TTurn Side;
        std::vector<int> Empty; // of the full table
        TCardValue Top;
        uint8_t TopKind;
        int Slot;
        bool Passes;
    };
    const Case cases[] = {
        {"player fills", tuPlayer, {9}, cvTwo, kindFaceUp, 9, false},
        {"player beats a forward", tuPlayer, {}, cvAce, kindFaceUp, 5, false},
        {"player turns over", tuPlayer, {13}, cvAce, kindPlayerBack, 1, false},
        {"player's face-down card into the own goal",
         tuPlayer,
         {13},
         cvAce,
         kindPlayerBack,
         13,
         false},
        {"player shoots", tuPlayer, {3, 5}, cvTwo, kindFaceUp, 2, true},
        {"player discards", tuPlayer, {}, cvTwo, kindFaceUp, 14, true},
        {"computer fills", tuComputer, {6}, cvTwo, kindFaceUp, 6, false},
        {"computer beats a forward", tuComputer, {}, cvAce, kindFaceUp, 10, false},
        {"computer turns over", tuComputer, {2}, cvAce, kindComputerBack, 1, false},
        {"computer's face-down card into the own goal",
         tuComputer,
         {2},
         cvAce,
         kindComputerBack,
         2,
         false},
        {"computer shoots", tuComputer, {12, 10}, cvTwo, kindFaceUp, 13, true},
        {"computer discards", tuComputer, {}, cvTwo, kindFaceUp, 14, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        MarkCase layout{c.Name, c.Top, c.TopKind, {}, c.Empty, {}};
        TMatch m;
        m.SetUpPosition(Apply(FullTable(), layout), c.Top, c.TopKind, 30, c.Side);
        ASSERT_EQ(m.Refusal(c.Side, c.Slot), TRefusal::None);
        TSteps steps;
        EXPECT_EQ(m.Play(c.Side, c.Slot, steps), c.Passes);
        EXPECT_EQ(m.Turn(), c.Passes ? OtherSide(c.Side) : c.Side);
        // Every move but a turn-over takes one card off the pack and half a minute.
        const bool turnOver = c.Slot == slotPack;
        EXPECT_EQ(m.TopIndex(), turnOver ? 30 : 31);
        EXPECT_EQ(m.RemainingHalfMinutes(), turnOver ? 40 : 39);
    }
}

TEST(MatchMoves, ShotsScoreUnlessTheGoalCardIsHigher)
{
    for (const TShotCase& c : ShotCases()) {
        SCOPED_TRACE(c.Name);
        const bool player = c.Shooter == tuPlayer;
        const int goal = c.Goal();
        const uint8_t goalBack = c.GoalBack();
        const std::vector<TCardAt> cards = c.Cards();
        TMatch m;
        m.SetUpPosition(cards, c.Shot, kindFaceUp, 20, c.Shooter);
        m.SetPeriodNo(1);
        m.SetLastShotValues(cvAce, cvTwo);
        TSteps steps;
        EXPECT_TRUE(m.Play(c.Shooter, goal, steps));
        EXPECT_EQ(m.Goals(c.Shooter), c.Scores ? 1 : 0);
        EXPECT_EQ(m.Goals(OtherSide(c.Shooter)), 0);
        EXPECT_EQ(m.TopIndex(), 21);
        EXPECT_EQ(m.Kind(20), BackOf(c.Shooter)); // on the pile in the shooter's colour
        if (c.GoalCard) {
            const int card = m.CardIn(goal);
            EXPECT_EQ(m.Beaten(card), c.Scores);
            EXPECT_EQ(m.Kind(card), c.Scores ? uint8_t(kindFaceUp) : goalBack);
        }
        // After a goal the next card comes up face down for the side that conceded.
        EXPECT_EQ(m.Kind(21), c.Scores ? BackOf(OtherSide(c.Shooter)) : uint8_t(kindFaceUp));
        // A save tells the player the goal card is higher; a goal clears the computer's memory.
        EXPECT_EQ(m.PlayerLastShotValue(), player && !c.Scores ? c.Shot : cvTwo);
        EXPECT_EQ(m.LastShotValue(), !player && c.Scores ? cvTwo : cvAce);
        ASSERT_EQ(m.PeriodGoals().size(), c.Scores ? 1u : 0u);
        if (c.Scores) {
            const TGoalEntry& g = m.PeriodGoals().front();
            EXPECT_EQ(g.Scorer, c.Shooter);
            EXPECT_EQ(g.ElapsedHalfMinutes, 1);
            EXPECT_EQ(g.ComputerGoals + g.PlayerGoals, 1);
        }
    }
}

TEST(MatchMoves, BeatingLeavesTheCardDimmedUntilTheOtherSidesTurnBegins)
{
    TMatch m;
    m.SetUpPosition({{5, cvSix, false, kindFaceUp}}, cvSeven, kindFaceUp, 30, tuPlayer);
    const int six = m.CardIn(5);
    TSteps steps;
    ASSERT_FALSE(m.Play(tuPlayer, 5, steps));
    // Onto the Six, then on to the discard pile in the player's colour.
    const TSteps expected = {
        {TStepKind::Clock},
        {TStepKind::Fly, 30, slotPack, 5, kindFaceUp, tuPlayer},
        {TStepKind::Beat, uint8_t(six), 5, 5, kindFaceUp, tuPlayer},
        {TStepKind::Fly, 30, slotPack, slotDiscard, kindPlayerBack, tuPlayer},
    };
    EXPECT_EQ(steps, expected);
    EXPECT_TRUE(m.Beaten(six));
    EXPECT_EQ(m.CardIn(5), six);
    EXPECT_EQ(m.TopIndex(), 31);

    // Within the player's turn nothing leaves; the computer's turn starts with the fade.
    EXPECT_TRUE(m.BeginTurn(tuPlayer).empty());
    EXPECT_EQ(m.CardIn(5), six);
    EXPECT_EQ(m.BeginTurn(tuComputer), (TSteps{{TStepKind::FadeBeaten}}));
    EXPECT_EQ(m.CardIn(5), 0);
    EXPECT_EQ(m.DATurn(), tuPlayer);
}

TEST(MatchMoves, OnlyTheComputersDiscardHandsThePlayerACardForAnEmptyGoal)
{
    for (TTurn side : {tuComputer, tuPlayer}) {
        TMatch m;
        m.SetUpPosition({}, cvTwo, kindFaceUp, 30, side);
        TSteps steps;
        m.Play(side, slotDiscard, steps);
        EXPECT_EQ(m.Kind(31), side == tuComputer ? kindPlayerBack : kindFaceUp) << int(side);
    }
}

// ---------------------------------------------------------------------------------------
// Periods, clock and the referee

TEST(MatchFlow, DealStartsAtTheGoalOfTheSideThatMovesFirstAndDealersAlternate)
{
    TMatch m;
    m.StartSeries(alComputer, slPro);
    m.StartGame();
    EXPECT_EQ(m.GameNo(), 1);
    EXPECT_EQ(m.GameDealer(), alPlayer); // the next game's

    // The computer dealt the game, so the player moves first in its first period.
    const TSteps deal = m.StartPeriod(4711);
    EXPECT_EQ(m.PeriodNo(), 1);
    EXPECT_EQ(m.Turn(), tuPlayer);
    EXPECT_EQ(m.DATurn(), tuComputer);
    ASSERT_EQ(deal.size(), 12u);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(deal[size_t(i)].To, slotPlayerGoal - i);
        EXPECT_EQ(m.CardIn(slotPlayerGoal - i), i + 1);
    }
    EXPECT_EQ(m.Kind(1), kindPlayerBack);    // the player's goal card
    EXPECT_EQ(m.Kind(12), kindComputerBack); // the computer's
    EXPECT_EQ(m.TopIndex(), 13);
    EXPECT_EQ(m.RemainingHalfMinutes(), 40);

    m.StartPeriod(4712);
    EXPECT_EQ(m.PeriodNo(), 2);
    EXPECT_EQ(m.Turn(), tuComputer);
    EXPECT_EQ(m.CardIn(slotComputerGoal), 1);
    EXPECT_EQ(m.Kind(1), kindComputerBack);

    m.StartGame();
    EXPECT_EQ(m.GameNo(), 2);
    m.StartPeriod(1);
    EXPECT_EQ(m.Turn(), tuComputer); // the player deals the second game
}

TEST(MatchFlow, ClockAndElapsedTexts)
{
    const std::map<int, std::string> clock = {{40, "20:00"}, {39, "19:30"}, {20, "10:00"},
                                              {19, "9:30"},  {1, "0:30"},   {0, "0:00"}};
    for (const auto& [halves, text] : clock)
        EXPECT_EQ(ClockText(halves), text);
    const std::map<int, std::string> elapsed = {{0, "00:00"},  {1, "00:30"},  {19, "09:30"},
                                                {20, "10:00"}, {81, "40:30"}, {200, "100:00"}};
    for (const auto& [halves, text] : elapsed)
        EXPECT_EQ(ElapsedText(halves), text);
}

TEST(MatchFlow, ElapsedTimeRestartsEachPeriodUntilTheSecondOvertime)
{
    TMatch m;
    m.StartSeries(alComputer, slRookie);
    m.StartGame();
    for (int period = 1; period <= 6; ++period) {
        m.StartPeriod(uint32_t(period));
        // Periods 1-4 start at "00:00"; from the fifth the count goes on.
        EXPECT_EQ(m.ElapsedHalfMinutes(), period < 5 ? 0 : (period - 4) * 40) << period;
        // Play the period out by discarding: every move is half a minute.
        TTurn turn = m.Turn();
        while (m.HasTopCard()) {
            m.SetTurn(turn);
            TSteps steps;
            if (m.Play(turn, slotDiscard, steps))
                turn = OtherSide(turn);
        }
        EXPECT_EQ(m.RemainingHalfMinutes(), 0);
    }
}

TEST(MatchFlow, HalfRoundsTiesToTheEvenNeighbour)
{
    const std::map<int, int> halves = {{0, 0},  {4, 2},     {5, 2},   {7, 4},  {9, 4},
                                       {11, 6}, {346, 173}, {-5, -2}, {-7, -4}};
    for (const auto& [extent, half] : halves)
        EXPECT_EQ(HalfTiesToEven(extent), half) << extent;
}

TEST(MatchReferee, GameOverAndSeriesLength)
{
    struct GameCase
    {
        int Period;
        int Computer;
        int Player;
        bool GoalsInPeriod;
        bool Over;
    };
    const GameCase games[] = {
        {1, 3, 0, true, false}, {2, 0, 2, true, false},  {3, 1, 1, true, false},
        {3, 2, 1, false, true}, {4, 1, 1, false, false}, {4, 2, 1, true, true},
        {5, 1, 2, true, true},  {6, 1, 1, false, false},
    };
    for (const GameCase& c : games)
        EXPECT_EQ(GameOverAfterPeriod(c.Period, c.Computer, c.Player, c.GoalsInPeriod), c.Over)
            << c.Period << " " << c.Computer << "-" << c.Player;

    struct SeriesCase
    {
        int Computer;
        int Player;
        TGamesBestOf BestOf;
        int Games;
    };
    const SeriesCase series[] = {
        {1, 0, boOne, 1},   {0, 0, boThree, 2}, {1, 0, boThree, 2}, {1, 1, boThree, 3},
        {2, 0, boThree, 2}, {2, 2, boFive, 5},  {3, 3, boSeven, 7}, {0, 4, boSeven, 4},
    };
    for (const SeriesCase& c : series)
        EXPECT_EQ(GamesToPlay(c.Computer, c.Player, c.BestOf), c.Games)
            << c.Computer << "-" << c.Player << " of " << int(c.BestOf);
}

// ---------------------------------------------------------------------------------------
// The shuffle

TEST(MatchShuffle, FixedSeedGivesAFixedOrder)
{
    TPackOrder order = FreshPackOrder();
    TMatchRandom random(4711);
    ShufflePackOrder(order, random);
    // The first eight places as suit*13 + value, pinned for seed 4711: the deal the
    // program has always made from that seed.
    std::vector<int> first;
    for (int i = 1; i <= 8; ++i)
        first.push_back(order[i].Suit * 13 + order[i].Value);
    EXPECT_EQ(first, (std::vector<int>{5, 24, 12, 28, 1, 18, 25, 30}));
}

TEST(MatchShuffle, IsAPermutationAndEveryFaceReachesEveryPlace)
{
    // Each seed's order holds every card once; over many seeds every card lies at every
    // place, the last one included.
    std::set<std::pair<int, int>> seen; // (place, card)
    for (uint32_t seed = 0; seed < 4000; ++seed) {
        TPackOrder order = FreshPackOrder();
        TMatchRandom random(seed);
        ShufflePackOrder(order, random);
        std::set<int> cards;
        for (int i = 1; i <= CardCount; ++i) {
            const int card = order[i].Suit * 13 + order[i].Value;
            cards.insert(card);
            seen.insert({i, card});
        }
        ASSERT_EQ(cards.size(), size_t(CardCount)) << "seed " << seed;
    }
    EXPECT_EQ(seen.size(), size_t(CardCount * CardCount));
}

TEST(MatchShuffle, EveryOrderOfFourPlacesIsReachable)
{
    std::set<std::vector<int>> orders;
    for (uint32_t seed = 0; seed < 2000; ++seed) {
        TCardFace places[4] = {{0, cvTwo}, {0, cvThree}, {0, cvFour}, {0, cvFive}};
        TMatchRandom random(seed);
        ShufflePlaces(places, 4, random);
        std::vector<int> order;
        for (const TCardFace& f : places)
            order.push_back(f.Value);
        orders.insert(order);
    }
    EXPECT_EQ(orders.size(), 24u);
}

TEST(MatchShuffle, GeneratorDrawsStayInRange)
{
    // Below(n) scales a 32-bit draw: draws stay in 0 .. n-1.
    TMatchRandom random(99);
    for (int n : {1, 2, 51, 1000}) {
        for (int i = 0; i < 200; ++i) {
            const int d = random.Below(n);
            ASSERT_GE(d, 0);
            ASSERT_LT(d, n);
        }
    }
    EXPECT_EQ(random.Below(0), 0);
}

// ---------------------------------------------------------------------------------------
// The computer's levels

TEST(MatchLevels, EachLevelChoosesAPlayableSlot)
{
    TMatch m;
    for (TSkillLevel level : {slRookie, slPro, slAllStar}) {
        m.StartSeries(alPlayer, level);
        for (uint32_t seed = 1; seed <= 10; ++seed) {
            m.StartGame();
            m.StartPeriod(seed);
            TTurn turn = m.Turn();
            while (m.MarkPlayable(turn)) {
                m.BeginTurn(turn);
                const std::vector<int> playable = m.Playable(turn);
                int slot;
                if (turn == tuComputer) {
                    slot = m.ComputerChoice();
                    // The rookie never turns a face-down card over.
                    if (level == slRookie) {
                        ASSERT_NE(slot, slotPack);
                    }
                } else {
                    slot = playable.back();
                }
                ASSERT_TRUE(std::ranges::count(playable, slot))
                    << "level " << int(level) << " seed " << seed << " slot " << slot;
                TSteps steps;
                if (m.Play(turn, slot, steps))
                    turn = OtherSide(turn);
            }
        }
    }
}

TEST(MatchLevels, ChoicesInSetUpPositions)
{
    struct Case
    {
        const char* Name;
        std::vector<TCardAt> Cards;
        TCardValue Top;
        uint8_t TopKind;
        int TopIndex;
        TCardValue LastShot;
        int Pro;
        int AllStar;
    };
    // The computer's full line-up is Fives (slots 2-7), the player's Kings (8-13), unless
    // the case lays other cards.
    const Case cases[] = {
        {"a discard when nothing else", Full(cvFive, cvKing), cvTwo, kindFaceUp, 30, cvTwo,
         14, 14},
        {"the higher playable defender first",
         {{2, cvFive},
          {3, cvFive},
          {4, cvFive},
          {5, cvFive},
          {6, cvFive},
          {7, cvFive},
          {11, cvSix},
          {12, cvEight},
          {13, cvKing}},
         cvNine,
         kindFaceUp,
         30,
         cvTwo,
         12,
         12},
        {"a shot at an open goal above the last shot",
         {{2, cvFive}, {3, cvFive}, {4, cvFive}, {5, cvFive}, {6, cvFive}, {7, cvFive}, {8, cvTwo}},
         cvTen,
         kindFaceUp,
         30,
         cvNine,
         13,
         13},
        {"a face-down card into the goal while time remains",
         {{3, cvFive}, {4, cvFive}, {5, cvFive}, {6, cvFive}, {7, cvFive}},
         cvTen,
         kindComputerBack,
         30,
         cvTwo,
         2,
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TMatch m;
        m.SetUpPosition(c.Cards, c.Top, c.TopKind, c.TopIndex, tuComputer);
        m.SetPeriodNo(1);
        m.SetLastShotValues(c.LastShot, cvTwo);
        EXPECT_EQ(m.LevelChoice(slPro), c.Pro);
        EXPECT_EQ(m.LevelChoice(slAllStar), c.AllStar);
    }
}
