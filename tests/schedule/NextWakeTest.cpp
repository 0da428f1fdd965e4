// A waiting worker sleeps until NextWakeTime: no minute before it may be due. Checked for
// random schedules of every kind, random starts, last runs and times, minute by minute
// against IsDue itself over the following days.
#include "schedule/NextWake.h"

#include "schedule/DateTime.h"
#include "schedule/ScheduleMath.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>

namespace kelvanto::test
{
namespace
{

std::string Text(const TimeStamp& t)
{
    return std::to_string(t.year) + "-" + std::to_string(t.month) + "-" + std::to_string(t.day) + " "
        + std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" + std::to_string(t.second);
}

Task RandomTask(std::minstd_rand& random, const DateTime& now)
{
    Task task;
    task.status = TaskStatus::Waiting;
    Schedule& schedule = task.schedule;
    schedule.kind = static_cast<ScheduleKind>(random() % 6); // Manual ... TimeInterval
    schedule.hour = static_cast<int>(random() % 24);
    schedule.minute = static_cast<int>(random() % 60);
    for (auto& day : schedule.weekDays)
        day = random() % 3 == 0 ? 1 : 0;
    for (auto& day : schedule.monthDays)
        day = random() % 8 == 0 ? 1 : 0;
    const DateTime special = now.AddDays(static_cast<int>(random() % 9) - 4);
    schedule.specialYear = special.ToTimeStamp().year;
    schedule.specialMonth = special.ToTimeStamp().month;
    schedule.specialDay = special.ToTimeStamp().day;
    schedule.repeatDays = static_cast<int>(random() % 4) - 1;
    schedule.intervalMinutes = 1 + static_cast<int>(random() % 200);
    task.startedTime = now.AddSeconds(-static_cast<int>(random() % 20000)).ToTimeStamp();
    // A last run in the current minute (just run), at a random earlier time, or none.
    const int last = static_cast<int>(random() % 3);
    if (last == 0)
        task.lastRunTime = now.ToTimeStamp();
    else if (last == 1)
        task.lastRunTime = now.AddSeconds(-static_cast<int>(random() % 5000)).ToTimeStamp();
    return task;
}

TEST(NextWakeTime, NoMinuteBeforeTheWakeIsDueAndTheFirstDueMinuteIsNotMissed)
{
    std::minstd_rand random(20261207);
    constexpr int kMinutesWalked = 3 * 1440;
    for (int round = 0; round < 300; ++round) {
        // Month ends, the leap day and a year end are among the starting days.
        const DateTime starts[] = {DateTime::FromParts(2028, 2, 28, 23, 58, 30),
            DateTime::FromParts(2026, 12, 31, 10, 0, 0), DateTime::FromParts(2027, 6, 15, 0, 0, 59)};
        const DateTime now = starts[round % 3].AddSeconds(static_cast<int>(random() % 200000));
        const Task task = RandomTask(random, now);
        if (IsDue(task, now.ToTimeStamp()))
            continue; // a due task runs instead of waiting
        const TimeStamp wake = NextWakeTime(task, now.ToTimeStamp());
        SCOPED_TRACE("round " + std::to_string(round) + " kind " + std::to_string(static_cast<int>(task.schedule.kind))
            + " now " + Text(now.ToTimeStamp()) + " wake " + Text(wake));
        const DateTime nowMinute = DateTime::FromParts(now.ToTimeStamp().year, now.ToTimeStamp().month,
            now.ToTimeStamp().day, now.ToTimeStamp().hour, now.ToTimeStamp().minute, 0);
        std::optional<DateTime> firstDue;
        for (int ahead = 1; ahead <= kMinutesWalked && !firstDue; ++ahead) {
            // A random second of the minute: only the minute may matter.
            const DateTime minute = nowMinute.AddMinutes(ahead).AddSeconds(static_cast<int>(random() % 60));
            if (IsDue(task, minute.ToTimeStamp()))
                firstDue = nowMinute.AddMinutes(ahead);
        }
        if (wake.year <= 0) {
            EXPECT_FALSE(firstDue) << "due at " << Text(firstDue->ToTimeStamp());
            continue;
        }
        const DateTime wakeTime = DateTime::FromTimeStamp(wake);
        EXPECT_EQ(wake.second, 0);
        EXPECT_TRUE(nowMinute < wakeTime);
        if (firstDue) {
            EXPECT_FALSE(*firstDue < wakeTime) << "due at " << Text(firstDue->ToTimeStamp());
        }
        // No needless wakes: the worker wakes at the due minute itself, or at the next
        // minute after a run in (or a run time of) the current minute.
        if (firstDue && !(wakeTime == *firstDue)) {
            EXPECT_TRUE(wakeTime == nowMinute.AddMinutes(1)) << "due at " << Text(firstDue->ToTimeStamp());
        }
    }
}

} // namespace
} // namespace kelvanto::test
