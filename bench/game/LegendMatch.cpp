// The Legend level measured on the rules engine alone (no Qt): the CPU time of its moves,
// its match table against the other levels and the two simple players, and its win rate
// against All-Star as the search gets more deals per move.
//
//   legend_match time  [games, 200] [deals, shipped]          CPU per move, Legend vs All-Star
//   legend_match table [games, 10000] [deals, shipped] [threads, 2]
//   legend_match versus row [games] [deals] [threads]         one row of the table
//   legend_match curve [games, 2000] [threads, 2] deals...    win rate vs All-Star per budget
//
// Game g is dealt from seed 20261211 + g whatever the opponent and budget, the computer
// dealing the even games and the player the odd ones. The opponent plays the player's side.

#include "bench/game/SimplePlayers.h"
#include "game/LookAhead.h"
#include "game/Match.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr uint32_t FirstSeed = 20261211u;

enum class TOpponent
{
    AllStar,
    Pro,
    Rookie,
    Greedy,
    Random
};

const char* NameOf(TOpponent Opponent)
{
    static const char* const names[] = {"All-Star", "Pro", "Rookie", "greedy", "random"};
    return names[int(Opponent)];
}

double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct TGameStats
{
    std::vector<double> MoveMs; // CPU per searched move
    long Moves = 0;             // the Legend's moves, searched or not
    long Obvious = 0;           // of them, with one playable slot
    long AsAllStar = 0;         // of the searched ones, the slot All-Star would play
    bool Timed = false;
};

int OpponentChoice(const TMatch& M, TOpponent Opponent, TMatchRandom& Levels, std::mt19937& Simple)
{
    switch (Opponent) {
    case TOpponent::Greedy:
        return PlayerChoice(M, TPlayer::Greedy, Simple);
    case TOpponent::Random:
        return PlayerChoice(M, TPlayer::Random, Simple);
    default:
        break;
    }
    const TSkillLevel level = Opponent == TOpponent::AllStar ? slAllStar
                              : Opponent == TOpponent::Pro   ? slPro
                                                             : slRookie;
    TMatch mirror = M.Mirrored();
    mirror.SetLevel(level);
    mirror.MarkPlayable(tuComputer);
    return TMatch::MirroredSlot(ChooseSlot(mirror, Levels));
}

// One game of the Legend (Deals per move; 0 plays All-Star instead) against Opponent.
// True when the computer won.
bool PlayGame(uint32_t Seed, TOpponent Opponent, int Deals, TGameStats& Stats)
{
    std::mt19937 random(Seed);
    TMatchRandom levels(Seed ^ 0x5bd1e995u);
    TMatch m;
    m.StartSeries(Seed % 2 ? alPlayer : alComputer, Deals > 0 ? slLegend : slAllStar);
    m.StartGame();
    for (;;) {
        m.StartPeriod(uint32_t(random()));
        TTurn turn = m.Turn();
        while (m.MarkPlayable(turn)) {
            m.BeginTurn(turn);
            int slot;
            if (turn == tuPlayer) {
                slot = OpponentChoice(m, Opponent, levels, random);
            } else if (Deals == 0) {
                slot = m.ComputerChoice();
            } else {
                const bool obvious = m.Playable(tuComputer).size() == 1;
                const int plan = m.LevelChoice(slAllStar);
                const double start = Stats.Timed ? ThreadCpuMs() : 0.0;
                slot = ChooseLookAheadSlot(m, m.Random(), {Deals});
                if (Stats.Timed && !obvious)
                    Stats.MoveMs.push_back(ThreadCpuMs() - start);
                m.NoteComputerChoice(slot);
                ++Stats.Moves;
                Stats.Obvious += obvious ? 1 : 0;
                Stats.AsAllStar += !obvious && slot == plan ? 1 : 0;
            }
            TSteps steps;
            if (m.Play(turn, slot, steps))
                turn = OtherSide(turn);
        }
        m.EndPeriod();
        const bool goals = !m.PeriodGoals().empty();
        if (GameOverAfterPeriod(m.PeriodNo(), m.Goals(tuComputer), m.Goals(tuPlayer), goals))
            return m.Goals(tuComputer) > m.Goals(tuPlayer);
    }
}

struct TResult
{
    int Games = 0;
    int Wins = 0;
    std::vector<char> Won; // by game number
    TGameStats Stats;
    double CpuSeconds = 0;
};

TResult PlayGames(int Games, TOpponent Opponent, int Deals, int Threads, bool Timed = false)
{
    std::atomic<int> next{0};
    std::vector<char> won(std::size_t(Games), 0);
    std::vector<TResult> parts(std::size_t(std::max(1, Threads)));
    std::vector<std::thread> workers;
    for (TResult& part : parts) {
        workers.emplace_back([&, Timed] {
            part.Stats.Timed = Timed;
            const double start = ThreadCpuMs();
            for (int g = next++; g < Games; g = next++) {
                won[std::size_t(g)] =
                    PlayGame(FirstSeed + uint32_t(g), Opponent, Deals, part.Stats);
                part.Wins += won[std::size_t(g)];
                ++part.Games;
            }
            part.CpuSeconds = (ThreadCpuMs() - start) / 1e3;
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    TResult all;
    all.Won = std::move(won);
    for (const TResult& part : parts) {
        all.Games += part.Games;
        all.Wins += part.Wins;
        all.CpuSeconds += part.CpuSeconds;
        all.Stats.Moves += part.Stats.Moves;
        all.Stats.Obvious += part.Stats.Obvious;
        all.Stats.AsAllStar += part.Stats.AsAllStar;
        all.Stats.MoveMs.insert(all.Stats.MoveMs.end(), part.Stats.MoveMs.begin(),
                                part.Stats.MoveMs.end());
    }
    return all;
}

// The win rate in percent with its 95 % (Wilson) interval.
std::string RateText(int Wins, int Games)
{
    const double n = Games, p = Wins / n, z = 1.96;
    const double centre = (p + z * z / (2 * n)) / (1 + z * z / n);
    const double half = z * std::sqrt(p * (1 - p) / n + z * z / (4 * n * n)) / (1 + z * z / n);
    char text[64];
    std::snprintf(text, sizeof text, "%5.1f %% (%4.1f-%4.1f)", 100 * p, 100 * (centre - half),
                  100 * (centre + half));
    return text;
}

void PrintResult(const char* Label, const TResult& R)
{
    const double searched = double(R.Stats.Moves - R.Stats.Obvious);
    std::printf("%-10s %6d %6d  %s  %5.1f %%  %5.1f %%  %8.1f\n", Label, R.Games, R.Wins,
                RateText(R.Wins, R.Games).c_str(),
                R.Stats.Moves ? 100.0 * R.Stats.Obvious / R.Stats.Moves : 0.0,
                searched > 0 ? 100.0 * R.Stats.AsAllStar / searched : 0.0, R.CpuSeconds);
    std::fflush(stdout);
}

void PrintHeader()
{
    std::printf("%-10s %6s %6s  %-23s  %7s  %7s  %8s\n", "vs", "games", "wins",
                "win rate (95 % interval)", "one move", "=AllStar", "CPU s");
}

double Percentile(std::vector<double> Values, double P)
{
    if (Values.empty())
        return 0;
    std::ranges::sort(Values);
    const std::size_t at = std::min(Values.size() - 1, std::size_t(P * double(Values.size())));
    return Values[at];
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "time";
    const auto arg = [&](int I, int Default) { return argc > I ? std::atoi(argv[I]) : Default; };
    if (mode == "time") {
        const int games = arg(2, 200);
        const int deals = arg(3, TLookAhead::ShippedDeals);
        const TResult r = PlayGames(games, TOpponent::AllStar, deals, 1, true);
        const auto& ms = r.Stats.MoveMs;
        std::printf("%d deals, %d games vs All-Star, %zu searched moves (%ld with one slot "
                    "not searched): CPU per move median %.2f ms, p90 %.2f ms, p99 %.2f ms, "
                    "max %.2f ms\n",
                    deals, r.Games, ms.size(), r.Stats.Obvious, Percentile(ms, 0.5),
                    Percentile(ms, 0.9), Percentile(ms, 0.99), Percentile(ms, 1.0));
        PrintHeader();
        PrintResult("All-Star", r);
    } else if (mode == "table") {
        const int games = arg(2, 10000);
        const int deals = arg(3, TLookAhead::ShippedDeals);
        const int threads = arg(4, 2);
        std::printf("Legend at %d deals per move, %d games per opponent\n", deals, games);
        PrintHeader();
        for (TOpponent o : {TOpponent::AllStar, TOpponent::Pro, TOpponent::Rookie,
                            TOpponent::Greedy, TOpponent::Random})
            PrintResult(NameOf(o), PlayGames(games, o, deals, threads));
        // The same deals with All-Star in the Legend's place: what the deal alone gives.
        PrintResult("(All-Star)", PlayGames(games, TOpponent::AllStar, 0, threads));
    } else if (mode == "versus") {
        // One row of the table: legend_match versus <row 0-4, 5 All-Star in the Legend's
        // place> [games] [deals] [threads]
        const int row = arg(2, 0);
        const int games = arg(3, 10000);
        const int deals = row == 5 ? 0 : arg(4, TLookAhead::ShippedDeals);
        const TOpponent opponent = row == 5 ? TOpponent::AllStar : TOpponent(row);
        PrintHeader();
        PrintResult(row == 5 ? "(All-Star)" : NameOf(opponent),
                    PlayGames(games, opponent, deals, arg(5, 2)));
    } else if (mode == "curve") {
        const int games = arg(2, 2000);
        const int threads = arg(3, 2);
        // All-Star in the Legend's place on the same deals: the games a deal decides
        // whoever plays it end alike.
        const TResult plain = PlayGames(games, TOpponent::AllStar, 0, threads);
        PrintHeader();
        PrintResult("All-Star", plain);
        for (int i = 4; i < argc; ++i) {
            const int deals = std::atoi(argv[i]);
            char label[32];
            std::snprintf(label, sizeof label, "%d deals", deals);
            const TResult r = PlayGames(games, TOpponent::AllStar, deals, threads, true);
            PrintResult(label, r);
            int same = 0, turned = 0, lost = 0;
            for (int g = 0; g < games; ++g) {
                same += r.Won[std::size_t(g)] == plain.Won[std::size_t(g)];
                turned += r.Won[std::size_t(g)] && !plain.Won[std::size_t(g)];
                lost += !r.Won[std::size_t(g)] && plain.Won[std::size_t(g)];
            }
            std::printf("           same result as All-Star on the deal %.1f %%; won where "
                        "All-Star lost %d, lost where it won %d; CPU per searched move "
                        "median %.2f ms, p99 %.2f ms\n",
                        100.0 * same / games, turned, lost, Percentile(r.Stats.MoveMs, 0.5),
                        Percentile(r.Stats.MoveMs, 0.99));
            std::fflush(stdout);
        }
    } else {
        std::fprintf(stderr, "usage: legend_match time|table|curve ...\n");
        return 2;
    }
    return 0;
}
