#include "timer/ThreadedTimer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

// The two threads meet only through FLock and FWake. Qt serves just to post the hand-over
// to the window thread and wake its event loop; the blocking itself is plain std::mutex and
// std::condition_variable so that ThreadSanitizer sees every edge between the threads.

// Set from the worker's thread_local teardown, which runs after QThread has finished with
// the thread (its last wake-up of QThread::wait() included). Waiting for it before the
// QThread object is destroyed orders that teardown before the destruction in a way
// ThreadSanitizer can see: QThread's own hand-shake goes through futexes it cannot.
struct TTimerThread::TExitSignal
{
    TTimerThread* Thread = nullptr;
    ~TExitSignal()
    {
        if (!Thread)
            return;
        std::lock_guard<std::mutex> lock(Thread->FLock);
        Thread->FExited = true;
        Thread->FWake.notify_all();
    }
};

TTimerThread::TTimerThread(TThreadedTimer* AOwner) : FOwner(AOwner)
{
    HandOverEventType(); // register before the worker first needs it
}

TTimerThread::~TTimerThread()
{
    if (isRunning())
        TerminateAndWait();
}

int TTimerThread::HandOverEventType()
{
    static const int type = QEvent::registerEventType();
    return type;
}

std::uint32_t TTimerThread::Interval() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return FInterval;
}

void TTimerThread::SetInterval(std::uint32_t AInterval)
{
    std::lock_guard<std::mutex> lock(FLock);
    FInterval = AInterval;
}

void TTimerThread::SetStopEvent()
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        FStop = true;
    }
    FWake.notify_all();
}

bool TTimerThread::Paused() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return FPaused;
}

void TTimerThread::Pause()
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        FPaused = true;
        if (FHandOverPending)
            FHandOverStale = true;
    }
    // Ends a wait under way, so that a paused timer neither ticks nor wakes up again.
    FWake.notify_all();
}

void TTimerThread::Resume()
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        FPaused = false;
    }
    FWake.notify_all();
}

void TTimerThread::TerminateAndWait()
{
    if (!isRunning() && !isFinished())
        return; // never started (the system refused the thread): nothing to end
    {
        std::unique_lock<std::mutex> lock(FLock);
        FTerminateRequested = true;
        FStop = true;
        FPaused = false;
        // The window thread serves no events while it waits here, so a hand-over still
        // pending would never be delivered: cancel it. Its posted event dies with the timer.
        FHandOverPending = false;
        FHandOverEvent = nullptr;
        FWake.notify_all();
        FWake.wait(lock, [this] { return FExited; });
    }
    wait();
}

bool TTimerThread::IsHandOver(const QEvent* Event) const
{
    std::lock_guard<std::mutex> lock(FLock);
    return FHandOverPending && Event == FHandOverEvent;
}

bool TTimerThread::HandOverStale() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return FHandOverStale;
}

void TTimerThread::FinishHandOver()
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        FHandOverPending = false;
        FHandOverEvent = nullptr;
        FHandOverStale = false;
    }
    FWake.notify_all();
}

std::chrono::steady_clock::time_point TTimerThread::LastWaitEnd() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return FLastWaitEnd;
}

void TTimerThread::run()
{
    thread_local TExitSignal exitSignal;
    exitSignal.Thread = this;
#ifdef Q_OS_LINUX
    // The kernel may let a timed wait overrun by its timer slack (50 us by default) to
    // batch wake-ups; each tick's period would carry it. A tick is rare enough to wake
    // exactly.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif

    std::unique_lock<std::mutex> lock(FLock);
    const auto woken = [this] { return FStop || FPaused || FTerminateRequested; };
    for (;;) {
        FWake.wait(lock, [this] { return !FPaused || FTerminateRequested; });
        if (FTerminateRequested)
            break;

        bool interrupted = true;
        if (FInterval == INFINITE)
            FWake.wait(lock, woken);
        else
            interrupted = FWake.wait_until(
                lock, std::chrono::steady_clock::now() + std::chrono::milliseconds(FInterval),
                woken);
        if (interrupted) {
            // Stopped, paused or ending: no tick, and the event resets itself.
            FStop = false;
            continue;
        }

        // The interval has run out: hand the tick to the window thread and block until it
        // has been delivered. The event is built and recorded before the unlock; the
        // window thread recognises it by that record, under FLock, before reading or
        // freeing it, and so is ordered after its construction.
        FLastWaitEnd = std::chrono::steady_clock::now();
        auto* event = new QEvent(static_cast<QEvent::Type>(HandOverEventType()));
        FHandOverPending = true;
        FHandOverEvent = event;
        FHandOverStale = false;
        lock.unlock();
        QCoreApplication::postEvent(FOwner, event);
        lock.lock();
        FWake.wait(lock, [this] { return !FHandOverPending; });
    }
    // TerminateAndWait learns of the end through exitSignal, once QThread is done too.
}

TThreadedTimer::TThreadedTimer(QObject* AOwner)
    : QObject(AOwner), FTimerThread(std::make_unique<TTimerThread>(this)),
      FTickCounter(&TThreadedTimer::SystemTickCount)
{
    // The worker starts paused and sleeps until the first enabling; running its thread from
    // the beginning lets ThreadPriority take effect at once.
    FTimerThread->start(QThread::NormalPriority);
}

TThreadedTimer::~TThreadedTimer()
{
    FDestroying = true;
    FEnabled = false;
    FTimerThread->TerminateAndWait();
}

void TThreadedTimer::SetEnabled(bool Value)
{
    if (Value == FEnabled)
        return;
    FEnabled = Value;
    if (Value) {
        if (FTimerThread->Interval() > 0 || FAllowZero) {
            FTimerThread->SetStopEvent();
            FStartTick = static_cast<std::int32_t>(TickCount() -
                                                   static_cast<std::uint32_t>(FPositionFromStart));
            FTimerThread->Resume();
        }
    } else if (!FTimerThread->Paused()) {
        FPositionFromStart =
            static_cast<std::int32_t>(TickCount() - static_cast<std::uint32_t>(FStartTick));
        FTimerThread->Pause();
    }
}

std::uint32_t TThreadedTimer::Interval() const
{
    return FTimerThread->Interval();
}

void TThreadedTimer::SetInterval(std::uint32_t Value)
{
    if (Value == FTimerThread->Interval())
        return;
    const bool wasEnabled = FEnabled;
    SetEnabled(false);
    FTimerThread->SetInterval(Value);
    SetEnabled(wasEnabled);
}

TThreadPriority TThreadedTimer::ThreadPriority() const
{
    return static_cast<TThreadPriority>(FTimerThread->priority());
}

void TThreadedTimer::SetThreadPriority(TThreadPriority Value)
{
    FTimerThread->setPriority(static_cast<QThread::Priority>(Value));
}

void TThreadedTimer::SetPositionFromStart(std::int32_t Value)
{
    if (Value != FPositionFromStart)
        FPositionFromStart = Value;
}

void TThreadedTimer::SetTickCounter(TTickCounter Value)
{
    FTickCounter = Value ? std::move(Value) : TTickCounter(&TThreadedTimer::SystemTickCount);
}

std::uint32_t TThreadedTimer::SystemTickCount()
{
    // Milliseconds of the monotonic clock (time since boot), wrapping at 32 bits.
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::uint32_t TThreadedTimer::TickCount() const
{
    return FTickCounter();
}

std::chrono::steady_clock::time_point TThreadedTimer::LastWaitEnd() const
{
    return FTimerThread->LastWaitEnd();
}

bool TThreadedTimer::event(QEvent* Event)
{
    // The pointer first: only events of the window thread may be read without the lock.
    if (!FTimerThread->IsHandOver(Event))
        return QObject::event(Event);
    // The handler may even delete its own timer; the destructor has then released the
    // worker, and nothing of this object may be touched any more.
    const QPointer<TThreadedTimer> alive(this);
    if (!FTimerThread->HandOverStale())
        DoTimer();
    if (alive)
        FTimerThread->FinishHandOver();
    return true;
}

void TThreadedTimer::DoTimer()
{
    if (!FEnabled || !FOnTimer || FDestroying)
        return;
    // A copy, so that a handler which replaces OnTimer does not destroy itself mid-call.
    const TNotifyEvent handler = FOnTimer;
    try {
        handler(this);
    } catch (...) {
        // A failing tick handler must not stop the timer, and nothing is reported.
    }
}
