// The instant at which a waiting worker must wake for a local due time, in zones with and
// without summer time (POSIX TZ rules, so that no zone database is needed).
#include "schedule/LocalInstant.h"

#include "tests/support/ZoneVariable.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

namespace kelvanto::test
{
namespace
{

namespace chr = std::chrono;

chr::system_clock::time_point Utc(int year, unsigned month, unsigned day, int hour, int minute, int second = 0)
{
    return chr::sys_days {chr::year {year} / static_cast<int>(month) / static_cast<int>(day)} + chr::hours(hour)
        + chr::minutes(minute) + chr::seconds(second);
}

TEST(FirstInstantShowing, SummerTimeChangesAndPlainZones)
{
    struct Row
    {
        const char* name;
        const char* zone;
        TimeStamp local;
        chr::system_clock::time_point notBefore;
        std::optional<chr::system_clock::time_point> expected;
    };
    // Central Europe: summer time from the last Sunday of March 02:00 (01:00 UTC) to the last
    // Sunday of October 03:00 (01:00 UTC). In 2026: 29 March and 25 October.
    const char* europe = "CET-1CEST,M3.5.0,M10.5.0/3";
    const auto early = Utc(2000, 1, 1, 0, 0);
    const Row rows[] = {
        {"winter", europe, {2026, 1, 15, 10, 30, 0, 5}, early, Utc(2026, 1, 15, 9, 30)},
        {"summer", europe, {2026, 7, 15, 10, 30, 0, 4}, early, Utc(2026, 7, 15, 8, 30)},
        {"skipped by the change to summer time: the change itself", europe, {2026, 3, 29, 2, 30, 0, 1}, early,
            Utc(2026, 3, 29, 1, 0)},
        {"shown twice: the first showing", europe, {2026, 10, 25, 2, 30, 0, 1}, early, Utc(2026, 10, 25, 0, 30)},
        {"shown twice, the first has passed: the second", europe, {2026, 10, 25, 2, 30, 0, 1}, Utc(2026, 10, 25, 0, 45),
            Utc(2026, 10, 25, 1, 30)},
        {"every showing has passed", europe, {2026, 10, 25, 2, 30, 0, 1}, Utc(2026, 10, 25, 2, 0), std::nullopt},
        {"no summer time", "UTC0", {2026, 3, 29, 2, 30, 12, 1}, early, Utc(2026, 3, 29, 2, 30, 12)},
        {"ahead of UTC", "<+0530>-5:30", {2026, 1, 1, 0, 0, 0, 5}, early, Utc(2025, 12, 31, 18, 30)},
        {"no valid date", europe, {2026, 2, 30, 10, 0, 0, 1}, early, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const ZoneVariable zone(row.zone);
        EXPECT_EQ(FirstInstantShowing(row.local, row.notBefore), row.expected);
    }
}

} // namespace
} // namespace kelvanto::test
