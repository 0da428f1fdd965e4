#include "schedule/ScheduleMath.h"

#include "schedule/DateTime.h"

#include <cmath>
#include <cstdint>
#include <tuple>

namespace kelvanto
{
namespace
{

bool IsChosen(std::uint8_t flag)
{
    return flag != 0;
}

// The hour and minute of `now` equal the run time; seconds are ignored.
bool TimeMatches(const Schedule& schedule, const TimeStamp& now)
{
    return now.hour == schedule.hour && now.minute == schedule.minute;
}

// The run time has not yet passed today: the current minute still counts as not passed.
bool RunTimeNotPassed(const Schedule& schedule, const TimeStamp& now)
{
    return now.hour < schedule.hour || (now.hour == schedule.hour && now.minute <= schedule.minute);
}

bool SameMinute(const TimeStamp& a, const TimeStamp& b)
{
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute;
}

auto DateOf(const TimeStamp& stamp)
{
    return std::make_tuple(stamp.year, stamp.month, stamp.day);
}

auto SpecialDateOf(const Schedule& schedule)
{
    return std::make_tuple(schedule.specialYear, schedule.specialMonth, schedule.specialDay);
}

// The date of `day` at the schedule's run time, second 0; cleared when that cannot be built.
TimeStamp AtRunTime(const Schedule& schedule, const DateTime& day)
{
    return day.WithTime(schedule.hour, schedule.minute, 0).ToTimeStamp();
}

bool IsDueSpecialDate(const Schedule& schedule, const TimeStamp& now, const DateTime& nowTime)
{
    const bool timeMatches = TimeMatches(schedule, now);
    if (schedule.repeatDays == 0) {
        return DateOf(now) == SpecialDateOf(schedule) && timeMatches;
    }
    if (schedule.repeatDays < 0) {
        return false;
    }
    if (DateOf(now) < SpecialDateOf(schedule)) {
        return false;
    }
    if (DateOf(now) == SpecialDateOf(schedule)) {
        return timeMatches;
    }
    const DateTime special = DateTime::FromDate(schedule.specialYear, schedule.specialMonth, schedule.specialDay);
    if (!special.IsValid()) {
        return false;
    }
    const std::int64_t days = nowTime.WholeDaysSince(special);
    return days % schedule.repeatDays == 0 && timeMatches;
}

// The interval is counted from the minute in which the worker started, not from the last run.
bool IsDueTimeInterval(const Task& task, const DateTime& nowTime)
{
    const TimeStamp& started = task.startedTime;
    if (started.year <= 0) {
        return false;
    }
    const DateTime base
        = DateTime::FromParts(started.year, started.month, started.day, started.hour, started.minute, 0);
    // An interval below one minute (never stored by the settings dialog, but possible in a
    // hand-made task file) would be a division by zero: such a schedule is never due.
    if (!base.IsValid() || task.schedule.intervalMinutes < 1) {
        return false;
    }
    const double minutes = nowTime.DaysSince(base) * 1440.0 + kMinuteRoundingAddend;
    const auto elapsed = static_cast<long long>(std::trunc(minutes));
    return elapsed > 0 && elapsed % task.schedule.intervalMinutes == 0;
}

TimeStamp NextEveryWeek(const Schedule& schedule, const TimeStamp& now, const DateTime& nowTime)
{
    const int today = nowTime.DayOfWeek() - 1; // 0 = Sunday
    if (IsChosen(schedule.weekDays[today]) && RunTimeNotPassed(schedule, now)) {
        return AtRunTime(schedule, nowTime);
    }
    for (int ahead = 1; ahead <= 7; ++ahead) {
        if (IsChosen(schedule.weekDays[(today + ahead) % 7])) {
            return AtRunTime(schedule, nowTime.AddDays(ahead));
        }
    }
    return TimeStamp {};
}

TimeStamp NextEveryMonth(const Schedule& schedule, const TimeStamp& now)
{
    if (IsChosen(schedule.monthDays[now.day - 1]) && RunTimeNotPassed(schedule, now)) {
        return DateTime::FromParts(now.year, now.month, now.day, schedule.hour, schedule.minute, 0).ToTimeStamp();
    }
    // One calendar day per step from tomorrow; months too short for a chosen day are skipped.
    int year = now.year;
    int month = now.month;
    int day = now.day;
    for (int step = 1; step <= 100; ++step) {
        if (IsValidDate(year, month, day + 1)) {
            ++day;
        } else {
            day = 1;
            if (++month > 12) {
                month = 1;
                ++year;
            }
        }
        if (IsChosen(schedule.monthDays[day - 1])) {
            return DateTime::FromParts(year, month, day, schedule.hour, schedule.minute, 0).ToTimeStamp();
        }
    }
    return TimeStamp {};
}

TimeStamp NextSpecialDate(const Schedule& schedule, const TimeStamp& now, const DateTime& nowTime)
{
    const bool notPassed = RunTimeNotPassed(schedule, now);
    const auto today = DateOf(now);
    const auto special = SpecialDateOf(schedule);
    const TimeStamp atSpecialDate = DateTime::FromParts(
        schedule.specialYear, schedule.specialMonth, schedule.specialDay, schedule.hour, schedule.minute, 0)
                                        .ToTimeStamp();
    if (schedule.repeatDays < 0) {
        return TimeStamp {};
    }
    if ((today == special && notPassed) || today < special) {
        return atSpecialDate;
    }
    if (schedule.repeatDays == 0) {
        return TimeStamp {}; // a one-off date that has passed has no next run
    }
    const DateTime specialMidnight
        = DateTime::FromDate(schedule.specialYear, schedule.specialMonth, schedule.specialDay);
    if (!specialMidnight.IsValid()) {
        return TimeStamp {};
    }
    // The first of now + 0, 1, ..., repeatDays days whose whole days since the special date are a
    // multiple of repeatDays, today only while the run time has not passed. Computed directly, so
    // that a huge repeat count read from a file costs no long walk.
    const std::int64_t repeat = schedule.repeatDays;
    const std::int64_t elapsed = nowTime.WholeDaysSince(specialMidnight);
    std::int64_t ahead = (repeat - elapsed % repeat) % repeat;
    if (ahead == 0 && !notPassed) {
        ahead = repeat;
    }
    return AtRunTime(schedule, nowTime.AddDays(ahead));
}

void ComputeNextTimeInterval(Task& task)
{
    const TimeStamp& started = task.startedTime;
    const TimeStamp& last = task.lastRunTime;
    if (started.year <= 0) {
        return; // not started: the value stays as it was
    }
    const DateTime startedMinute
        = DateTime::FromParts(started.year, started.month, started.day, started.hour, started.minute, 0);
    if (!startedMinute.IsValid()) {
        return;
    }
    const DateTime lastMinute = DateTime::FromParts(last.year, last.month, last.day, last.hour, last.minute, 0);
    const DateTime base = (lastMinute.IsValid() && lastMinute > startedMinute) ? lastMinute : startedMinute;
    if (task.schedule.intervalMinutes < 1) {
        task.nextRunTime = TimeStamp {}; // never due, see IsDueTimeInterval
        return;
    }
    task.nextRunTime = base.AddMinutes(task.schedule.intervalMinutes).ToTimeStamp();
}

} // namespace

bool IsDue(const Task& task, const TimeStamp& now)
{
    if (task.status == TaskStatus::Running) {
        return false;
    }
    if (task.status == TaskStatus::Stopped) {
        return task.runNow == 1;
    }
    if (task.status != TaskStatus::Waiting) {
        return false;
    }
    if (task.runNow == 1) {
        return true; // a run asked for by the user beats the schedule and the once-per-minute rule
    }
    const Schedule& schedule = task.schedule;
    if (schedule.kind == ScheduleKind::Manual) {
        return false;
    }
    if (SameMinute(now, task.lastRunTime)) {
        return false;
    }
    const DateTime nowTime = DateTime::FromTimeStamp(now);
    if (!nowTime.IsValid()) {
        return false;
    }
    switch (schedule.kind) {
    case ScheduleKind::EveryDay:
        return TimeMatches(schedule, now);
    case ScheduleKind::EveryWeek:
        return IsChosen(schedule.weekDays[nowTime.DayOfWeek() - 1]) && TimeMatches(schedule, now);
    case ScheduleKind::EveryMonth:
        return IsChosen(schedule.monthDays[now.day - 1]) && TimeMatches(schedule, now);
    case ScheduleKind::SpecialDate:
        return IsDueSpecialDate(schedule, now, nowTime);
    case ScheduleKind::TimeInterval:
        return IsDueTimeInterval(task, nowTime);
    default:
        return false;
    }
}

void ComputeNextRun(Task& task, const TimeStamp& now)
{
    const Schedule& schedule = task.schedule;
    switch (schedule.kind) {
    case ScheduleKind::Manual:
        task.nextRunTime = TimeStamp {};
        return;
    case ScheduleKind::TimeInterval:
        ComputeNextTimeInterval(task);
        return;
    case ScheduleKind::EveryDay:
    case ScheduleKind::EveryWeek:
    case ScheduleKind::EveryMonth:
    case ScheduleKind::SpecialDate:
        break;
    default:
        return; // an unknown kind leaves the value as it was
    }
    const DateTime nowTime = DateTime::FromTimeStamp(now);
    if (!nowTime.IsValid()) {
        task.nextRunTime = TimeStamp {};
        return;
    }
    switch (schedule.kind) {
    case ScheduleKind::EveryDay:
        task.nextRunTime = AtRunTime(schedule, RunTimeNotPassed(schedule, now) ? nowTime : nowTime.AddDays(1));
        break;
    case ScheduleKind::EveryWeek:
        task.nextRunTime = NextEveryWeek(schedule, now, nowTime);
        break;
    case ScheduleKind::EveryMonth:
        task.nextRunTime = NextEveryMonth(schedule, now);
        break;
    default:
        task.nextRunTime = NextSpecialDate(schedule, now, nowTime);
        break;
    }
}

} // namespace kelvanto
