// Headless self-play on the rules engine alone: series of one game between each computer
// level and two simple players (a random legal one and a greedy one), with no window and
// no timers. Prints games per second on this thread and the computer's win rate.
//
//   match_selfplay [games per level and player, default 100000] [seed]

#include "bench/game/SimplePlayers.h"
#include "game/Match.h"

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

// One game as the window plays it: periods until the referee ends the game. Returns true
// when the computer won.
bool PlayGame(TMatch& M, TPlayer Player, std::mt19937& Random)
{
    M.StartGame();
    for (;;) {
        M.StartPeriod(uint32_t(Random()));
        TTurn turn = M.Turn();
        while (M.MarkPlayable(turn)) {
            M.BeginTurn(turn);
            const int slot =
                turn == tuComputer ? M.ComputerChoice() : PlayerChoice(M, Player, Random);
            TSteps steps;
            if (M.Play(turn, slot, steps))
                turn = OtherSide(turn);
        }
        M.EndPeriod();
        const bool goals = !M.PeriodGoals().empty();
        if (GameOverAfterPeriod(M.PeriodNo(), M.Goals(tuComputer), M.Goals(tuPlayer), goals))
            return M.Goals(tuComputer) > M.Goals(tuPlayer);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int games = argc > 1 ? std::atoi(argv[1]) : 100000;
    const unsigned seed = argc > 2 ? unsigned(std::strtoul(argv[2], nullptr, 10)) : 20261210u;
    std::mt19937 random(seed);

    std::printf("%-9s %12s %12s\n", "level", "vs random", "vs greedy");
    long total = 0;
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    for (TSkillLevel level : {slRookie, slPro, slAllStar}) {
        double rates[2];
        for (TPlayer player : {TPlayer::Random, TPlayer::Greedy}) {
            int wins = 0;
            TMatch m;
            for (int g = 0; g < games; ++g) {
                m.StartSeries(alComputer, level); // the computer deals, as in game_strength
                wins += PlayGame(m, player, random) ? 1 : 0;
            }
            rates[player == TPlayer::Greedy] = 100.0 * wins / games;
            total += games;
        }
        static const char* const names[] = {"Rookie", "Pro", "All-Star"};
        std::printf("%-9s %11.1f%% %11.1f%%\n", names[level], rates[0], rates[1]);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    // On a shared machine the wall time counts other programs' turns too; the CPU time
    // is what one core spends on the games.
    std::printf("%ld games in %.2f s wall, %.2f s CPU: %.0f games/s per CPU second\n", total,
                seconds, cpu, total / cpu);
    return 0;
}
