// A match as text and back. One "key values..." line per part of the state; the reader
// takes nothing on trust: every number is range-checked, and the restored match must be
// one that play could have reached.

#include "game/Match.h"

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

namespace {

constexpr const char* Header = "brindletop-match";
constexpr int Version = 1;

// Goals and periods beyond these would take days of play; a larger figure is damage.
constexpr int MostGoals = 999;
constexpr int MostPeriods = 250;
constexpr int MostGames = 7;

// Reads whole lines "key v1 v2 ..." into a map; false on a repeated or empty key.
bool SplitLines(const std::string& Text, std::map<std::string, std::string>& Lines)
{
    std::istringstream in(Text);
    std::string line;
    while (std::getline(in, line)) {
        const size_t space = line.find(' ');
        const std::string key = line.substr(0, space);
        if (key.empty())
            return false;
        if (!Lines.emplace(key, space == std::string::npos ? "" : line.substr(space + 1)).second)
            return false;
    }
    return true;
}

// Reads exactly Count integers, each within [Low, High], from Values.
bool ReadInts(const std::string& Values, size_t Count, long Low, long High, std::vector<long>& Out)
{
    std::istringstream in(Values);
    Out.clear();
    long v = 0;
    while (Out.size() < Count && in >> v) {
        if (v < Low || v > High)
            return false;
        Out.push_back(v);
    }
    std::string rest;
    return Out.size() == Count && !(in >> rest);
}

} // namespace

std::string TMatchRandom::State() const
{
    std::ostringstream out;
    out << FEngine;
    return out.str();
}

bool TMatchRandom::SetState(const std::string& Text)
{
    // The engine reads whatever numbers it is given into its state, and a state word past
    // 32 bits makes it return numbers past 32 bits, which Below would turn into places far
    // outside its range. A saved state is the engine's words, each of 32 bits, then its
    // place among them: anything else is damage.
    {
        std::istringstream words(Text);
        unsigned long long word = 0;
        size_t count = 0;
        while (words >> word) {
            const unsigned long long most =
                count < std::mt19937::state_size ? 0xffffffffull : std::mt19937::state_size;
            if (word > most || ++count > std::mt19937::state_size + 1)
                return false;
        }
        if (count != std::mt19937::state_size + 1 || !words.eof())
            return false;
    }
    std::istringstream in(Text);
    std::mt19937 engine;
    if (!(in >> engine))
        return false;
    std::string rest;
    if (in >> rest)
        return false;
    FEngine = engine;
    return true;
}

std::string TMatch::Saved() const
{
    std::ostringstream out;
    out << Header << ' ' << Version << '\n';
    out << "level " << int(FLevel) << '\n';
    out << "dealers " << int(FGameDealer) << ' ' << int(FPeriodDealer) << '\n';
    out << "numbers " << FGameNo << ' ' << FPeriodNo << '\n';
    out << "turn " << int(FTurn) << ' ' << int(FDATurn) << '\n';
    out << "goals " << FGoals[tuComputer] << ' ' << FGoals[tuPlayer] << '\n';
    out << "clock " << FRemaining << ' ' << FElapsed << '\n';
    out << "overtime " << int(FOvertimeWin) << '\n';
    out << "shots " << int(FLastShot) << ' ' << int(FPlayerLastShot) << '\n';
    out << "top " << FTop << '\n';
    out << "order";
    for (int i = 1; i <= CardCount; ++i)
        out << ' ' << int(FOrder[i].Suit) << ' ' << int(FOrder[i].Value);
    out << "\ncards";
    for (int i = 1; i <= CardCount; ++i) {
        const TCard& c = FCards[i];
        out << ' ' << int(c.Face.Suit) << ' ' << int(c.Face.Value) << ' ' << int(c.Kind) << ' '
            << int(c.Beaten);
    }
    out << "\nslots";
    for (int s = 1; s <= SlotCount; ++s)
        out << ' ' << int(FSlots[s].Card) << ' ' << int(FSlots[s].Canplay);
    out << "\ngoallog " << FPeriodGoals.size();
    for (const TGoalEntry& g : FPeriodGoals)
        out << ' ' << g.ElapsedHalfMinutes << ' ' << g.ComputerGoals << ' ' << g.PlayerGoals << ' '
            << int(g.Scorer);
    out << "\nrandom " << FRandom.State() << '\n';
    // Every line above may be cut short into something that still reads; this one says
    // the text is whole.
    out << "end\n";
    return out.str();
}

bool TMatch::Restore(const std::string& Text, TMatch& Into, std::string* Why)
{
    const auto fail = [Why](const char* What) {
        if (Why)
            *Why = What;
        return false;
    };
    std::map<std::string, std::string> lines;
    if (!SplitLines(Text, lines))
        return fail("a line without a name, or a name twice");
    const auto header = lines.find(Header);
    if (header == lines.end())
        return fail("not a saved match");
    if (header->second != std::to_string(Version))
        return fail("a saved match of another version");
    const char* const keys[] = {"level", "dealers", "numbers", "turn",  "goals",  "clock",  "overtime",
                                "shots", "top",     "order",   "cards", "slots", "goallog", "random",
                                "end"};
    if (lines.size() != std::size(keys) + 1)
        return fail("lines missing or left over");
    for (const char* key : keys) {
        if (!lines.contains(key))
            return fail("lines missing or left over");
    }

    TMatch m;
    std::vector<long> v;
    if (!ReadInts(lines["level"], 1, slRookie, slLegend, v))
        return fail("level");
    m.FLevel = TSkillLevel(v[0]);
    if (!ReadInts(lines["dealers"], 2, alComputer, alPlayer, v))
        return fail("dealers");
    m.FGameDealer = TDealer(v[0]);
    m.FPeriodDealer = TDealer(v[1]);
    if (!ReadInts(lines["numbers"], 2, 1, MostPeriods, v) || v[0] > MostGames)
        return fail("game or period number");
    m.FGameNo = int(v[0]);
    m.FPeriodNo = int(v[1]);
    if (!ReadInts(lines["turn"], 2, tuComputer, tuPlayer, v))
        return fail("turn");
    m.FTurn = TTurn(v[0]);
    m.FDATurn = TTurn(v[1]);
    if (!ReadInts(lines["goals"], 2, 0, MostGoals, v))
        return fail("goals");
    m.FGoals = {int(v[0]), int(v[1])};
    if (!ReadInts(lines["clock"], 2, 0, PeriodHalfMinutes * MostPeriods, v) ||
        v[0] > PeriodHalfMinutes)
        return fail("clock");
    m.FRemaining = int(v[0]);
    m.FElapsed = int(v[1]);
    if (!ReadInts(lines["overtime"], 1, 0, 1, v))
        return fail("overtime");
    m.FOvertimeWin = v[0] != 0;
    if (!ReadInts(lines["shots"], 2, cvTwo, cvAce, v))
        return fail("last shots");
    m.FLastShot = TCardValue(v[0]);
    m.FPlayerLastShot = TCardValue(v[1]);
    if (!ReadInts(lines["top"], 1, 1, CardCount + 1, v))
        return fail("top card");
    m.FTop = int(v[0]);

    if (!ReadInts(lines["order"], 2 * CardCount, 0, cvAce, v))
        return fail("pack order");
    for (int i = 1; i <= CardCount; ++i) {
        if (v[size_t(2 * i - 2)] > 3)
            return fail("pack order");
        m.FOrder[i] = {uint8_t(v[size_t(2 * i - 2)]), TCardValue(v[size_t(2 * i - 1)])};
    }
    if (!ReadInts(lines["cards"], 4 * CardCount, 0, cvAce, v))
        return fail("cards");
    for (int i = 1; i <= CardCount; ++i) {
        const long* c = &v[size_t(4 * i - 4)];
        if (c[0] > 3 || c[2] > kindPlayerBack || c[3] > 1)
            return fail("cards");
        m.FCards[i] = {{uint8_t(c[0]), TCardValue(c[1])}, uint8_t(c[2]), c[3] != 0};
    }
    if (!ReadInts(lines["slots"], 2 * SlotCount, 0, CardCount, v))
        return fail("slots");
    for (int s = 1; s <= SlotCount; ++s) {
        if (v[size_t(2 * s - 1)] > 1)
            return fail("slots");
        m.FSlots[s] = {uint8_t(v[size_t(2 * s - 2)]), v[size_t(2 * s - 1)] != 0};
    }
    {
        std::istringstream in(lines["goallog"]);
        long count = -1;
        if (!(in >> count) || count < 0 || count > MostGoals)
            return fail("goal log");
        std::string rest;
        std::getline(in, rest);
        if (!ReadInts(rest, size_t(4 * count), 0, PeriodHalfMinutes * MostPeriods, v))
            return fail("goal log");
        for (long g = 0; g < count; ++g) {
            const long* e = &v[size_t(4 * g)];
            if (e[1] > MostGoals || e[2] > MostGoals || e[3] > tuPlayer)
                return fail("goal log");
            m.FPeriodGoals.push_back({int(e[0]), int(e[1]), int(e[2]), TTurn(e[3])});
        }
    }
    if (!m.FRandom.SetState(lines["random"]))
        return fail("generator");
    if (!lines["end"].empty())
        return fail("the end line");

    std::string why;
    if (!m.Consistent(&why)) {
        if (Why)
            *Why = why;
        return false;
    }
    Into = m;
    return true;
}

bool TMatch::Consistent(std::string* Why) const
{
    const auto fail = [Why](const char* What) {
        if (Why)
            *Why = What;
        return false;
    };
    // The pack: every face once, the cards dealt from it in its order.
    std::set<std::pair<int, int>> faces;
    for (int i = 1; i <= CardCount; ++i) {
        faces.insert({FOrder[i].Suit, FOrder[i].Value});
        if (!(FCards[i].Face == FOrder[i]))
            return fail("a card that is not the pack's");
    }
    if (faces.size() != size_t(CardCount))
        return fail("a face twice in the pack");

    // Each card in one place: a slot, the pack from the top card on, or gone before it.
    std::set<int> inSlots;
    for (int s = slotComputerGoal; s <= slotPlayerGoal; ++s) {
        const int card = FSlots[s].Card;
        if (card == 0)
            continue;
        if (card >= FTop)
            return fail("a card of the pack lies in a slot");
        if (!inSlots.insert(card).second)
            return fail("a card in two slots");
    }
    if (FSlots[slotDiscard].Card != 0)
        return fail("a card held by the discard pile's slot");
    if (FSlots[slotPack].Card != (HasTopCard() ? FTop : 0))
        return fail("the pack's slot does not hold the top card");
    for (int i = FTop + 1; i <= CardCount; ++i) {
        if (FCards[i].Beaten)
            return fail("a beaten card in the pack");
    }

    // The goals: the period's log counts up to the score, one goal at a time.
    int computer = -1;
    int player = -1;
    for (const TGoalEntry& g : FPeriodGoals) {
        if (computer >= 0) {
            const int up = (g.ComputerGoals - computer) + (g.PlayerGoals - player);
            const bool byScorer = g.Scorer == tuComputer ? g.ComputerGoals == computer + 1
                                                         : g.PlayerGoals == player + 1;
            if (up != 1 || !byScorer)
                return fail("a goal log that does not count up");
        }
        computer = g.ComputerGoals;
        player = g.PlayerGoals;
        if (g.ElapsedHalfMinutes > FElapsed)
            return fail("a goal after the clock");
    }
    if (!FPeriodGoals.empty() &&
        (computer != FGoals[tuComputer] || player != FGoals[tuPlayer]))
        return fail("a score its goal log does not add up to");
    if (int(FPeriodGoals.size()) > FGoals[tuComputer] + FGoals[tuPlayer])
        return fail("more goals logged than scored");
    if (FOvertimeWin && (FPeriodNo <= 3 || FPeriodGoals.empty()))
        return fail("an overtime win without an overtime goal");
    return true;
}
