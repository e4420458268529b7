// Timing program for TThreadedTimer: the real tick period at 20 ms with a trivial handler,
// the hand-over latency (end of the worker's wait to the start of the handler) and the CPU
// a disabled timer costs. The wait's overshoot (end of the wait minus the end of the previous
// handler minus the interval) shows how much of the period the system's wake-up adds.
//
//   threaded_timer_bench [ticks=500] [idle-seconds=10]
#include "timer/ThreadedTimer.h"

#include <QCoreApplication>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Nearest-rank percentile of an already sorted sample.
double Percentile(const std::vector<double>& sorted, double p)
{
    const auto rank = static_cast<size_t>(p / 100.0 * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[std::min(rank, sorted.size() - 1)];
}

void Report(const char* what, std::vector<double> sample)
{
    std::sort(sample.begin(), sample.end());
    std::printf("%-22s n=%zu  min %.3f  median %.3f  p99 %.3f  max %.3f  (ms)\n", what,
                sample.size(), sample.front(), Percentile(sample, 50), Percentile(sample, 99),
                sample.back());
}

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int ticks = argc > 1 ? std::atoi(argv[1]) : 500;
    const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 10;

    // Ticking at 20 ms: the first tick is only a reference point for the periods.
    {
        TThreadedTimer timer;
        timer.SetInterval(20);
        std::vector<Clock::time_point> starts;
        std::vector<double> latencies, overshoots;
        Clock::time_point lastEnd;
        starts.reserve(ticks + 1);
        latencies.reserve(ticks + 1);
        timer.SetOnTimer([&](QObject*) {
            const auto now = Clock::now();
            const auto waitEnd = timer.LastWaitEnd();
            latencies.push_back(Ms(now - waitEnd));
            if (!starts.empty())
                overshoots.push_back(Ms(waitEnd - lastEnd) - 20.0);
            starts.push_back(now);
            if (static_cast<int>(starts.size()) > ticks) {
                timer.SetEnabled(false);
                QCoreApplication::quit();
            }
            lastEnd = Clock::now();
        });
        timer.SetEnabled(true);
        QCoreApplication::exec();

        std::vector<double> periods;
        for (size_t i = 1; i < starts.size(); ++i)
            periods.push_back(Ms(starts[i] - starts[i - 1]));
        std::printf("interval 20 ms, %d ticks, trivial handler\n", ticks);
        Report("tick period", periods);
        const auto late =
            std::count_if(periods.begin(), periods.end(), [](double p) { return p > 22.0; });
        std::printf("%-22s %ld of %zu\n", "periods over 22 ms", static_cast<long>(late),
                    periods.size());
        Report("hand-over latency", latencies);
        Report("wait overshoot", overshoots);
    }

    // For comparison, what the system itself adds to a plain 20 ms sleep on a thread of
    // its own, under the same load.
    {
        std::vector<double> overshoots;
        std::thread sleeper([&] {
            for (int i = 0; i < ticks / 2; ++i) {
                const auto before = Clock::now();
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                overshoots.push_back(Ms(Clock::now() - before) - 20.0);
            }
        });
        sleeper.join();
        Report("plain sleep overshoot", overshoots);
    }

    // A disabled timer: its worker has run and is paused now.
    {
        TThreadedTimer timer;
        timer.SetInterval(20);
        timer.SetOnTimer([](QObject*) {});
        timer.SetEnabled(true);
        timer.SetEnabled(false);
        const double cpuBefore = CpuSeconds();
        const auto wallBefore = Clock::now();
        QTimer::singleShot(idleSeconds * 1000, Qt::PreciseTimer, &app, &QCoreApplication::quit);
        QCoreApplication::exec();
        const double cpu = CpuSeconds() - cpuBefore;
        const double wall = Ms(Clock::now() - wallBefore) / 1000.0;
        std::printf("disabled timer: %.3f s CPU over %.3f s = %.3f%% CPU (whole process)\n", cpu,
                    wall, 100.0 * cpu / wall);
    }
    return 0;
}
