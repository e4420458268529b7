// A timer whose intervals are measured on a worker thread of its own and whose ticks are
// handed to the window thread one at a time: the worker blocks until the handler has run,
// so ticks never pile up, and they arrive in every event loop of the window thread,
// nested ones (modal dialogs, a processEvents wait) included.
#pragma once

#include <QObject>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

// The toolkit's event handler type: a callable that receives the sending object.
using TNotifyEvent = std::function<void(QObject* Sender)>;

// Seven levels, mapped in order onto QThread::IdlePriority … QThread::TimeCriticalPriority.
enum TThreadPriority : std::uint8_t
{
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical
};

// The millisecond tick counter the running-time account reads: 32 bits, wrapping.
using TTickCounter = std::function<std::uint32_t()>;

class TThreadedTimer;

// The worker of one TThreadedTimer. It waits for its interval (or for FStop), hands the
// tick to the window thread and blocks until the tick has been delivered. All state the
// two threads share is guarded by FLock; the timer drives it through the methods below,
// always from the window thread.
class TTimerThread : public QThread
{
public:
    static constexpr std::uint32_t INFINITE = 0xFFFFFFFFu;

    explicit TTimerThread(TThreadedTimer* AOwner);
    ~TTimerThread() override;

    std::uint32_t Interval() const;
    void SetInterval(std::uint32_t AInterval);

    // The auto-reset wake-up signal: ends the current wait at once, without a tick.
    void SetStopEvent();

    // A paused worker measures nothing and sleeps until it is let run again. A worker
    // that is paused while blocked in a hand-over completes the hand-over first.
    bool Paused() const;
    void Pause();
    void Resume();

    // Asks the worker to end, releases it from any wait (a pending hand-over is cancelled,
    // its tick dropped) and blocks until the worker has left its body.
    void TerminateAndWait();

    // Window thread: whether Event is the hand-over the worker posted and is waiting on.
    // Taking the lock before the event is read orders its construction on the worker
    // before every read here; Qt's own posting does that too, but out of ThreadSanitizer's
    // sight.
    bool IsHandOver(const QEvent* Event) const;
    // Window thread: whether the pending tick was already on its way when the timer was
    // disabled; such a tick is dropped even if the timer has been enabled again since.
    bool HandOverStale() const;
    // Window thread: the tick of the pending hand-over has been delivered.
    void FinishHandOver();

    // When the wait for the tick now being delivered ended (for latency measurements).
    std::chrono::steady_clock::time_point LastWaitEnd() const;

    // Event type of the posted hand-over.
    static int HandOverEventType();

protected:
    void run() override;

private:
    struct TExitSignal;

    TThreadedTimer* FOwner; // not owned
    std::uint32_t FInterval = 1000;
    bool FStop = false; // state of the auto-reset wake-up event

    mutable std::mutex FLock;
    std::condition_variable FWake;
    bool FPaused = true;
    bool FTerminateRequested = false;
    bool FHandOverPending = false;
    const QEvent* FHandOverEvent = nullptr; // the posted event of the pending hand-over
    bool FHandOverStale = false;
    bool FExited = false; // the body and QThread's own finishing code are done
    std::chrono::steady_clock::time_point FLastWaitEnd;
};

// OnTimer runs on the window thread, with the timer as Sender, only while the timer is
// enabled. The handler may read and write every property of its timer (Enabled := false
// stops the ticks), process events and even delete the timer. It must never wait for a
// further tick of its own timer: that tick cannot come before the handler has returned.
class TThreadedTimer : public QObject
{
    Q_OBJECT

public:
    explicit TThreadedTimer(QObject* AOwner = nullptr);
    ~TThreadedTimer() override; // must run on the window thread; never throws

    bool AllowZero() const { return FAllowZero; }
    void SetAllowZero(bool Value) { FAllowZero = Value; }

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);

    std::uint32_t Interval() const;
    void SetInterval(std::uint32_t Value);

    TNotifyEvent OnTimer() const { return FOnTimer; }
    void SetOnTimer(TNotifyEvent Value) { FOnTimer = std::move(Value); }

    TThreadPriority ThreadPriority() const;
    void SetThreadPriority(TThreadPriority Value);

    // Running-time account, a stop-watch that runs while the timer is enabled: the running
    // time is the tick counter minus GetStartTick while it runs, PositionFromStart while
    // it stands. Writing PositionFromStart takes effect at the next enabling.
    std::int32_t GetStartTick() const { return FStartTick; }
    std::int32_t PositionFromStart() const { return FPositionFromStart; }
    void SetPositionFromStart(std::int32_t Value);

    // For the owner's use; the timer never touches it.
    int Tag() const { return FTag; }
    void SetTag(int Value) { FTag = Value; }

    // The counter defaults to SystemTickCount; tests put a fake one in its place.
    void SetTickCounter(TTickCounter Value);
    static std::uint32_t SystemTickCount();

    // Valid inside the tick handler: when the worker's wait for this tick ended.
    std::chrono::steady_clock::time_point LastWaitEnd() const;

protected:
    bool event(QEvent* Event) override;

private:
    void DoTimer();
    std::uint32_t TickCount() const;

    TNotifyEvent FOnTimer;
    std::unique_ptr<TTimerThread> FTimerThread;
    bool FEnabled = false;
    bool FAllowZero = false;
    std::int32_t FStartTick = 0;
    std::int32_t FPositionFromStart = 0;

    int FTag = 0;
    bool FDestroying = false;
    TTickCounter FTickCounter;
};
