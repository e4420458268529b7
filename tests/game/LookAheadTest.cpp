// The Legend level looks ahead without peeking: what it cannot see may lie in any order
// without changing its move, while a search handed the real pack is caught by the same
// check. Its choice repeats from the same generator, a save included.

#include "game/LookAhead.h"
#include "game/Match.h"

#include "Positions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

// Deals a period from Seed and plays it with All-Star on both sides until the computer
// faces its Decision-th choice between two or more slots (counting from 0). False when the
// period ends first.
bool ReachDecision(TMatch& M, uint32_t Seed, int Decision)
{
    M.StartSeries(Seed % 2 ? alPlayer : alComputer, slAllStar);
    M.StartGame();
    M.StartPeriod(Seed);
    for (TTurn turn = M.Turn(); M.MarkPlayable(turn); turn = M.Turn()) {
        M.BeginTurn(turn);
        if (turn == tuComputer && M.Playable(tuComputer).size() > 1 && Decision-- == 0) {
            M.SetLevel(slLegend);
            return true;
        }
        const int slot =
            turn == tuComputer ? M.ComputerChoice() : M.LevelChoiceFor(tuPlayer, slAllStar);
        TSteps steps;
        M.Play(turn, slot, steps);
    }
    return false;
}

// The hidden cards of M dealt anew in an order drawn from Seed: a position that looks the
// same to the mover.
TMatch WithHiddenCardsPermuted(const TMatch& M, uint32_t Seed)
{
    TMatch permuted = M;
    const std::vector<int> hidden = HiddenCards(M);
    std::vector<TCardFace> faces;
    for (int card : hidden)
        faces.push_back(M.Face(card));
    std::shuffle(faces.begin(), faces.end(), std::mt19937(Seed));
    for (std::size_t i = 0; i < hidden.size(); ++i)
        permuted.SetFace(hidden[i], faces[i]);
    return permuted;
}

struct TDecisionCase
{
    const char* Name;
    uint32_t Seed;
    int Decision;
};

// Positions from real deals, early, in the middle and late in the period.
const TDecisionCase Decisions[] = {
    {"first choice of a period the player deals", 11, 0},
    {"first choice of a period the computer deals", 12, 0},
    {"early", 13, 2},
    {"early, other deal", 14, 3},
    {"mid-period", 15, 6},
    {"mid-period, other deal", 16, 8},
    {"late", 17, 9},
    {"late, other deal", 18, 10},
    {"near the end of the pack", 19, 11},
    {"near the end, other deal", 20, 12},
};

constexpr int PermutationsPerPosition = 6;
constexpr int TestDeals = 32; // fewer deals than shipped: the check is the same, and quicker

// How many permutations of the hidden cards changed the choice of Search, per position.
std::vector<int> ChangedChoices(TLookAhead Search)
{
    Search.Deals = TestDeals;
    std::vector<int> changed;
    for (const TDecisionCase& c : Decisions) {
        TMatch m;
        if (!ReachDecision(m, c.Seed, c.Decision)) {
            ADD_FAILURE() << c.Name << ": the period ended before the decision";
            changed.push_back(-1);
            continue;
        }
        TMatchRandom random = m.Random();
        const int choice = ChooseLookAheadSlot(m, random, Search);
        int count = 0;
        for (uint32_t p = 1; p <= PermutationsPerPosition; ++p) {
            const TMatch permuted = WithHiddenCardsPermuted(m, c.Seed * 100 + p);
            TMatchRandom same = m.Random();
            count += ChooseLookAheadSlot(permuted, same, Search) != choice ? 1 : 0;
        }
        changed.push_back(count);
    }
    return changed;
}

} // namespace

// What the mover has not seen: the face-down goal cards, a face-down top card, and the
// pack below the top card. A beaten goal card lies face up and is seen.
TEST(LookAhead, HiddenCardsAreThoseTheMoverHasNotSeen)
{
    struct TCase
    {
        const char* Name;
        std::vector<TCardAt> Cards;
        uint8_t TopKind;
        std::vector<int> GoalCards; // the laid-out cards' numbers expected hidden
        int FirstPackCard;          // the first hidden place of the pack
    };
    const TCase cases[] = {
        {"both goals face down, top card face up",
         {{2, cvTen, false, kindComputerBack}, {13, cvFive, false, kindPlayerBack}, {5, cvSix}},
         kindFaceUp,
         {1, 2},
         31},
        {"the top card face down counts as hidden",
         {{2, cvTen, false, kindComputerBack}, {5, cvSix}},
         kindComputerBack,
         {1},
         30},
        {"an empty goal and a beaten goal card hide nothing",
         {{13, cvFive, true, kindFaceUp}, {5, cvSix}},
         kindFaceUp,
         {},
         31},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TMatch m;
        m.SetUpPosition(c.Cards, cvNine, c.TopKind, 30, tuComputer);
        std::vector<int> expected = c.GoalCards;
        for (int card = c.FirstPackCard; card <= CardCount; ++card)
            expected.push_back(card);
        EXPECT_EQ(HiddenCards(m), expected);
    }
}

TEST(LookAhead, PermutingTheHiddenCardsNeverChangesTheChoice)
{
    const std::vector<int> changed = ChangedChoices({});
    for (std::size_t i = 0; i < changed.size(); ++i)
        EXPECT_EQ(changed[i], 0) << Decisions[i].Name;
}

// The same check catches a search that reads the real pack: somewhere in the table the
// order of the cards nobody can see decides its move.
TEST(LookAhead, ASearchHandedTheRealPackIsCaught)
{
    TLookAhead peeking;
    peeking.SeesHiddenCards = true;
    const std::vector<int> changed = ChangedChoices(peeking);
    int total = 0;
    for (int count : changed)
        total += count;
    EXPECT_GT(total, 0) << "no position in the table tells a peeking search from an honest one";
}

// The choice is the same from the same generator, takes exactly one draw from it, and is
// always a playable slot.
TEST(LookAhead, RepeatsFromTheSameGeneratorAndTakesOneDraw)
{
    for (const TDecisionCase& c : Decisions) {
        SCOPED_TRACE(c.Name);
        TMatch m;
        ASSERT_TRUE(ReachDecision(m, c.Seed, c.Decision));
        TMatchRandom first = m.Random(), second = m.Random(), oneDraw = m.Random();
        const int choice = ChooseSlot(m, first);
        EXPECT_EQ(ChooseSlot(m, second), choice);
        oneDraw.Next();
        EXPECT_TRUE(first == oneDraw);
        EXPECT_TRUE(m.Canplay(choice)) << "slot " << choice;
    }
}

// A Legend match saved in the middle of a period and restored plays on move for move as
// the saved one: the search's seed lives in the saved generator.
TEST(LookAhead, ASavedLegendMatchPlaysOnAsSaved)
{
    TMatch saved;
    ASSERT_TRUE(ReachDecision(saved, 15, 4));
    TMatch restored;
    std::string why;
    ASSERT_TRUE(TMatch::Restore(saved.Saved(), restored, &why)) << why;
    EXPECT_EQ(restored.Level(), slLegend);
    const auto playOut = [](TMatch M) {
        std::vector<int> moves;
        for (TTurn turn = M.Turn(); M.MarkPlayable(turn); turn = M.Turn()) {
            M.BeginTurn(turn);
            const int slot =
                turn == tuComputer ? M.ComputerChoice() : M.LevelChoiceFor(tuPlayer, slAllStar);
            moves.push_back(slot);
            TSteps steps;
            M.Play(turn, slot, steps);
        }
        moves.push_back(M.Goals(tuComputer) * 100 + M.Goals(tuPlayer));
        return moves;
    };
    EXPECT_EQ(playOut(restored), playOut(saved));
}

// What a period's end is worth: the lead itself once the regular periods are over, a
// smaller share of a win the more periods remain.
TEST(LookAhead, APeriodsEndIsWorthTheChanceOfTheLead)
{
    struct TCase
    {
        int PeriodNo, Computer, Player;
        double Low, High;
    };
    const TCase cases[] = {
        {3, 2, 1, 1.0, 1.0}, {3, 1, 1, 0.0, 0.0},  {4, 0, 1, -1.0, -1.0}, {1, 1, 1, 0.0, 0.0},
        {2, 2, 1, 0.3, 0.6}, {1, 2, 1, 0.2, 0.45}, {1, 1, 3, -0.8, -0.5}, {2, 5, 0, 0.99, 1.0},
    };
    for (const TCase& c : cases) {
        TMatch m;
        m.SetPeriodNo(c.PeriodNo);
        m.SetGoals(c.Computer, c.Player);
        const double value = PeriodEndValue(m);
        EXPECT_GE(value, c.Low) << c.PeriodNo << ": " << c.Computer << "-" << c.Player;
        EXPECT_LE(value, c.High) << c.PeriodNo << ": " << c.Computer << "-" << c.Player;
    }
}

// The hint against the Legend is the Legend's own move from the player's chair: the same
// position turned round gives the same slot, turned round.
TEST(LookAhead, TheHintIsTheLegendsMoveInThePlayersPlace)
{
    for (const TDecisionCase& c : Decisions) {
        SCOPED_TRACE(c.Name);
        TMatch m;
        ASSERT_TRUE(ReachDecision(m, c.Seed, c.Decision));
        const TMatch playerToMove = m.Mirrored();
        const int hint = playerToMove.LevelChoiceFor(tuPlayer, slLegend);
        EXPECT_EQ(hint, TMatch::MirroredSlot(m.LevelChoice(slLegend)));
        const std::vector<int> playable = playerToMove.Playable(tuPlayer);
        EXPECT_TRUE(std::ranges::count(playable, hint)) << "slot " << hint;
    }
}

// As with All-Star, a face-down card the Legend takes makes the player's last saved shot
// stale: the goal card that saved it is no longer the one the Legend deals for.
TEST(LookAhead, AFaceDownCardTakenForgetsThePlayersSavedShot)
{
    TMatch m;
    m.SetUpPosition({{13, cvFive, false, kindPlayerBack}}, cvTen, kindComputerBack, 30,
                    tuComputer);
    m.SetLevel(slLegend);
    m.SetLastShotValues(cvTwo, cvKing);
    ASSERT_TRUE(m.MarkPlayable(tuComputer));
    m.ComputerChoice();
    EXPECT_EQ(m.PlayerLastShotValue(), cvTwo);
}
