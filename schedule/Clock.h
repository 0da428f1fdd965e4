#pragma once

#include "model/TimeStamp.h"

#include <chrono>

namespace kelvanto
{

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
};

// The real clock: localtime_r and std::this_thread::sleep_for.
class SystemClock final : public Clock
{
public:
    TimeStamp Now() const override;
    void SleepFor(std::chrono::milliseconds duration) override;
};

} // namespace kelvanto
