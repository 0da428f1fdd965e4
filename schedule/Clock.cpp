#include "schedule/Clock.h"

#include "schedule/ClockChangeWatcher.h"
#include "schedule/DateTime.h"
#include "schedule/LocalInstant.h"
#include "schedule/WakeSignal.h"

#include <algorithm>
#include <ctime>
#include <thread>
#include <utility>

namespace kelvanto
{

namespace
{

constexpr std::chrono::milliseconds kDefaultSleepStep {500};

} // namespace

void Clock::SleepUnlessWoken(std::chrono::milliseconds duration, WakeSignal& wake)
{
    wake.WaitFor(duration);
}

void Clock::SleepUntil(const TimeStamp& until, WakeSignal& wake)
{
    const DateTime end = DateTime::FromTimeStamp(until);
    const DateTime now = DateTime::FromTimeStamp(Now());
    std::chrono::milliseconds step = kDefaultSleepStep;
    if (end.IsValid() && now.IsValid())
        step = std::clamp(std::chrono::milliseconds((end.Seconds() - now.Seconds()) * 1000),
            std::chrono::milliseconds(0), kDefaultSleepStep);
    SleepUnlessWoken(step, wake);
}

void Clock::AddChangeListener(WakeSignal& wake)
{
    m_listeners.Add(wake);
}

void Clock::RemoveChangeListener(WakeSignal& wake)
{
    m_listeners.Remove(wake);
}

void Clock::NotifyChange()
{
    m_listeners.RingAll();
}

ClockChangeListening::ClockChangeListening(Clock& clock, WakeSignal& wake)
    : m_clock(clock)
    , m_wake(wake)
{
    m_clock.AddChangeListener(m_wake);
}

ClockChangeListening::~ClockChangeListening()
{
    m_clock.RemoveChangeListener(m_wake);
}

SystemClock::SystemClock(std::filesystem::path zoneFile)
    : m_zoneFile(std::move(zoneFile))
{ }

SystemClock::~SystemClock() = default;

TimeStamp SystemClock::Now() const
{
    // CLOCK_REALTIME rather than time(): time() reads a coarse clock that may still show the
    // previous second for a moment after a wait on the wall clock has ended at a due minute.
    timespec exact {};
    clock_gettime(CLOCK_REALTIME, &exact);
    const std::time_t now = exact.tv_sec;
    std::tm local {};
    localtime_r(&now, &local);
    return TimeStamp {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
        local.tm_wday + 1};
}

void SystemClock::SleepFor(std::chrono::milliseconds duration)
{
    std::this_thread::sleep_for(duration);
}

void SystemClock::SleepUntil(const TimeStamp& until, WakeSignal& wake)
{
    if (until.year <= 0) {
        wake.WaitUntil(std::nullopt);
        return;
    }
    // to_time_t truncates: a wait that begins within the second that shows `until` - 1 s
    // still finds that second's showing of `until`.
    const auto now = std::chrono::system_clock::now();
    const auto instant = FirstInstantShowing(until, now - std::chrono::seconds(1));
    // A stamp that the local clock never shows from now on (no valid time) must not make
    // the caller spin: it looks again in a second.
    wake.WaitUntil(instant ? *instant : now + std::chrono::seconds(1));
}

void SystemClock::AddChangeListener(WakeSignal& wake)
{
    {
        std::lock_guard lock(m_watcherMutex);
        if (!m_watcher)
            m_watcher = std::make_unique<ClockChangeWatcher>(m_zoneFile, [this] { NotifyChange(); });
    }
    Clock::AddChangeListener(wake);
}

} // namespace kelvanto
