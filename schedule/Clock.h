#pragma once

#include "model/TimeStamp.h"
#include "schedule/ClockListeners.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>

namespace kelvanto
{

class ClockChangeWatcher;
class WakeSignal;

// The source of "now" and of waiting. Passed in, never read from a global, so that
// the schedule, the runner and the log run in virtual time under test.
class Clock
{
public:
    virtual ~Clock() = default;
    // The current local wall-clock time, seconds and weekday included.
    virtual TimeStamp Now() const = 0;
    // Waits for the given duration (virtual time advances instead under test).
    virtual void SleepFor(std::chrono::milliseconds duration) = 0;
    // Waits like SleepFor, but returns as soon as `wake` is rung (a stop or a run request
    // for the sleeping worker). The default waits in real time on the signal.
    virtual void SleepUnlessWoken(std::chrono::milliseconds duration, WakeSignal& wake);
    // Waits until the local time is `until` or later, or `wake` is rung; no time (year 0)
    // waits for the ring alone. It may return earlier: the caller looks at the time again.
    // The default waits through SleepUnlessWoken in steps of at most 500 ms.
    virtual void SleepUntil(const TimeStamp& until, WakeSignal& wake);

    // From Add to Remove, `wake` is rung whenever the wall clock is set or the local time
    // zone changes (a waiting worker then computes its due times anew).
    virtual void AddChangeListener(WakeSignal& wake);
    void RemoveChangeListener(WakeSignal& wake);

protected:
    // Rings every listener; called by a clock that noticed a change.
    void NotifyChange();

private:
    ClockListeners m_listeners;
};

// Keeps a doorbell among a clock's change listeners for as long as it lives.
class ClockChangeListening
{
public:
    ClockChangeListening(Clock& clock, WakeSignal& wake);
    ~ClockChangeListening();
    ClockChangeListening(const ClockChangeListening&) = delete;
    ClockChangeListening& operator=(const ClockChangeListening&) = delete;

private:
    Clock& m_clock;
    WakeSignal& m_wake;
};

// The real clock: the local time from CLOCK_REALTIME and localtime_r, waits on the wall
// clock itself. Clock sets and changes of the zone file are watched by a thread that the
// first change listener starts.
class SystemClock final : public Clock
{
public:
    explicit SystemClock(std::filesystem::path zoneFile = "/etc/localtime");
    ~SystemClock() override;
    SystemClock(const SystemClock&) = delete;
    SystemClock& operator=(const SystemClock&) = delete;

    TimeStamp Now() const override;
    void SleepFor(std::chrono::milliseconds duration) override;
    void SleepUntil(const TimeStamp& until, WakeSignal& wake) override;
    void AddChangeListener(WakeSignal& wake) override;

private:
    std::filesystem::path m_zoneFile;
    std::mutex m_watcherMutex;
    std::unique_ptr<ClockChangeWatcher> m_watcher;
};

} // namespace kelvanto
