#include "game/LookAhead.h"

#include <algorithm>
#include <cmath>

namespace {

// About the spread (standard deviation) of one period's goal difference between two
// All-Stars, 1.7 over 60,000 periods: a lead of this size with one period left holds
// about 84 times in 100.
constexpr double PeriodGoalSpread = 1.6;
// How many standard errors a candidate's mean gain over All-Star's plan must reach.
constexpr double ClearGain = 2.0;

// The faces behind the hidden places, in a fixed order that does not depend on where they
// lie: the full pack without every face the mover has seen. A laid-out position need not
// hold a real pack; there the hidden faces themselves, sorted, stand in for it.
std::vector<TCardFace> UnseenFaces(const TMatch& M, const std::vector<int>& Hidden)
{
    std::vector<bool> hidden(CardCount + 1, false);
    for (int card : Hidden)
        hidden[card] = true;
    std::vector<TCardFace> unseen;
    const TPackOrder fresh = FreshPackOrder();
    unseen.assign(fresh.begin() + 1, fresh.end());
    for (int card = 1; card <= CardCount; ++card) {
        if (hidden[card])
            continue;
        const auto seen = std::ranges::find(unseen, M.Face(card));
        if (seen == unseen.end()) {
            unseen.clear();
            break;
        }
        unseen.erase(seen);
    }
    if (unseen.size() == Hidden.size())
        return unseen;
    unseen.clear();
    for (int card : Hidden)
        unseen.push_back(M.Face(card));
    std::ranges::sort(unseen, [](const TCardFace& A, const TCardFace& B) {
        return A.Value != B.Value ? A.Value < B.Value : A.Suit < B.Suit;
    });
    return unseen;
}

// A goal card the mover knows to be higher than a rank: it saved a shot of that rank.
struct TSavedAbove
{
    int Card = 0;
    TCardValue Above = cvTwo;
};

// Deals Faces over the Hidden places of World in a random order; a goal card known to
// beat a rank is swapped with a card above it when the deal gives it one too low.
void Deal(TMatch& World, const std::vector<int>& Hidden, std::vector<TCardFace> Faces,
          const std::vector<TSavedAbove>& Known, TMatchRandom& Random)
{
    for (int i = int(Faces.size()) - 1; i > 0; --i)
        std::swap(Faces[i], Faces[Random.Below(i + 1)]);
    for (const TSavedAbove& known : Known) {
        const auto at = std::ranges::find(Hidden, known.Card) - Hidden.begin();
        if (Faces[at].Value > known.Above)
            continue;
        std::vector<int> higher;
        for (int i = 0; i < int(Faces.size()); ++i) {
            const bool otherKnown = std::ranges::any_of(
                Known, [&](const TSavedAbove& K) { return K.Card == Hidden[i]; });
            if (Faces[i].Value > known.Above && !otherKnown)
                higher.push_back(i);
        }
        if (!higher.empty())
            std::swap(Faces[at], Faces[higher[Random.Below(int(higher.size()))]]);
    }
    for (std::size_t i = 0; i < Hidden.size(); ++i)
        World.SetFace(Hidden[i], Faces[i]);
}

// All-Star's move for Side in a play-out; the computer's side remembers its choice as the
// level does.
int PlanChoice(TMatch& World, TTurn Side, TMatchRandom& Random, TMatch& Mirror)
{
    if (Side == tuComputer) {
        const int slot = ChooseAllStarSlot(World, Random);
        World.NoteComputerChoice(slot);
        return slot;
    }
    World.MirrorPlayInto(Mirror);
    Mirror.MarkPlayable(tuComputer);
    return TMatch::MirroredSlot(ChooseAllStarSlot(Mirror, Random));
}

// Plays the period out from the computer's move to Slot; returns what its end is worth.
// Mirror is room for the player's side of the table.
double PlayOut(TMatch& World, int Slot, TMatchRandom& Random, TSteps& Steps, TMatch& Mirror)
{
    World.NoteComputerChoice(Slot);
    Steps.clear();
    World.Play(tuComputer, Slot, Steps);
    for (TTurn turn = World.Turn(); World.MarkPlayable(turn); turn = World.Turn()) {
        World.BeginTurn(turn);
        const int slot = PlanChoice(World, turn, Random, Mirror);
        Steps.clear();
        World.Play(turn, slot, Steps);
    }
    return PeriodEndValue(World);
}

// The candidate to play, by index; 0 is All-Star's plan. Most moves differ by little
// against the luck of the deals, so a candidate replaces the plan only when its gain over
// the plan, deal by deal, stands clear of that noise.
std::size_t BestCandidate(const std::vector<std::vector<double>>& Values)
{
    std::size_t best = 0;
    double bestGain = 0.0;
    const std::vector<double>& plan = Values.front();
    const double n = double(plan.size());
    for (std::size_t i = 1; i < Values.size(); ++i) {
        double sum = 0.0, squares = 0.0;
        for (std::size_t d = 0; d < plan.size(); ++d) {
            const double gain = Values[i][d] - plan[d];
            sum += gain;
            squares += gain * gain;
        }
        const double mean = sum / n;
        const double spread = std::sqrt(std::max(0.0, squares / n - mean * mean));
        if (mean > bestGain && mean > ClearGain * spread / std::sqrt(n)) {
            best = i;
            bestGain = mean;
        }
    }
    return best;
}

} // namespace

std::vector<int> HiddenCards(const TMatch& M)
{
    std::vector<int> cards;
    for (int goal : {int(slotComputerGoal), int(slotPlayerGoal)}) {
        const int card = M.CardIn(goal);
        if (M.SlotLive(goal) && M.Kind(card) != kindFaceUp)
            cards.push_back(card);
    }
    if (!M.HasTopCard())
        return cards;
    const int first = M.TopKind() == kindFaceUp ? M.TopIndex() + 1 : M.TopIndex();
    for (int card = first; card <= CardCount; ++card)
        cards.push_back(card);
    return cards;
}

double PeriodEndValue(const TMatch& M)
{
    const int lead = M.Goals(tuComputer) - M.Goals(tuPlayer);
    const int periodsLeft = std::max(0, 3 - M.PeriodNo());
    if (periodsLeft == 0 || lead == 0)
        return lead > 0 ? 1.0 : lead < 0 ? -1.0 : 0.0;
    return std::erf(lead / (PeriodGoalSpread * std::sqrt(2.0 * periodsLeft)));
}

int ChooseLookAheadSlot(const TMatch& M, TMatchRandom& Random, const TLookAhead& Search)
{
    TMatchRandom random(Random.Next());
    // The play-outs need neither the score sheet nor the real level.
    TMatch base = M;
    base.Record() = TSeriesRecord{};
    base.SetLevel(slAllStar);

    // All-Star's choice first, so that it wins every tie.
    TMatchRandom planRandom = random;
    std::vector<int> candidates{ChooseAllStarSlot(base, planRandom)};
    for (int slot = 1; slot <= SlotCount; ++slot) {
        if (M.Canplay(slot) && slot != candidates.front())
            candidates.push_back(slot);
    }
    if (candidates.size() == 1)
        return candidates.front();

    const std::vector<int> hidden = HiddenCards(M);
    const std::vector<TCardFace> unseen = UnseenFaces(M, hidden);
    std::vector<TSavedAbove> known;
    const auto noteSaved = [&](int Goal, TCardValue Shot) {
        const int card = M.CardIn(Goal);
        if (Shot > cvTwo && std::ranges::find(hidden, card) != hidden.end())
            known.push_back({card, Shot});
    };
    noteSaved(slotPlayerGoal, M.LastShotValue());
    noteSaved(slotComputerGoal, M.PlayerLastShotValue());

    // The play-outs' values, candidate by candidate, deal by deal.
    std::vector<std::vector<double>> values(candidates.size());
    TSteps steps;
    steps.reserve(16);
    TMatch world = base, game = base, mirror = base;
    for (int deal = 0; deal < Search.Deals; ++deal) {
        world = base;
        if (!Search.SeesHiddenCards)
            Deal(world, hidden, unseen, known, random);
        // Every candidate meets the same deal and the same later choices, so the
        // difference between them is the move's, not the luck's.
        TMatchRandom playOut(random.Next());
        playOut.Next(); // the generator fills its state once here, not once per candidate
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            game = world;
            TMatchRandom choices = playOut;
            values[i].push_back(PlayOut(game, candidates[i], choices, steps, mirror));
        }
    }
    return candidates[BestCandidate(values)];
}

int ChooseLegendSlot(const TMatch& M, TMatchRandom& Random)
{
    return ChooseLookAheadSlot(M, Random);
}
