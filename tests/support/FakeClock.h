#pragma once

#include "model/TimeStamp.h"
#include "schedule/Clock.h"

#include <chrono>
#include <cstdint>
#include <mutex>

namespace kelvanto::test
{

// Virtual local time for the schedule, runner and log tests. Sleeping advances the time
// instead of waiting; an interruptible sleep first pauses for a short real moment (so
// that many waiting workers do not spin) and returns without advancing when it is woken.
// A sleep until a time advances it by at most 500 ms per call (Clock's default), so that
// a test sees every minute go by. Set is a jump of the clock: it rings the change
// listeners, like a set of the real wall clock. Safe to use from any number of threads.
class FakeClock final : public Clock
{
public:
    explicit FakeClock(const TimeStamp& start, std::chrono::milliseconds realPause = std::chrono::milliseconds(1));

    TimeStamp Now() const override;
    void SleepFor(std::chrono::milliseconds duration) override;
    void SleepUnlessWoken(std::chrono::milliseconds duration, WakeSignal& wake) override;
    // Frozen, the time never reaches `until`: only a ring (a command for the worker, Set,
    // Freeze) ends the wait, as a real sleep would end. Else as Clock's default.
    void SleepUntil(const TimeStamp& until, WakeSignal& wake) override;

    // Jumps to `now` and rings the change listeners.
    void Set(const TimeStamp& now);
    void Advance(std::chrono::milliseconds duration);
    // When frozen, sleeps no longer advance the time (Advance and Set still do). A change
    // rings the change listeners.
    void Freeze(bool frozen);

private:
    mutable std::mutex m_mutex;
    std::int64_t m_startSeconds = 0; // seconds from 1970-01-01 of the start stamp
    std::int64_t m_elapsedMs = 0;
    std::chrono::milliseconds m_realPause;
    bool m_frozen = false;
};

} // namespace kelvanto::test
