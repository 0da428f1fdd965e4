// The display texts: dates and times under every display option, run times, the schedule
// descriptions and the messages of the schedule settings dialogs.
#include "schedule/DateFormat.h"

#include "schedule/ScheduleDescription.h"
#include "schedule/ScheduleValidation.h"

#include <gtest/gtest.h>

#include <climits>

namespace kelvanto::test
{
namespace
{

TEST(FormatDateTime, EveryOptionAndOutOfRangePart)
{
    struct Row
    {
        TimeStamp stamp;
        int dateFormat;
        int timeFormat;
        bool withSeconds;
        const char* expected;
    };
    const Row rows[] = {
        {{2005, 1, 1, 20, 20, 20, 7}, 1, 1, true, "Sat, Jan 01, 2005 20:20:20"},
        {{2005, 1, 1, 20, 20, 20, 7}, 2, 2, true, "Sat, 01 Jan, 2005 08:20:20 P.M"},
        {{2005, 1, 1, 20, 20, 20, 7}, 3, 1, false, "Sat, 2005-01-01 20:20"},
        {{2005, 12, 31, 9, 5, 7, 7}, 3, 2, true, "Sat, 2005-12-31 09:05:07 A.M"},
        {{2005, 1, 1, 20, 20, 20, 7}, 0, 1, true, "Sat, Jan 01, 2005 20:20:20"},
        {{2005, 1, 1, 20, 20, 20, 7}, 7, 1, true, "Sat, Jan 01, 2005 20:20:20"},
        {{2005, 1, 1, 20, 20, 20, 7}, 1, 0, true, "Sat, Jan 01, 2005 "},
        {{2005, 1, 1, 20, 20, 20, 7}, 2, 3, false, "Sat, 01 Jan, 2005 "},
        {{2005, 13, 1, 0, 0, 0, 7}, 1, 1, false, "Sat, Unknown 01, 2005 00:00"},
        {{2005, 0, 1, 0, 0, 0, 7}, 2, 1, false, "Sat, 01 Unknown, 2005 00:00"},
        {{2005, 13, 1, 0, 0, 0, 7}, 3, 1, false, "Sat, 2005-13-01 00:00"},
        {{2005, 1, 1, 0, 0, 0, 0}, 1, 1, false, "Unknown, Jan 01, 2005 00:00"},
        {{2005, 1, 1, 0, 0, 0, 8}, 1, 1, false, "Unknown, Jan 01, 2005 00:00"},
        {{2027, 3, 10, 12, 5, 0, 4}, 1, 2, false, "Wed, Mar 10, 2027 00:05 P.M"},
        {{2027, 3, 10, 0, 5, 0, 4}, 1, 2, false, "Wed, Mar 10, 2027 00:05 A.M"},
        {{2027, 3, 10, 11, 59, 0, 4}, 1, 2, false, "Wed, Mar 10, 2027 11:59 A.M"},
        {{2027, 3, 10, 23, 59, 59, 4}, 1, 2, true, "Wed, Mar 10, 2027 11:59:59 P.M"},
        {{9999, 12, 31, 23, 59, 59, 6}, 2, 1, true, "Fri, 31 Dec, 9999 23:59:59"},
        {{800, 5, 6, 7, 8, 9, 1}, 3, 1, true, "Sun, 800-05-06 07:08:09"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        EXPECT_EQ(FormatDateTime(row.stamp, row.dateFormat, row.timeFormat, row.withSeconds), row.expected);
        const TimeStamp& s = row.stamp;
        EXPECT_EQ(FormatDateTime(s.year, s.month, s.day, s.hour, s.minute, s.second, s.dayOfWeek, row.dateFormat,
                      row.timeFormat, row.withSeconds),
            row.expected);
    }
}

TEST(FormatDateTime, DatePartAndRunTime)
{
    EXPECT_EQ(FormatDatePart(2005, 3, 9, 1), "Mar 09, 2005");
    EXPECT_EQ(FormatDatePart(2005, 3, 9, 2), "09 Mar, 2005");
    EXPECT_EQ(FormatDatePart(2005, 3, 9, 3), "2005-03-09");
    EXPECT_EQ(FormatDatePart(0, 0, 0, 1), "");

    EXPECT_EQ(FormatRunTime(2, 0, 1), "02:00");
    EXPECT_EQ(FormatRunTime(23, 59, 1), "23:59");
    EXPECT_EQ(FormatRunTime(0, 0, 2), "00:00 A.M");
    EXPECT_EQ(FormatRunTime(11, 30, 2), "11:30 A.M");
    EXPECT_EQ(FormatRunTime(12, 0, 2), "00:00 P.M");
    EXPECT_EQ(FormatRunTime(23, 5, 2), "11:05 P.M");
    EXPECT_EQ(FormatRunTime(10, 30, 0), "");
    EXPECT_EQ(FormatRunTime(10, 30, 3), "");
}

TEST(DescribeSchedule, EveryKind)
{
    Schedule manual;
    Schedule daily;
    daily.kind = ScheduleKind::EveryDay;
    daily.hour = 2;
    Schedule weekly = daily;
    weekly.kind = ScheduleKind::EveryWeek;
    weekly.weekDays = {1, 0, 0, 1, 0, 0, 1};
    Schedule monthly = daily;
    monthly.kind = ScheduleKind::EveryMonth;
    for (const int day : {1, 2, 3, 4, 11, 12, 13, 21, 22, 23, 30, 31}) {
        monthly.monthDays[day - 1] = 1;
    }
    Schedule special = daily;
    special.kind = ScheduleKind::SpecialDate;
    special.hour = 22;
    special.minute = 7;
    special.specialYear = 2005;
    special.specialMonth = 3;
    special.specialDay = 10;
    Schedule repeated = special;
    repeated.repeatDays = 3;
    Schedule interval;
    interval.kind = ScheduleKind::TimeInterval;
    interval.intervalMinutes = 45;
    Schedule unknown;
    unknown.kind = static_cast<ScheduleKind>(6);

    struct Row
    {
        const char* name;
        Schedule schedule;
        int timeFormat;
        ScheduleDescription expected;
    };
    const Row rows[] = {
        {"manual", manual, 1, {"Manual", "None"}},
        {"day", daily, 1, {"Every Day", "Run Time: 02:00"}},
        {"day, 12-hour clock", daily, 2, {"Every Day", "Run Time: 02:00 A.M"}},
        {"week", weekly, 1, {"Every Week", "Run Time: 02:00\r\n\r\nDays of the week:\r\nSunday, Wednesday, Saturday"}},
        {"month", monthly, 1,
            {"Every Month",
                "Run Time: 02:00\r\n\r\nDays of the month:\r\n"
                "1st, 2nd, 3rd, 4th, 11th, 12th, 13th, 21st, 22nd, 23rd, 30th, 31st"}},
        {"special date", special, 2, {"Special Date", "Run Date and Time:\r\nThu, Mar 10, 2005 10:07 P.M"}},
        {"special date, repeated", repeated, 1,
            {"Special Date", "Run Date and Time:\r\nThu, Mar 10, 2005 22:07\r\n\r\nRun the task every 3 day(s)"}},
        {"interval", interval, 1, {"Time Interval", "Time Interval: 45 Minute(s)"}},
        {"unknown kind", unknown, 1, {"None", "None"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const ScheduleDescription description = DescribeSchedule(row.schedule, 1, row.timeFormat);
        EXPECT_EQ(description.title, row.expected.title);
        EXPECT_EQ(description.settings, row.expected.settings);
    }
    // An empty special date shows "Unknown" where the weekday and month would be.
    Schedule empty = manual;
    empty.kind = ScheduleKind::SpecialDate;
    EXPECT_EQ(DescribeSchedule(empty, 1, 1).settings, "Run Date and Time:\r\nUnknown, Unknown 00, 0 00:00");
}

TEST(ScheduleValidation, DialogMessages)
{
    EXPECT_EQ(ParseNumberField(""), 0);
    EXPECT_EQ(ParseNumberField("  "), 0);
    EXPECT_EQ(ParseNumberField("99999"), 99999);
    EXPECT_EQ(ParseNumberField(" 12 "), 12);
    EXPECT_EQ(ParseNumberField("12a"), -1);
    EXPECT_EQ(ParseNumberField("-5"), -1);
    EXPECT_EQ(ParseNumberField("99999999999999999999999"), INT_MAX);

    const std::string range = "Please input a number between 1 and 99999.";
    EXPECT_EQ(CheckIntervalMinutes(ParseNumberField("")), range);
    EXPECT_EQ(CheckIntervalMinutes(0), range);
    EXPECT_EQ(CheckIntervalMinutes(1), "");
    EXPECT_EQ(CheckIntervalMinutes(99999), "");
    EXPECT_EQ(CheckIntervalMinutes(100000), range);
    EXPECT_EQ(CheckIntervalMinutes(ParseNumberField("x")), range);

    EXPECT_EQ(CheckRunTime(-1, 0), "Please choose the hour of the run time.");
    EXPECT_EQ(CheckRunTime(-1, -1), "Please choose the hour of the run time.");
    EXPECT_EQ(CheckRunTime(23, -1), "Please choose the minute of the run time.");
    EXPECT_EQ(CheckRunTime(0, 59), "");

    std::array<std::uint8_t, 7> week {};
    EXPECT_EQ(CheckWeekDays(week), "Please choose the days of the week.");
    week[6] = 1;
    EXPECT_EQ(CheckWeekDays(week), "");
    std::array<std::uint8_t, 31> month {};
    EXPECT_EQ(CheckMonthDays(month), "Please choose the days of the month.");
    month[30] = 1;
    EXPECT_EQ(CheckMonthDays(month), "");
}

} // namespace
} // namespace kelvanto::test
