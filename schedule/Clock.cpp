#include "schedule/Clock.h"

#include "schedule/WakeSignal.h"

#include <ctime>
#include <thread>

namespace kelvanto
{

void Clock::SleepUnlessWoken(std::chrono::milliseconds duration, WakeSignal& wake)
{
    wake.WaitFor(duration);
}

TimeStamp SystemClock::Now() const
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    return TimeStamp {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
        local.tm_wday + 1};
}

void SystemClock::SleepFor(std::chrono::milliseconds duration)
{
    std::this_thread::sleep_for(duration);
}

} // namespace kelvanto
