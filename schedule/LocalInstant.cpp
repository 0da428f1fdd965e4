#include "schedule/LocalInstant.h"

#include "schedule/DateTime.h"

#include <algorithm>
#include <cstdint>
#include <ctime>

namespace kelvanto
{

namespace
{

// The local wall-clock time at `instant`, as seconds of the naive calendar.
std::int64_t LocalSeconds(std::time_t instant)
{
    std::tm local {};
    localtime_r(&instant, &local);
    return DateTime::FromParts(
        local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec)
        .Seconds();
}

} // namespace

std::optional<std::chrono::system_clock::time_point> FirstInstantShowing(
    const TimeStamp& local, std::chrono::system_clock::time_point notBefore)
{
    const std::time_t earliest = std::chrono::system_clock::to_time_t(notBefore);
    const DateTime target
        = DateTime::FromParts(local.year, local.month, local.day, local.hour, local.minute, local.second);
    if (!target.IsValid())
        return std::nullopt;
    // mktime reads the time once as standard time and once as summer time; where the zone
    // has no summer time both give the same instant.
    std::optional<std::time_t> shown;
    std::optional<std::time_t> low;
    std::optional<std::time_t> high;
    for (const int summer : {0, 1}) {
        std::tm parts {};
        parts.tm_year = local.year - 1900;
        parts.tm_mon = local.month - 1;
        parts.tm_mday = local.day;
        parts.tm_hour = local.hour;
        parts.tm_min = local.minute;
        parts.tm_sec = local.second;
        parts.tm_isdst = summer;
        const std::time_t instant = std::mktime(&parts);
        if (instant == static_cast<std::time_t>(-1))
            continue;
        low = low ? std::min(*low, instant) : instant;
        high = high ? std::max(*high, instant) : instant;
        if (instant >= earliest && LocalSeconds(instant) == target.Seconds())
            shown = shown ? std::min(*shown, instant) : instant;
    }
    if (!shown && low && LocalSeconds(*low) != target.Seconds() && LocalSeconds(*high) != target.Seconds()) {
        // A skipped time: the two readings lie on either side of the change, and between
        // them the local time only grows. Find the first instant that shows a later time.
        std::time_t first = *low;
        std::time_t last = *high;
        while (first < last) {
            const std::time_t middle = first + (last - first) / 2;
            if (LocalSeconds(middle) >= target.Seconds())
                last = middle;
            else
                first = middle + 1;
        }
        if (last >= earliest)
            shown = last;
    }
    if (!shown)
        return std::nullopt;
    return std::chrono::system_clock::from_time_t(*shown);
}

} // namespace kelvanto
