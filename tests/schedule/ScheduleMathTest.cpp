// The due test and the next-run computation on the hand-picked cases: the order of the status
// tests, each schedule kind at and around its run time, and month, leap-day and year ends.
#include "schedule/ScheduleMath.h"

#include "schedule/DateTime.h"

#include <gtest/gtest.h>

#include <climits>

namespace kelvanto::test
{
namespace
{

// A stamp with the weekday of its date.
TimeStamp At(int year, int month, int day, int hour, int minute, int second = 0)
{
    const TimeStamp stamp = DateTime::FromParts(year, month, day, hour, minute, second).ToTimeStamp();
    EXPECT_FALSE(stamp.isNever()) << "bad test date";
    return stamp;
}

Schedule Daily(int hour, int minute)
{
    Schedule schedule;
    schedule.kind = ScheduleKind::EveryDay;
    schedule.hour = hour;
    schedule.minute = minute;
    return schedule;
}

Schedule Weekly(int hour, int minute, std::initializer_list<int> days) // 0 = Sunday
{
    Schedule schedule = Daily(hour, minute);
    schedule.kind = ScheduleKind::EveryWeek;
    for (const int day : days) {
        schedule.weekDays[day] = 1;
    }
    return schedule;
}

Schedule Monthly(int hour, int minute, std::initializer_list<int> days) // 1 = the 1st
{
    Schedule schedule = Daily(hour, minute);
    schedule.kind = ScheduleKind::EveryMonth;
    for (const int day : days) {
        schedule.monthDays[day - 1] = 1;
    }
    return schedule;
}

Schedule Special(int year, int month, int day, int hour, int minute, int repeatDays)
{
    Schedule schedule = Daily(hour, minute);
    schedule.kind = ScheduleKind::SpecialDate;
    schedule.specialYear = year;
    schedule.specialMonth = month;
    schedule.specialDay = day;
    schedule.repeatDays = repeatDays;
    return schedule;
}

Schedule Interval(int minutes)
{
    Schedule schedule;
    schedule.kind = ScheduleKind::TimeInterval;
    schedule.intervalMinutes = minutes;
    return schedule;
}

Task Waiting(const Schedule& schedule, TimeStamp started = {}, TimeStamp lastRun = {})
{
    Task task;
    task.status = TaskStatus::Waiting;
    task.schedule = schedule;
    task.startedTime = started;
    task.lastRunTime = lastRun;
    return task;
}

TEST(IsDue, StatusAndRunNowComeFirst)
{
    struct Row
    {
        const char* name;
        int status;
        std::uint8_t runNow;
        Schedule schedule;
        TimeStamp lastRun;
        bool expected;
    };
    const TimeStamp now = At(2027, 3, 10, 10, 30, 20);
    const Row rows[] = {
        {"running, even with run now", 3, 1, Daily(10, 30), {}, false},
        {"stopped with run now", 2, 1, Schedule {}, {}, true},
        {"stopped at the run time", 2, 0, Daily(10, 30), {}, false},
        {"unknown status with run now", 9, 1, Daily(10, 30), {}, false},
        {"waiting manual with run now", 1, 1, Schedule {}, {}, true},
        {"waiting manual", 1, 0, Schedule {}, {}, false},
        {"run now beats the once-per-minute rule", 1, 1, Daily(10, 30), At(2027, 3, 10, 10, 30, 2), true},
        {"once per minute", 1, 0, Daily(10, 30), At(2027, 3, 10, 10, 30, 2), false},
        {"run in the same minute of another day", 1, 0, Daily(10, 30), At(2027, 3, 9, 10, 30, 2), true},
        {"unknown kind", 1, 0, Schedule {static_cast<ScheduleKind>(6)}, {}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Task task = Waiting(row.schedule, {}, row.lastRun);
        task.status = static_cast<TaskStatus>(row.status);
        task.runNow = row.runNow;
        EXPECT_EQ(IsDue(task, now), row.expected);
    }
}

// Every Day at 10:30 through the day of a run that began at 10:30:02.
TEST(IsDue, EveryDayRunsOncePerDayAndAnnouncesTheNextDay)
{
    Task task = Waiting(Daily(10, 30));
    EXPECT_FALSE(IsDue(task, At(2027, 3, 10, 10, 29, 59)));
    EXPECT_TRUE(IsDue(task, At(2027, 3, 10, 10, 30, 45)));
    ComputeNextRun(task, At(2027, 3, 10, 10, 30, 45));
    EXPECT_EQ(task.nextRunTime, At(2027, 3, 10, 10, 30));

    task.lastRunTime = At(2027, 3, 10, 10, 30, 2);
    for (const TimeStamp& now : {At(2027, 3, 10, 10, 30, 3), At(2027, 3, 10, 10, 30, 59), At(2027, 3, 10, 10, 31),
             At(2027, 3, 10, 23, 59, 59), At(2027, 3, 11, 10, 29, 59)}) {
        EXPECT_FALSE(IsDue(task, now)) << now.day << " " << now.hour << ":" << now.minute << ":" << now.second;
    }
    ComputeNextRun(task, At(2027, 3, 10, 10, 30, 59));
    EXPECT_EQ(task.nextRunTime, At(2027, 3, 10, 10, 30)); // the current minute still counts as not passed
    ComputeNextRun(task, At(2027, 3, 10, 10, 31));
    EXPECT_EQ(task.nextRunTime, At(2027, 3, 11, 10, 30));
    EXPECT_TRUE(IsDue(task, At(2027, 3, 11, 10, 30)));
}

TEST(IsDue, ByKind)
{
    struct Row
    {
        const char* name;
        Schedule schedule;
        TimeStamp started;
        TimeStamp lastRun;
        TimeStamp now;
        bool expected;
    };
    const TimeStamp started = At(2027, 3, 10, 9, 17, 40);
    const Row rows[] = {
        // 10 March 2027 is a Wednesday.
        {"week: the chosen weekday", Weekly(10, 30, {3}), {}, {}, At(2027, 3, 10, 10, 30, 59), true},
        {"week: another weekday", Weekly(10, 30, {3}), {}, {}, At(2027, 3, 11, 10, 30), false},
        {"week: no weekday chosen", Weekly(10, 30, {}), {}, {}, At(2027, 3, 10, 10, 30), false},
        {"month: the 31st", Monthly(0, 0, {31}), {}, {}, At(2027, 1, 31, 0, 0, 30), true},
        {"month: the 30th", Monthly(0, 0, {31}), {}, {}, At(2027, 4, 30, 0, 0), false},
        {"month: leap day", Monthly(23, 59, {29}), {}, {}, At(2028, 2, 29, 23, 59), true},
        {"once: the date", Special(2005, 3, 10, 10, 0, 0), {}, {}, At(2005, 3, 10, 10, 0), true},
        {"once: a minute late", Special(2005, 3, 10, 10, 0, 0), {}, {}, At(2005, 3, 10, 10, 1), false},
        {"once: a day later", Special(2005, 3, 10, 10, 0, 0), {}, {}, At(2005, 3, 11, 10, 0), false},
        {"every 3: the day before", Special(2005, 3, 10, 10, 0, 3), {}, {}, At(2005, 3, 9, 10, 0), false},
        {"every 3: the date", Special(2005, 3, 10, 10, 0, 3), {}, {}, At(2005, 3, 10, 10, 0), true},
        {"every 3: next day", Special(2005, 3, 10, 10, 0, 3), {}, {}, At(2005, 3, 11, 10, 0), false},
        {"every 3: the 13th", Special(2005, 3, 10, 10, 0, 3), {}, {}, At(2005, 3, 13, 10, 0, 59), true},
        {"every 3: the 13th at 10:01", Special(2005, 3, 10, 10, 0, 3), {}, {}, At(2005, 3, 13, 10, 1), false},
        {"every 3: the 16th", Special(2005, 3, 10, 10, 0, 3), {}, {}, At(2005, 3, 16, 10, 0), true},
        {"every 3: across the year", Special(2004, 12, 30, 10, 0, 3), {}, {}, At(2005, 1, 2, 10, 0), true},
        {"every 366: across a leap day", Special(2027, 3, 1, 8, 0, 366), {}, {}, At(2028, 3, 1, 8, 0), true},
        {"negative repeat", Special(2005, 3, 10, 10, 0, -3), {}, {}, At(2005, 3, 10, 10, 0), false},
        {"special date not in the calendar", Special(2005, 2, 30, 10, 0, 2), {}, {}, At(2005, 3, 4, 10, 0), false},
        {"interval: the start minute", Interval(60), started, {}, At(2027, 3, 10, 9, 17, 50), false},
        {"interval: one second short", Interval(60), started, {}, At(2027, 3, 10, 10, 16, 59), false},
        {"interval: counted from the start minute", Interval(60), started, {}, At(2027, 3, 10, 10, 17), true},
        {"interval: end of that minute", Interval(60), started, {}, At(2027, 3, 10, 10, 17, 59), true},
        {"interval: the minute after", Interval(60), started, {}, At(2027, 3, 10, 10, 18), false},
        {"interval: run already in this minute", Interval(60), started, At(2027, 3, 10, 10, 17, 5),
            At(2027, 3, 10, 10, 17, 30), false},
        {"interval: not from the last run", Interval(60), started, At(2027, 3, 10, 10, 17, 5),
            At(2027, 3, 10, 11, 17, 1), true},
        {"interval: not started", Interval(60), {}, {}, At(2027, 3, 10, 10, 17), false},
        {"interval 0 from a hand-made file", Interval(0), started, {}, At(2027, 3, 10, 10, 17), false},
        {"interval 1 over the year end", Interval(1), At(2027, 12, 31, 23, 59, 59), {}, At(2028, 1, 1, 0, 0), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(IsDue(Waiting(row.schedule, row.started, row.lastRun), row.now), row.expected);
    }
}

// The interval count turns an exact multiple of a minute into that many whole minutes, however
// far the start lies back; one second earlier it is a minute less.
TEST(IsDue, IntervalCountIsExactOverLongSpans)
{
    for (const int interval : {1, 7, 1441, 99999}) {
        SCOPED_TRACE(interval);
        const TimeStamp started = At(2027, 1, 1, 0, 0, 37);
        const Task task = Waiting(Interval(interval), started);
        const DateTime base = DateTime::FromParts(2027, 1, 1, 0, 0, 0);
        for (long long k = 1; k * interval <= 20LL * 366 * 1440; k += 1 + k / 3) {
            const DateTime due = base.AddMinutes(k * interval);
            ASSERT_TRUE(IsDue(task, due.ToTimeStamp())) << k;
            ASSERT_EQ(IsDue(task, due.AddSeconds(-1).ToTimeStamp()), interval == 1 && k > 1) << k;
            ASSERT_EQ(IsDue(task, due.AddMinutes(1).ToTimeStamp()), interval == 1) << k;
        }
    }
}

TEST(ComputeNextRun, ByKind)
{
    struct Row
    {
        const char* name;
        Schedule schedule;
        TimeStamp now;
        TimeStamp expected;
    };
    const Row rows[] = {
        {"day: before the run time", Daily(10, 30), At(2027, 3, 10, 10, 29, 59), At(2027, 3, 10, 10, 30)},
        {"day: after the run time", Daily(10, 30), At(2027, 3, 10, 10, 31), At(2027, 3, 11, 10, 30)},
        {"day: year end", Daily(0, 0), At(2027, 12, 31, 0, 1), At(2028, 1, 1, 0, 0)},
        {"day: into the leap day", Daily(5, 0), At(2028, 2, 28, 6, 0), At(2028, 2, 29, 5, 0)},
        {"day: run time not in the clock", Daily(24, 0), At(2027, 3, 10, 10, 0), {}},
        {"day: past the year 9999", Daily(0, 0), At(9999, 12, 31, 1, 0), {}},
        // 10 March 2027 is a Wednesday.
        {"week: Wednesday before the run time", Weekly(10, 30, {3}), At(2027, 3, 10, 9, 0), At(2027, 3, 10, 10, 30)},
        {"week: Wednesday after the run time", Weekly(10, 30, {3}), At(2027, 3, 10, 11, 0), At(2027, 3, 17, 10, 30)},
        {"week: Saturday to Sunday", Weekly(8, 0, {0}), At(2027, 3, 13, 9, 0), At(2027, 3, 14, 8, 0)},
        {"week: the nearest of two", Weekly(8, 0, {1, 5}), At(2027, 3, 10, 9, 0), At(2027, 3, 12, 8, 0)},
        {"week: over the year end", Weekly(8, 0, {2}), At(2027, 12, 29, 9, 0), At(2028, 1, 4, 8, 0)},
        {"week: no weekday", Weekly(8, 0, {}), At(2027, 3, 10, 9, 0), {}},
        {"month: 30 April, only the 31st", Monthly(10, 0, {31}), At(2027, 4, 30, 11, 0), At(2027, 5, 31, 10, 0)},
        {"month: 31 January, only the 31st", Monthly(10, 0, {31}), At(2027, 1, 31, 11, 0), At(2027, 3, 31, 10, 0)},
        {"month: 31 December, only the 1st", Monthly(10, 0, {1}), At(2027, 12, 31, 11, 0), At(2028, 1, 1, 10, 0)},
        {"month: today still to come", Monthly(10, 0, {31}), At(2027, 1, 31, 10, 0, 59), At(2027, 1, 31, 10, 0)},
        {"month: 29th, common year", Monthly(10, 0, {29}), At(2027, 1, 29, 11, 0), At(2027, 3, 29, 10, 0)},
        {"month: 29th, leap year", Monthly(10, 0, {29}), At(2028, 1, 29, 11, 0), At(2028, 2, 29, 10, 0)},
        {"month: 29th, century year", Monthly(10, 0, {29}), At(2100, 1, 29, 11, 0), At(2100, 3, 29, 10, 0)},
        {"month: none chosen", Monthly(10, 0, {}), At(2027, 1, 29, 11, 0), {}},
        {"once: the day before", Special(2005, 3, 10, 10, 0, 0), At(2005, 3, 9, 12, 0), At(2005, 3, 10, 10, 0)},
        {"once: the run minute", Special(2005, 3, 10, 10, 0, 0), At(2005, 3, 10, 10, 0, 30), At(2005, 3, 10, 10, 0)},
        {"once: passed", Special(2005, 3, 10, 10, 0, 0), At(2005, 3, 10, 10, 1), {}},
        {"once: years before", Special(2005, 3, 10, 10, 0, 0), At(2001, 12, 31, 23, 0), At(2005, 3, 10, 10, 0)},
        {"every 3: before the date", Special(2005, 3, 10, 10, 0, 3), At(2005, 3, 1, 12, 0), At(2005, 3, 10, 10, 0)},
        {"every 3: the date, passed", Special(2005, 3, 10, 10, 0, 3), At(2005, 3, 10, 10, 1), At(2005, 3, 13, 10, 0)},
        {"every 3: in between", Special(2005, 3, 10, 10, 0, 3), At(2005, 3, 11, 9, 0), At(2005, 3, 13, 10, 0)},
        {"every 3: 13th, 09:00", Special(2005, 3, 10, 10, 0, 3), At(2005, 3, 13, 9, 0), At(2005, 3, 13, 10, 0)},
        {"every 3: 13th, 11:00", Special(2005, 3, 10, 10, 0, 3), At(2005, 3, 13, 11, 0), At(2005, 3, 16, 10, 0)},
        {"every 1: passed today", Special(2005, 3, 10, 10, 0, 1), At(2005, 3, 20, 11, 0), At(2005, 3, 21, 10, 0)},
        {"every 1000: years on", Special(2005, 3, 10, 10, 0, 1000), At(2010, 1, 1, 0, 0), At(2010, 8, 31, 10, 0)},
        {"negative repeat", Special(2005, 3, 10, 10, 0, -1), At(2005, 3, 1, 0, 0), {}},
        {"huge repeat, passed", Special(2005, 3, 10, 10, 0, INT_MAX), At(2005, 3, 11, 0, 0), {}},
        {"date not in the calendar", Special(2005, 2, 30, 10, 0, 2), At(2005, 3, 11, 0, 0), {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Task task = Waiting(row.schedule);
        task.nextRunTime = At(1999, 1, 1, 0, 0); // a stale value to be replaced or cleared
        ComputeNextRun(task, row.now);
        EXPECT_EQ(task.nextRunTime, row.expected);
    }
}

TEST(ComputeNextRun, TimeIntervalCountsFromTheLaterOfStartAndLastRun)
{
    struct Row
    {
        const char* name;
        int interval;
        TimeStamp started;
        TimeStamp lastRun;
        TimeStamp expected;
    };
    const TimeStamp stale = At(1999, 1, 1, 0, 0);
    const TimeStamp started = At(2027, 3, 10, 9, 17, 40);
    const Row rows[] = {
        {"no run yet", 60, started, {}, At(2027, 3, 10, 10, 17)},
        {"after a run", 60, started, At(2027, 3, 10, 10, 17, 5), At(2027, 3, 10, 11, 17)},
        {"run of an earlier start", 60, started, At(2027, 3, 9, 23, 0, 5), At(2027, 3, 10, 10, 17)},
        {"run in the start minute", 60, started, At(2027, 3, 10, 9, 17, 59), At(2027, 3, 10, 10, 17)},
        {"over the leap day", 1440, At(2028, 2, 28, 12, 0, 1), {}, At(2028, 2, 29, 12, 0)},
        {"not started: unchanged", 60, {}, At(2027, 3, 10, 10, 17, 5), stale},
        {"interval 0: no next run", 0, started, {}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Task task = Waiting(Interval(row.interval), row.started, row.lastRun);
        task.nextRunTime = stale;
        ComputeNextRun(task, At(2030, 1, 1, 0, 0)); // the current time plays no part
        EXPECT_EQ(task.nextRunTime, row.expected);
    }
}

TEST(ComputeNextRun, ManualClearsAndUnknownKindKeeps)
{
    Task task = Waiting(Schedule {});
    task.nextRunTime = At(2027, 3, 10, 10, 0);
    ComputeNextRun(task, At(2027, 3, 10, 9, 0));
    EXPECT_TRUE(task.nextRunTime.isNever());

    task.schedule.kind = static_cast<ScheduleKind>(9);
    task.nextRunTime = At(2027, 3, 10, 10, 0);
    ComputeNextRun(task, At(2027, 3, 10, 9, 0));
    EXPECT_EQ(task.nextRunTime, At(2027, 3, 10, 10, 0));
}

} // namespace
} // namespace kelvanto::test
