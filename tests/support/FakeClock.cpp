#include "tests/support/FakeClock.h"

#include "schedule/DateTime.h"
#include "schedule/WakeSignal.h"

namespace kelvanto::test
{

FakeClock::FakeClock(const TimeStamp& start, std::chrono::milliseconds realPause)
    : m_realPause(realPause)
{
    Set(start);
}

TimeStamp FakeClock::Now() const
{
    std::lock_guard lock(m_mutex);
    const std::int64_t seconds = m_startSeconds + m_elapsedMs / 1000;
    return DateTime::FromDate(1970, 1, 1).AddSeconds(seconds).ToTimeStamp();
}

void FakeClock::SleepFor(std::chrono::milliseconds duration)
{
    std::lock_guard lock(m_mutex);
    if (!m_frozen)
        m_elapsedMs += duration.count();
}

void FakeClock::SleepUnlessWoken(std::chrono::milliseconds duration, WakeSignal& wake)
{
    if (wake.WaitFor(m_realPause))
        return;
    SleepFor(duration);
}

void FakeClock::SleepUntil(const TimeStamp& until, WakeSignal& wake)
{
    bool frozen = false;
    {
        std::lock_guard lock(m_mutex);
        frozen = m_frozen;
    }
    // A thaw after this look rings the listeners, and the ring waits for this sleep.
    if (frozen)
        wake.WaitUntil(std::nullopt);
    else
        Clock::SleepUntil(until, wake);
}

void FakeClock::Set(const TimeStamp& now)
{
    const DateTime start = DateTime::FromTimeStamp(now);
    {
        std::lock_guard lock(m_mutex);
        m_startSeconds = start.IsValid() ? start.Seconds() : 0;
        m_elapsedMs = 0;
    }
    // A set is a jump of the wall clock: waiting workers compute their due times anew.
    NotifyChange();
}

void FakeClock::Advance(std::chrono::milliseconds duration)
{
    std::lock_guard lock(m_mutex);
    m_elapsedMs += duration.count();
}

void FakeClock::Freeze(bool frozen)
{
    {
        std::lock_guard lock(m_mutex);
        m_frozen = frozen;
    }
    NotifyChange();
}

} // namespace kelvanto::test
