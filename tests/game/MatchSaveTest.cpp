// A saved match restores field by field and plays on exactly as the saved one; a damaged,
// cut or impossible save is refused with a reason, never half taken.

#include "game/Match.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

// Plays with the computer at every level's choice for both sides (the player side takes
// its first playable slot), period after period, until Stop says the position is reached.
// Returns false when the game ended first.
bool PlayUntil(TMatch& M, uint32_t Seed, const std::function<bool(const TMatch&)>& Stop)
{
    std::mt19937 random(Seed);
    M.StartSeries(alComputer, slAllStar);
    M.StartGame();
    for (int period = 0; period < 12; ++period) {
        M.StartPeriod(uint32_t(random()));
        TTurn turn = M.Turn();
        while (M.MarkPlayable(turn)) {
            if (Stop(M))
                return true;
            M.BeginTurn(turn);
            const std::vector<int> playable = M.Playable(tuPlayer);
            const int slot = turn == tuComputer ? M.ComputerChoice()
                                                : playable[random() % playable.size()];
            TSteps steps;
            if (M.Play(turn, slot, steps))
                turn = OtherSide(turn);
        }
        M.EndPeriod();
        if (Stop(M))
            return true;
        const bool goals = !M.PeriodGoals().empty();
        if (GameOverAfterPeriod(M.PeriodNo(), M.Goals(tuComputer), M.Goals(tuPlayer), goals))
            return false;
    }
    return false;
}

// The rest of the period from here, move by move, as a list of slots.
std::vector<int> PlayOut(TMatch M)
{
    std::vector<int> moves;
    TTurn turn = M.Turn();
    std::mt19937 random(7);
    while (M.MarkPlayable(turn)) {
        M.BeginTurn(turn);
        const std::vector<int> playable = M.Playable(tuPlayer);
        const int slot =
            turn == tuComputer ? M.ComputerChoice() : playable[random() % playable.size()];
        moves.push_back(slot);
        TSteps steps;
        if (M.Play(turn, slot, steps))
            turn = OtherSide(turn);
    }
    moves.push_back(M.Goals(tuComputer) * 1000 + M.Goals(tuPlayer));
    return moves;
}

struct TRoundTripCase
{
    const char* Name;
    std::function<bool(const TMatch&)> Reached;
};

const TRoundTripCase RoundTrips[] = {
    {"mid-period", [](const TMatch& m) { return m.PeriodNo() == 2 && m.TopIndex() == 30; }},
    {"after a goal", [](const TMatch& m) { return !m.PeriodGoals().empty() && m.HasTopCard(); }},
    {"in overtime", [](const TMatch& m) { return m.PeriodNo() == 4 && m.TopIndex() == 20; }},
    {"at an intermission", [](const TMatch& m) { return m.PeriodNo() == 1 && !m.HasTopCard(); }},
    {"at the last card", [](const TMatch& m) { return m.TopIndex() == CardCount; }},
};

} // namespace

TEST(MatchSave, RoundTripsFieldByFieldAndPlaysOnIdentically)
{
    for (const TRoundTripCase& c : RoundTrips) {
        SCOPED_TRACE(c.Name);
        TMatch saved;
        uint32_t seed = 1;
        while (!PlayUntil(saved, seed, c.Reached))
            ASSERT_LT(++seed, 500u) << "no game reached the position";
        const std::string text = saved.Saved();
        TMatch restored;
        std::string why;
        ASSERT_TRUE(TMatch::Restore(text, restored, &why)) << why;
        EXPECT_TRUE(restored == saved);
        EXPECT_EQ(restored.Saved(), text);
        EXPECT_EQ(PlayOut(restored), PlayOut(saved));
    }
}

// The generator's state damaged in ways the engine's own reader would take: each refused.
// A state word past 32 bits made the generator's draws land far outside their range, and
// the computer's choice read a slot out of the table's bounds.
TEST(MatchSave, ADamagedGeneratorStateIsRefused)
{
    TMatch saved;
    ASSERT_TRUE(PlayUntil(saved, 3, RoundTrips[0].Reached));
    const std::string text = saved.Saved();
    const size_t at = text.find("\nrandom ") + 8;
    const size_t end = text.find('\n', at);
    const std::string state = text.substr(at, end - at);
    const std::string afterFirst = state.substr(state.find(' '));
    const struct
    {
        const char* Name;
        std::string State;
    } cases[] = {
        {"a word past 32 bits", "4294967296" + afterFirst},
        {"a negative word", "-1" + afterFirst},
        {"a word missing", afterFirst.substr(1)},
        {"a word too many", "7 " + state},
        {"a place past the words", state.substr(0, state.rfind(' ')) + " 625"},
        {"a word that is no number", "x" + afterFirst},
    };
    for (const auto& c : cases) {
        std::string damaged = text;
        damaged.replace(at, end - at, c.State);
        TMatch into;
        std::string why;
        EXPECT_FALSE(TMatch::Restore(damaged, into, &why)) << c.Name;
        EXPECT_EQ(why, "generator") << c.Name;
    }
}

TEST(MatchSave, ACutOrDamagedSaveIsRefusedAndLeavesTheTargetAlone)
{
    TMatch saved;
    ASSERT_TRUE(PlayUntil(saved, 3, RoundTrips[0].Reached));
    const std::string text = saved.Saved();
    const TMatch untouched = TMatch();

    // Cut at every length: no prefix short of the whole is a match. (The last line's
    // newline is not needed, so the cut may take it alone.)
    for (size_t length = 0; length + 1 < text.size(); ++length) {
        TMatch into;
        ASSERT_FALSE(TMatch::Restore(text.substr(0, length), into)) << "cut at " << length;
        ASSERT_TRUE(into == untouched);
    }

    // Random bytes, and single bytes changed at random places.
    std::mt19937 random(20261211);
    for (int i = 0; i < 200; ++i) {
        std::string noise(size_t(random() % 3000), '\0');
        for (char& ch : noise)
            ch = char(random());
        TMatch into;
        ASSERT_FALSE(TMatch::Restore(noise, into));
    }
    // A changed digit before the generator's state (whose damage the test above covers).
    const size_t checked = text.find("\nrandom ");
    int refused = 0;
    for (int i = 0; i < 500; ++i) {
        std::string damaged = text;
        damaged[random() % checked] = char('0' + random() % 10);
        TMatch into;
        std::string why;
        if (TMatch::Restore(damaged, into, &why)) {
            // A changed digit may still make a match play could reach: then it must be
            // a consistent one.
            EXPECT_TRUE(into.Consistent());
        } else {
            ++refused;
            EXPECT_FALSE(why.empty());
            EXPECT_TRUE(into == untouched);
        }
    }
    EXPECT_GT(refused, 250);
}

TEST(MatchSave, ImpossibleMatchesAreRefusedWithTheirReason)
{
    TMatch saved;
    ASSERT_TRUE(PlayUntil(saved, 5, [](const TMatch& m) {
        return m.PeriodGoals().size() >= 2 && m.HasTopCard() && m.CardIn(9) != 0;
    }));
    const std::string text = saved.Saved();
    // Replaces the values of line Key.
    const auto with = [&](const std::string& Key, const std::string& Values) {
        const size_t at = text.find('\n' + Key + ' ') + 1;
        const size_t end = text.find('\n', at);
        return text.substr(0, at) + Key + ' ' + Values + text.substr(end);
    };
    const auto valuesOf = [&](const std::string& Key) {
        const size_t at = text.find('\n' + Key + ' ') + Key.size() + 2;
        return text.substr(at, text.find('\n', at) - at);
    };
    // The same card in slots 9 and 10.
    std::string slots = valuesOf("slots");
    {
        std::istringstream in(slots);
        std::vector<int> v(2 * SlotCount);
        for (int& x : v)
            in >> x;
        v[2 * 10 - 2] = v[2 * 9 - 2];
        slots.clear();
        for (int x : v)
            slots += std::to_string(x) + ' ';
        slots.pop_back();
    }
    const int computer = saved.Goals(tuComputer);
    const int player = saved.Goals(tuPlayer);
    struct Case
    {
        const char* Name;
        std::string Text;
        const char* Why;
    };
    const Case cases[] = {
        {"another version", "brindletop-match 2" + text.substr(text.find('\n')),
         "a saved match of another version"},
        {"not a save", "[Options]\nName=Ann\n", "not a saved match"},
        {"a card in two slots", with("slots", slots), "a card in two slots"},
        {"a score the goal log does not add up to",
         with("goals", std::to_string(computer + 1) + ' ' + std::to_string(player)),
         "a score its goal log does not add up to"},
        {"a goal count out of range", with("goals", "1000 0"), "goals"},
        {"a line twice", text + "top 5\n", "a line without a name, or a name twice"},
        {"a line missing", with("random", "x").substr(0, text.find("\nrandom") + 1),
         "lines missing or left over"},
        {"a broken generator", with("random", "1 2 3"), "generator"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TMatch into;
        std::string why;
        EXPECT_FALSE(TMatch::Restore(c.Text, into, &why));
        EXPECT_EQ(why, c.Why);
    }
}
