#include "schedule/ScheduleDescription.h"

#include "schedule/DateFormat.h"
#include "schedule/DateTime.h"

#include <cstddef>

namespace kelvanto
{
namespace
{

constexpr const char* kDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

template <std::size_t N, typename NameOf>
std::string JoinChosen(const std::array<std::uint8_t, N>& flags, NameOf nameOf)
{
    std::string text;
    for (std::size_t i = 0; i < N; ++i) {
        if (flags[i] == 0) {
            continue;
        }
        if (!text.empty()) {
            text += ", ";
        }
        text += nameOf(i);
    }
    return text;
}

} // namespace

std::string OrdinalDay(int day)
{
    const int lastTwo = day % 100;
    const char* suffix = "th";
    if (lastTwo < 11 || lastTwo > 13) {
        switch (day % 10) {
        case 1:
            suffix = "st";
            break;
        case 2:
            suffix = "nd";
            break;
        case 3:
            suffix = "rd";
            break;
        default:
            break;
        }
    }
    return std::to_string(day) + suffix;
}

ScheduleDescription DescribeSchedule(const Schedule& schedule, int dateFormat, int timeFormat)
{
    const std::string runTime = "Run Time: " + FormatRunTime(schedule.hour, schedule.minute, timeFormat);
    switch (schedule.kind) {
    case ScheduleKind::Manual:
        return {"Manual", "None"};
    case ScheduleKind::EveryDay:
        return {"Every Day", runTime};
    case ScheduleKind::EveryWeek:
        return {"Every Week",
            runTime + "\r\n\r\nDays of the week:\r\n"
                + JoinChosen(schedule.weekDays, [](std::size_t i) { return std::string(kDayNames[i]); })};
    case ScheduleKind::EveryMonth:
        return {"Every Month",
            runTime + "\r\n\r\nDays of the month:\r\n"
                + JoinChosen(schedule.monthDays, [](std::size_t i) { return OrdinalDay(static_cast<int>(i) + 1); })};
    case ScheduleKind::SpecialDate: {
        const int weekday = DayOfWeekOf(schedule.specialYear, schedule.specialMonth, schedule.specialDay);
        std::string settings = "Run Date and Time:\r\n"
            + FormatDateTime(schedule.specialYear, schedule.specialMonth, schedule.specialDay, schedule.hour,
                schedule.minute, 0, weekday, dateFormat, timeFormat, false);
        if (schedule.repeatDays > 0) {
            settings += "\r\n\r\nRun the task every " + std::to_string(schedule.repeatDays) + " day(s)";
        }
        return {"Special Date", settings};
    }
    case ScheduleKind::TimeInterval:
        return {"Time Interval", "Time Interval: " + std::to_string(schedule.intervalMinutes) + " Minute(s)"};
    default:
        return {"None", "None"};
    }
}

} // namespace kelvanto
