#include "schedule/NextWake.h"

#include "schedule/DateTime.h"
#include "schedule/ScheduleMath.h"

#include <cstdint>

namespace kelvanto
{

namespace
{

DateTime MinuteOf(const TimeStamp& stamp)
{
    return DateTime::FromParts(stamp.year, stamp.month, stamp.day, stamp.hour, stamp.minute, 0);
}

// An interval counts from the minute in which the worker started (see IsDue), not from the
// last run, which a Run Immediately may have put between two due minutes.
TimeStamp NextIntervalMinute(const Task& task, const DateTime& nowMinute)
{
    const DateTime base = MinuteOf(task.startedTime);
    const std::int64_t interval = task.schedule.intervalMinutes;
    if (task.startedTime.year <= 0 || !base.IsValid() || interval < 1)
        return TimeStamp {};
    const std::int64_t elapsed = nowMinute.WholeMinutesSince(base);
    const std::int64_t next = elapsed < 0 ? interval : (elapsed / interval + 1) * interval;
    return base.AddMinutes(next).ToTimeStamp();
}

} // namespace

TimeStamp NextWakeTime(const Task& task, const TimeStamp& now)
{
    const DateTime nowMinute = MinuteOf(now);
    if (!nowMinute.IsValid())
        return TimeStamp {};
    TimeStamp wake;
    if (task.schedule.kind == ScheduleKind::TimeInterval) {
        wake = NextIntervalMinute(task, nowMinute);
    } else {
        Task copy = task;
        copy.nextRunTime = TimeStamp {};
        ComputeNextRun(copy, now);
        wake = copy.nextRunTime;
    }
    if (wake.year <= 0)
        return TimeStamp {};
    // The run time of the current minute, already run or not yet due in it: the next look
    // is at the next minute, where the next run is computed anew.
    const DateTime wakeMinute = MinuteOf(wake);
    if (!wakeMinute.IsValid() || !(nowMinute < wakeMinute))
        return nowMinute.AddMinutes(1).ToTimeStamp();
    return wakeMinute.ToTimeStamp();
}

TimeStamp EarlierWake(const TimeStamp& a, const TimeStamp& b)
{
    if (a.year <= 0)
        return b;
    if (b.year <= 0)
        return a;
    const DateTime first = DateTime::FromTimeStamp(a);
    const DateTime second = DateTime::FromTimeStamp(b);
    if (!first.IsValid())
        return b;
    if (!second.IsValid())
        return a;
    return second < first ? b : a;
}

} // namespace kelvanto
