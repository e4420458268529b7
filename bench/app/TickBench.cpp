// The card flight as the player sees it: the real main window, its real move timer at
// 20 ms, and real MoveCard calls (a deal of twelve cards, then the rest of the pack to
// the discard pile, reshuffled and discarded again). Every tick of MoveCardThreadedTimer
// is timed where it reaches the window thread: the period between two ticks of one move
// (the first tick of a move counts from the enabling, so it is left out), and the cost
// of one tick, which includes the table's synchronous repaint. The CPU of the whole
// process (both threads) over the run is reported as a share of one core.
//
//   app_tick_bench [moves=200] [step=20]      (step: 30 fast, 20 medium, 10 low)
// Run it on a real display (xvfb) so that the repaint reaches an X server.
#include "MainFormTestAccess.h"
#include "timer/ThreadedTimer.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double Percentile(const std::vector<double>& sorted, double p)
{
    const auto rank =
        static_cast<size_t>(p / 100.0 * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[std::min(rank, sorted.size() - 1)];
}

void Report(const char* what, std::vector<double> sample)
{
    if (sample.empty()) {
        std::printf("%-12s no sample\n", what);
        return;
    }
    std::sort(sample.begin(), sample.end());
    std::printf("%-12s n=%zu  min %.3f  median %.3f  p90 %.3f  p99 %.3f  max %.3f  (ms)\n",
                what, sample.size(), sample.front(), Percentile(sample, 50),
                Percentile(sample, 90), Percentile(sample, 99), sample.back());
}

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void Wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brindletop"));
    const int moves = argc > 1 ? std::atoi(argv[1]) : 200;
    const int step = argc > 2 ? std::atoi(argv[2]) : 20;

    SetShuffleSeedSource([] { return 4711u; });
    TMainForm form;
    form.*A::FActivated = true; // no series: this program drives the moves itself
    form.*A::FStep = static_cast<uint8_t>(step);
    form.show();
    Wait(500); // mapped and painted once

    TThreadedTimer& timer = *form.MoveCardThreadedTimer;
    const TNotifyEvent tick = timer.OnTimer();
    std::vector<double> periods, costs;
    Clock::time_point previousStart{};
    timer.SetOnTimer([&](QObject* sender) {
        const auto start = Clock::now();
        // Tag counts the ticks already shown in the running move; the first tick of a
        // move comes one interval after the enabling and is no period between ticks.
        if (timer.Tag() > 0)
            periods.push_back(Ms(start - previousStart));
        previousStart = start;
        tick(sender);
        costs.push_back(Ms(Clock::now() - start));
    });

    TPackOfCards& pack = form.*A::FPackOfCards;
    auto& slots = form.*A::FHotSpotRects;
    const auto shuffle = [&] {
        ShuffleCards(pack);
        (form.*A::GatherCardLayers)();
        (form.*A::ShowAllCards)();
        (form.*A::PlaceTopCard)(slotPack);
    };

    shuffle();
    const double cpuBefore = CpuSeconds();
    const auto wallBefore = Clock::now();
    int dealt = 0;
    for (int i = 0; i < moves; ++i) {
        if (pack.bTopCardsIndex > CardCount) {
            shuffle();
            dealt = 12; // the slots are taken now: send every card to the discard pile
        }
        const int dest = dealt < 12 ? 13 - dealt++ : slotDiscard;
        (form.*A::MoveCard)(slots[slotPack], slots[dest]);
    }
    const double wall = std::chrono::duration<double>(Clock::now() - wallBefore).count();
    const double cpu = CpuSeconds() - cpuBefore;

    std::printf("moves %d, step %d px, interval %u ms, wall %.2f s\n", moves, step,
                timer.Interval(), wall);
    Report("period", periods);
    Report("tick cost", costs);
    std::printf("cpu while moving: %.1f%% of one core (%.3f s in %.2f s)\n",
                100.0 * cpu / wall, cpu, wall);
    SetShuffleSeedSource({});
    return 0;
}
