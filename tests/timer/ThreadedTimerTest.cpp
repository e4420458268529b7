#include "timer/ThreadedTimer.h"

#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

long long MsSince(Clock::time_point from, Clock::time_point to = Clock::now())
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

// Runs the window thread's event loop, blocking between events, until done() holds or the
// time is up. A precise QTimer wakes the loop at the deadline (and again, should it fire a
// little early).
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000)
{
    QElapsedTimer clock;
    clock.start();
    QTimer deadline;
    deadline.setTimerType(Qt::PreciseTimer);
    deadline.start(timeoutMs);
    while (!done()) {
        if (clock.elapsed() >= timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void PumpFor(int ms)
{
    PumpUntil([] { return false; }, ms);
}

// Ends the test program with a message when the step in its scope has not returned by the
// deadline, so that a deadlock on the window thread fails at once, with its name, instead
// of at CTest's timeout.
class Watchdog
{
public:
    Watchdog(const char* What, std::chrono::milliseconds Limit)
        : FThread([this, What, Limit] {
              std::unique_lock<std::mutex> lock(FLock);
              if (!FWake.wait_for(lock, Limit, [this] { return FDone; })) {
                  std::fprintf(stderr, "%s: no return within %lld ms\n", What,
                               static_cast<long long>(Limit.count()));
                  std::abort();
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(FLock);
            FDone = true;
        }
        FWake.notify_all();
        FThread.join();
    }

private:
    std::mutex FLock;
    std::condition_variable FWake;
    bool FDone = false;
    std::thread FThread;
};

// Records every tick: when it came and what the handler saw.
struct TickLog
{
    std::vector<Clock::time_point> times;
    int count() const { return static_cast<int>(times.size()); }
};

TNotifyEvent Recorder(TickLog& log, std::function<void()> extra = {})
{
    return [&log, extra](QObject*) {
        log.times.push_back(Clock::now());
        if (extra)
            extra();
    };
}

} // namespace

TEST(ThreadedTimerTest, StartsWithItsDefaults)
{
    TThreadedTimer timer;
    EXPECT_FALSE(timer.Enabled());
    EXPECT_FALSE(timer.AllowZero());
    EXPECT_EQ(1000u, timer.Interval());
    EXPECT_EQ(tpNormal, timer.ThreadPriority());
    EXPECT_EQ(0, timer.GetStartTick());
    EXPECT_EQ(0, timer.PositionFromStart());
    EXPECT_EQ(0, timer.Tag());
    EXPECT_FALSE(timer.OnTimer());
}

// The owner deletes a running timer through the object tree while its worker is blocked on a
// tick the window thread has not served yet: the destruction returns, and the tick never
// reaches the handler.
TEST(ThreadedTimerTest, OwnerDestroysTheTimerWithATickPending)
{
    auto owner = std::make_unique<QObject>();
    auto* timer = new TThreadedTimer(owner.get());
    EXPECT_EQ(owner.get(), timer->parent());
    TickLog log;
    timer->SetOnTimer(Recorder(log));
    timer->SetInterval(1);
    timer->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return log.count() >= 1; }));
    // Serve no events, so that the next tick is posted and the worker waits on it.
    std::this_thread::sleep_for(20ms);
    const int ticks = log.count();
    const QPointer<TThreadedTimer> alive(timer);

    {
        const Watchdog watchdog("destroying a timer with a tick pending", 5s);
        owner.reset();
    }
    EXPECT_TRUE(alive.isNull());
    PumpFor(30);
    EXPECT_EQ(ticks, log.count()) << "a tick reached the handler of a destroyed timer";
}

TEST(ThreadedTimerTest, ThreadPriorityTakesEveryLevel)
{
    TThreadedTimer timer;
    // Raising a thread out of the idle class may be refused for an ordinary user, so the
    // idle level comes last.
    for (TThreadPriority p :
         {tpTimeCritical, tpHighest, tpHigher, tpNormal, tpLower, tpLowest, tpIdle}) {
        timer.SetThreadPriority(p);
        EXPECT_EQ(p, timer.ThreadPriority());
    }
}

TEST(ThreadedTimerTest, TickReachesHandlerOnWindowThreadWithTimerAsSender)
{
    TThreadedTimer timer;
    QObject* sender = nullptr;
    QThread* thread = nullptr;
    timer.SetInterval(5);
    timer.SetOnTimer([&](QObject* s) {
        sender = s;
        thread = QThread::currentThread();
        timer.SetEnabled(false);
    });
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return sender != nullptr; }));
    EXPECT_EQ(&timer, sender);
    EXPECT_EQ(QCoreApplication::instance()->thread(), thread);
}

TEST(ThreadedTimerTest, TagBelongsToTheOwner)
{
    TThreadedTimer timer;
    timer.SetInterval(2);
    timer.SetTag(41);
    TickLog log;
    timer.SetOnTimer(Recorder(log));
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return log.count() >= 3; }));
    timer.SetEnabled(false);
    EXPECT_EQ(41, timer.Tag());
}

TEST(ThreadedTimerTest, FirstTickComesOneIntervalAfterEnabling)
{
    TThreadedTimer timer;
    timer.SetInterval(30);
    TickLog log;
    timer.SetOnTimer(Recorder(log));
    const auto enabledAt = Clock::now();
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return log.count() >= 3; }));
    timer.SetEnabled(false);
    EXPECT_GE(MsSince(enabledAt, log.times[0]), 30);
    // Each following tick is again at least one interval after the one before.
    for (int i = 1; i < log.count(); ++i)
        EXPECT_GE(MsSince(log.times[i - 1], log.times[i]), 30) << "tick " << i;
}

TEST(ThreadedTimerTest, NextIntervalIsMeasuredFromTheEndOfTheHandler)
{
    TThreadedTimer timer;
    timer.SetInterval(10);
    std::vector<Clock::time_point> starts, ends;
    int depth = 0, maxDepth = 0;
    timer.SetOnTimer([&](QObject*) {
        maxDepth = std::max(maxDepth, ++depth);
        starts.push_back(Clock::now());
        std::this_thread::sleep_for(25ms); // a slow handler: no tick may queue up meanwhile
        ends.push_back(Clock::now());
        --depth;
    });
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return starts.size() >= 4; }));
    timer.SetEnabled(false);
    EXPECT_EQ(1, maxDepth);
    for (size_t i = 1; i < starts.size(); ++i)
        EXPECT_GE(MsSince(ends[i - 1], starts[i]), 10) << "tick " << i;
}

TEST(ThreadedTimerTest, HandlerThatDisablesGetsNoFurtherTickUntilEnabledAgain)
{
    TThreadedTimer timer;
    timer.SetInterval(10);
    TickLog log;
    timer.SetOnTimer(Recorder(log, [&] { timer.SetEnabled(false); }));
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return log.count() >= 1; }));
    PumpFor(80);
    EXPECT_EQ(1, log.count());
    EXPECT_FALSE(timer.Enabled());

    const auto enabledAgainAt = Clock::now();
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return log.count() >= 2; }));
    EXPECT_GE(MsSince(enabledAgainAt, log.times[1]), 10);
    PumpFor(50);
    EXPECT_EQ(2, log.count());
}

TEST(ThreadedTimerTest, DisableThenEnableRestartsTheMeasurement)
{
    TThreadedTimer timer;
    timer.SetInterval(200);
    TickLog log;
    timer.SetOnTimer(Recorder(log));
    timer.SetEnabled(true);
    PumpFor(100);
    const auto restartedAt = Clock::now();
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return log.count() >= 1; }));
    timer.SetEnabled(false);
    EXPECT_GE(MsSince(restartedAt, log.times[0]), 200);
}

TEST(ThreadedTimerTest, TickOnItsWayWhenDisabledIsDropped)
{
    for (const bool enableAgain : {false, true}) {
        SCOPED_TRACE(enableAgain ? "enabled again at once" : "left disabled");
        TThreadedTimer timer;
        timer.SetInterval(20);
        TickLog log;
        timer.SetOnTimer(Recorder(log));
        timer.SetEnabled(true);
        std::this_thread::sleep_for(60ms); // the window thread is busy; a tick is now queued
        const auto disabledAt = Clock::now();
        timer.SetEnabled(false);
        if (!enableAgain) {
            PumpFor(40);
            EXPECT_EQ(0, log.count());
            continue;
        }
        timer.SetEnabled(true);
        ASSERT_TRUE(PumpUntil([&] { return log.count() >= 1; }));
        timer.SetEnabled(false);
        EXPECT_GE(MsSince(disabledAt, log.times[0]), 20); // a fresh tick, not the old one
    }
}

TEST(ThreadedTimerTest, DisabledTimerMeasuresNothing)
{
    TThreadedTimer timer;
    timer.SetInterval(5);
    TickLog log;
    timer.SetOnTimer(Recorder(log));
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return log.count() >= 2; }));
    timer.SetEnabled(false);
    const int ticksWhenDisabled = log.count();
    // A wait that ends from now on, even one, is a wake-up the disabled timer should not
    // have; a tick already on its way has set this before the disabling.
    const auto lastWaitEnd = timer.LastWaitEnd();
    PumpFor(60);
    EXPECT_TRUE(lastWaitEnd == timer.LastWaitEnd());
    EXPECT_EQ(ticksWhenDisabled, log.count());
}

TEST(ThreadedTimerTest, HandlerThatReEnablesInsideItsTickKeepsTicking)
{
    // Off and on again inside the handler restarts the measurement from the handler's end.
    TThreadedTimer timer;
    timer.SetInterval(5);
    TickLog log;
    timer.SetOnTimer(Recorder(log, [&] {
        timer.SetEnabled(false);
        timer.SetEnabled(true);
    }));
    timer.SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return log.count() >= 4; }));
    timer.SetEnabled(false);
}

TEST(ThreadedTimerTest, ExceptionInHandlerDoesNotStopTheTimer)
{
    TThreadedTimer timer;
    timer.SetInterval(3);
    int ticks = 0;
    timer.SetOnTimer([&](QObject*) {
        ++ticks;
        if (ticks % 2)
            throw std::runtime_error("handler failed");
        throw 42; // not even an exception class
    });
    timer.SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 4; }));
    EXPECT_TRUE(timer.Enabled());
    timer.SetEnabled(false);
}

TEST(ThreadedTimerTest, HandlerMayReplaceItselfWhileRunning)
{
    TThreadedTimer timer;
    timer.SetInterval(3);
    std::string first = "first handler with a capture too large for small-object storage";
    std::vector<std::string> seen;
    timer.SetOnTimer([&, first](QObject*) {
        timer.SetOnTimer([&](QObject*) { seen.push_back("second"); });
        seen.push_back(first); // still the first handler's capture
    });
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return seen.size() >= 2; }));
    timer.SetEnabled(false);
    EXPECT_EQ(first, seen[0]);
    EXPECT_EQ("second", seen[1]);
}

TEST(ThreadedTimerTest, ZeroIntervalWithAllowZeroTicksBackToBack)
{
    TThreadedTimer timer;
    timer.SetAllowZero(true);
    timer.SetInterval(0);
    TickLog log;
    timer.SetOnTimer(Recorder(log));
    timer.SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return log.count() >= 200; }, 5000));
    timer.SetEnabled(false);
}

TEST(ThreadedTimerTest, ZeroIntervalWithoutAllowZeroIsEnabledWithoutStarting)
{
    TThreadedTimer timer;
    timer.SetInterval(0);
    TickLog log;
    timer.SetOnTimer(Recorder(log));
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.Enabled());
    PumpFor(60);
    EXPECT_EQ(0, log.count());

    // Allowing zero afterwards changes nothing by itself.
    timer.SetAllowZero(true);
    PumpFor(30);
    EXPECT_EQ(0, log.count());
    timer.SetAllowZero(false);

    const auto startedAt = Clock::now();
    timer.SetInterval(10);
    ASSERT_TRUE(PumpUntil([&] { return log.count() >= 2; }));
    timer.SetEnabled(false);
    EXPECT_GE(MsSince(startedAt, log.times[0]), 10);
}

TEST(ThreadedTimerTest, InfiniteIntervalNeverTicks)
{
    TThreadedTimer timer;
    timer.SetInterval(TTimerThread::INFINITE);
    EXPECT_EQ(4294967295u, timer.Interval());
    TickLog log;
    timer.SetOnTimer(Recorder(log));
    timer.SetEnabled(true);
    PumpFor(60);
    EXPECT_EQ(0, log.count());
}

TEST(ThreadedTimerTest, NewIntervalRestartsTheMeasurement)
{
    TThreadedTimer timer;
    timer.SetInterval(1000);
    TickLog log;
    timer.SetOnTimer(Recorder(log));
    const auto enabledAt = Clock::now();
    timer.SetEnabled(true);
    PumpFor(40);
    const auto writtenAt = Clock::now();
    timer.SetInterval(60);
    EXPECT_TRUE(timer.Enabled());
    ASSERT_TRUE(PumpUntil([&] { return log.count() >= 1; }));
    timer.SetEnabled(false);
    EXPECT_GE(MsSince(writtenAt, log.times[0]), 60);
    EXPECT_LT(MsSince(enabledAt, log.times[0]), 1000); // the old interval is gone
}

TEST(ThreadedTimerTest, NewIntervalOnDisabledTimerLeavesItDisabled)
{
    TThreadedTimer timer;
    TickLog log;
    timer.SetOnTimer(Recorder(log));
    timer.SetInterval(5);
    EXPECT_FALSE(timer.Enabled());
    PumpFor(40);
    EXPECT_EQ(0, log.count());
}

// Writing what a property already holds must not restart a running measurement: with an
// interval of 400 ms and the write after 150 ms, the first tick comes near 400 ms, while a
// restart would push it to 550 ms or later.
struct RepeatedWrite
{
    const char* name;
    std::function<void(TThreadedTimer&)> write;
};

void PrintTo(const RepeatedWrite& w, std::ostream* os)
{
    *os << w.name;
}

class RepeatedWriteTest : public ::testing::TestWithParam<RepeatedWrite>
{
};

TEST_P(RepeatedWriteTest, DoesNotRestartTheMeasurement)
{
    TThreadedTimer timer;
    timer.SetInterval(400);
    TickLog log;
    timer.SetOnTimer(Recorder(log));
    const auto enabledAt = Clock::now();
    timer.SetEnabled(true);
    PumpFor(150);
    GetParam().write(timer);
    ASSERT_TRUE(PumpUntil([&] { return log.count() >= 1; }));
    timer.SetEnabled(false);
    EXPECT_GE(MsSince(enabledAt, log.times[0]), 400);
    EXPECT_LT(MsSince(enabledAt, log.times[0]), 540);
}

INSTANTIATE_TEST_SUITE_P(
    SameValue, RepeatedWriteTest,
    ::testing::Values(RepeatedWrite{"Enabled", [](TThreadedTimer& t) { t.SetEnabled(true); }},
                      RepeatedWrite{"Interval", [](TThreadedTimer& t) { t.SetInterval(400); }}),
    [](const auto& info) { return std::string(info.param.name); });

// Running-time account against a fake tick counter: each step sets the counter, applies an
// action and checks GetStartTick and PositionFromStart afterwards.
enum class Action
{
    Enable,
    Disable,
    SetPosition,
    SetInterval
};

struct AccountStep
{
    Action action;
    std::uint32_t counter;
    std::int32_t argument; // position or interval
    std::int32_t startTick;
    std::int32_t position;
};

struct AccountCase
{
    const char* name;
    std::vector<AccountStep> steps;
};

void PrintTo(const AccountCase& c, std::ostream* os)
{
    *os << c.name;
}

class RunningTimeTest : public ::testing::TestWithParam<AccountCase>
{
};

TEST_P(RunningTimeTest, FollowsTheStopWatch)
{
    TThreadedTimer timer;
    std::uint32_t now = 0;
    timer.SetTickCounter([&] { return now; });
    timer.SetInterval(TTimerThread::INFINITE); // the account only; no tick disturbs it
    int i = 0;
    for (const AccountStep& step : GetParam().steps) {
        now = step.counter;
        switch (step.action) {
        case Action::Enable:
            timer.SetEnabled(true);
            break;
        case Action::Disable:
            timer.SetEnabled(false);
            break;
        case Action::SetPosition:
            timer.SetPositionFromStart(step.argument);
            break;
        case Action::SetInterval:
            timer.SetInterval(static_cast<std::uint32_t>(step.argument));
            break;
        }
        EXPECT_EQ(step.startTick, timer.GetStartTick()) << "step " << i;
        EXPECT_EQ(step.position, timer.PositionFromStart()) << "step " << i;
        ++i;
    }
}

constexpr std::uint32_t kNearWrap = 0xFFFFFF00u; // 256 ms before the counter wraps

INSTANTIATE_TEST_SUITE_P(
    Account, RunningTimeTest,
    ::testing::Values(AccountCase{"StopAndGo",
                                  {{Action::Enable, 1000, 0, 1000, 0},
                                   {Action::Disable, 1500, 0, 1000, 500},
                                   {Action::Enable, 3000, 0, 2500, 500},
                                   {Action::Disable, 3100, 0, 2500, 600}}},
                      AccountCase{"RepeatedWritesChangeNothing",
                                  {{Action::Enable, 1000, 0, 1000, 0},
                                   {Action::Enable, 1200, 0, 1000, 0},
                                   {Action::Disable, 1500, 0, 1000, 500},
                                   {Action::Disable, 1900, 0, 1000, 500}}},
                      AccountCase{"NewIntervalCarriesTheAccountOver",
                                  {{Action::Enable, 1000, 0, 1000, 0},
                                   {Action::SetInterval, 1400, 50, 1000, 400},
                                   {Action::Disable, 1700, 0, 1000, 700}}},
                      AccountCase{"PositionWrittenWhileDisabledIsWhereTheNextRunGoesOn",
                                  {{Action::SetPosition, 10, 250, 0, 250},
                                   {Action::Enable, 5000, 0, 4750, 250},
                                   {Action::Disable, 5100, 0, 4750, 350}}},
                      AccountCase{"EnabledWithoutStartingKeepsTheAccount",
                                  {{Action::Enable, 1000, 0, 1000, 0},
                                   {Action::Disable, 1500, 0, 1000, 500},
                                   {Action::SetInterval, 1600, 0, 1000, 500},
                                   {Action::Enable, 2000, 0, 1000, 500},
                                   {Action::Disable, 2600, 0, 1000, 500},
                                   {Action::Enable, 2700, 0, 1000, 500},
                                   {Action::SetInterval, 3000, 20, 2500, 500},
                                   {Action::Disable, 3100, 0, 2500, 600}}},
                      AccountCase{"WrapsAroundAt32Bits",
                                  {{Action::Enable, kNearWrap, 0, -256, 0},
                                   {Action::Disable, 0x100u, 0, -256, 512},
                                   {Action::Enable, 0x7FFFFFFFu, 0, 0x7FFFFFFF - 512, 512},
                                   {Action::Disable, 0x80000009u, 0, 0x7FFFFFFF - 512, 522}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ThreadedTimerTest, SystemTickCountFollowsTheMonotonicClock)
{
    const std::uint32_t before = TThreadedTimer::SystemTickCount();
    std::this_thread::sleep_for(20ms);
    const std::uint32_t elapsed = TThreadedTimer::SystemTickCount() - before;
    EXPECT_GE(elapsed, 20u);
    EXPECT_LT(elapsed, 10000u);
}

// Ticks arrive in the window thread's nested event loops.
TEST(ThreadedTimerTest, TicksReachHandlerInsideModalDialog)
{
    QDialog dialog;
    TThreadedTimer timer;
    timer.SetInterval(5);
    int ticks = 0;
    timer.SetOnTimer([&](QObject*) {
        if (++ticks == 3)
            dialog.done(QDialog::Accepted);
    });
    // A failing timer must not leave the dialog open.
    QTimer::singleShot(5000, &dialog, [&] { dialog.done(QDialog::Rejected); });
    timer.SetEnabled(true);
    const int result = dialog.exec();
    timer.SetEnabled(false);
    EXPECT_EQ(QDialog::Accepted, result);
    EXPECT_EQ(3, ticks);
}

TEST(ThreadedTimerTest, OwnerWaitsForTimedActionByProcessingEvents)
{
    // The card move's pattern: enable, then process events until the handler switches the
    // timer off.
    TThreadedTimer timer;
    timer.SetInterval(2);
    timer.SetOnTimer([&](QObject*) {
        timer.SetTag(timer.Tag() + 1);
        if (timer.Tag() >= 9)
            timer.SetEnabled(false);
    });
    bool gaveUp = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        gaveUp = true;
        timer.SetEnabled(false);
    });
    guard.start(5000);
    timer.SetTag(0);
    timer.SetEnabled(true);
    while (timer.Enabled())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    EXPECT_FALSE(gaveUp);
    EXPECT_EQ(9, timer.Tag());
}

TEST(ThreadedTimerTest, OtherTimerTicksInsideHandlerWhileOwnTimerWaits)
{
    // A tick handler that opens a modal dialog (the end of a period in the middle of a card
    // move) still sees the ticks of the other timer, but none of its own.
    TThreadedTimer mover, about;
    mover.SetInterval(3);
    about.SetInterval(3);
    int moverTicks = 0, aboutTicks = 0, moverTicksSeenInside = -1;
    QDialog dialog;
    about.SetOnTimer([&](QObject*) {
        if (++aboutTicks == 5) {
            moverTicksSeenInside = moverTicks;
            dialog.done(QDialog::Accepted);
        }
    });
    mover.SetOnTimer([&](QObject*) {
        if (++moverTicks > 1)
            return;
        about.SetEnabled(true);
        QTimer::singleShot(5000, &dialog, [&] { dialog.done(QDialog::Rejected); });
        dialog.exec();
        mover.SetEnabled(false);
    });
    mover.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return !mover.Enabled(); }, 6000));
    about.SetEnabled(false);
    EXPECT_EQ(QDialog::Accepted, dialog.result());
    EXPECT_EQ(1, moverTicksSeenInside);
    EXPECT_EQ(1, moverTicks);
}

// Destruction must return promptly, deliver no tick and never hang, whatever the worker is
// doing at that moment.
enum class DestroyWhen
{
    NeverEnabled,
    Disabled,
    Running,
    InfiniteWait,
    HandOverPending,    // a tick is queued while the window thread is busy elsewhere
    DisabledInHandler,  // disabled inside its own handler, destroyed after it returned
    DestroyedInHandler, // deleted from inside its own handler
};

struct DestroyCase
{
    const char* name;
    DestroyWhen when;
};

void PrintTo(const DestroyCase& c, std::ostream* os)
{
    *os << c.name;
}

class DestroyTest : public ::testing::TestWithParam<DestroyCase>
{
};

TEST_P(DestroyTest, ReturnsPromptlyWithoutTick)
{
    auto* timer = new TThreadedTimer;
    bool destroyed = false;
    int ticksAfterDestroy = 0, ticks = 0;
    timer->SetOnTimer([&](QObject*) {
        if (destroyed)
            ++ticksAfterDestroy;
        ++ticks;
        if (GetParam().when == DestroyWhen::DisabledInHandler)
            timer->SetEnabled(false);
        if (GetParam().when == DestroyWhen::DestroyedInHandler) {
            destroyed = true;
            delete timer;
        }
    });
    timer->SetInterval(1);

    switch (GetParam().when) {
    case DestroyWhen::NeverEnabled:
        break;
    case DestroyWhen::Disabled:
        timer->SetEnabled(true);
        ASSERT_TRUE(PumpUntil([&] { return ticks >= 2; }));
        timer->SetEnabled(false);
        break;
    case DestroyWhen::Running:
        timer->SetEnabled(true);
        ASSERT_TRUE(PumpUntil([&] { return ticks >= 2; }));
        break;
    case DestroyWhen::InfiniteWait:
        timer->SetInterval(TTimerThread::INFINITE);
        timer->SetEnabled(true);
        break;
    case DestroyWhen::HandOverPending:
        timer->SetEnabled(true);
        std::this_thread::sleep_for(30ms); // the worker is now blocked in its hand-over
        break;
    case DestroyWhen::DisabledInHandler:
        timer->SetEnabled(true);
        ASSERT_TRUE(PumpUntil([&] { return ticks >= 1; }));
        break;
    case DestroyWhen::DestroyedInHandler:
        timer->SetEnabled(true);
        ASSERT_TRUE(PumpUntil([&] { return destroyed; }));
        break;
    }

    const auto before = Clock::now();
    if (!destroyed) {
        destroyed = true;
        delete timer;
    }
    EXPECT_LT(MsSince(before), 1000);
    PumpFor(30); // a tick left in the queue would show here
    EXPECT_EQ(0, ticksAfterDestroy);
    if (GetParam().when == DestroyWhen::HandOverPending) {
        EXPECT_EQ(0, ticks);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lifecycle, DestroyTest,
    ::testing::Values(DestroyCase{"NeverEnabled", DestroyWhen::NeverEnabled},
                      DestroyCase{"Disabled", DestroyWhen::Disabled},
                      DestroyCase{"Running", DestroyWhen::Running},
                      DestroyCase{"InfiniteWait", DestroyWhen::InfiniteWait},
                      DestroyCase{"HandOverPending", DestroyWhen::HandOverPending},
                      DestroyCase{"DisabledInHandler", DestroyWhen::DisabledInHandler},
                      DestroyCase{"DestroyedInHandler", DestroyWhen::DestroyedInHandler}),
    [](const auto& info) { return std::string(info.param.name); });
