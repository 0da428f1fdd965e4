// The calendar date-time against the standard library's calendar, the validity rules, and the
// arithmetic at month, leap-day and year boundaries.
#include "schedule/DateTime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

namespace kelvanto::test
{
namespace
{

namespace chr = std::chrono;

TEST(DateTime, ValidityRules)
{
    struct Row
    {
        const char* name;
        int year, month, day, hour, minute, second;
        bool valid;
    };
    const Row rows[] = {
        {"ordinary", 2005, 3, 10, 10, 0, 0, true},
        {"year 9999 last second", 9999, 12, 31, 23, 59, 59, true},
        {"year 10000", 10000, 1, 1, 0, 0, 0, false},
        {"month 0", 2005, 0, 1, 0, 0, 0, false},
        {"month 13", 2005, 13, 1, 0, 0, 0, false},
        {"day 0", 2005, 1, 0, 0, 0, 0, false},
        {"31 April", 2005, 4, 31, 0, 0, 0, false},
        {"30 April", 2005, 4, 30, 0, 0, 0, true},
        {"29 Feb leap year", 2028, 2, 29, 0, 0, 0, true},
        {"29 Feb common year", 2027, 2, 29, 0, 0, 0, false},
        {"29 Feb 1900 (century)", 1900, 2, 29, 0, 0, 0, false},
        {"29 Feb 2000 (400 years)", 2000, 2, 29, 0, 0, 0, true},
        {"hour 24", 2005, 1, 1, 24, 0, 0, false},
        {"hour -1", 2005, 1, 1, -1, 0, 0, false},
        {"minute 60", 2005, 1, 1, 0, 60, 0, false},
        {"second 60", 2005, 1, 1, 0, 0, 60, false},
        {"never stamp", 0, 0, 0, 0, 0, 0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const DateTime value = DateTime::FromParts(row.year, row.month, row.day, row.hour, row.minute, row.second);
        EXPECT_EQ(value.IsValid(), row.valid);
        if (row.valid) {
            const TimeStamp stamp = value.ToTimeStamp();
            EXPECT_EQ(stamp.year, row.year);
            EXPECT_EQ(stamp.month, row.month);
            EXPECT_EQ(stamp.day, row.day);
            EXPECT_EQ(stamp.hour, row.hour);
            EXPECT_EQ(stamp.minute, row.minute);
            EXPECT_EQ(stamp.second, row.second);
        } else {
            EXPECT_TRUE(value.ToTimeStamp().isNever());
        }
    }
}

// Random dates over four centuries on both sides of 1970 agree with std::chrono on the weekday,
// the day count and the date reached by adding days.
TEST(DateTime, AgreesWithStandardCalendar)
{
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> dayPick(-150000, 150000);
    std::uniform_int_distribution<int> offsetPick(-800, 800);
    for (int i = 0; i < 20000; ++i) {
        const chr::sys_days day {chr::days {dayPick(random)}};
        const chr::year_month_day ymd {day};
        const int year = static_cast<int>(ymd.year());
        const int month = static_cast<int>(static_cast<unsigned>(ymd.month()));
        const int dayOfMonth = static_cast<int>(static_cast<unsigned>(ymd.day()));
        SCOPED_TRACE(testing::Message() << year << "-" << month << "-" << dayOfMonth);
        const DateTime value = DateTime::FromParts(year, month, dayOfMonth, 13, 7, 9);
        ASSERT_TRUE(value.IsValid());
        EXPECT_EQ(value.DayOfWeek(), static_cast<int>(chr::weekday {day}.c_encoding()) + 1);
        EXPECT_EQ(DayOfWeekOf(year, month, dayOfMonth), value.DayOfWeek());
        EXPECT_EQ(value.Seconds(), day.time_since_epoch().count() * 86400LL + 13 * 3600 + 7 * 60 + 9);

        const int offset = offsetPick(random);
        const chr::year_month_day expected {day + chr::days {offset}};
        const TimeStamp moved = value.AddDays(offset).ToTimeStamp();
        EXPECT_EQ(moved.year, static_cast<int>(expected.year()));
        EXPECT_EQ(moved.month, static_cast<int>(static_cast<unsigned>(expected.month())));
        EXPECT_EQ(moved.day, static_cast<int>(static_cast<unsigned>(expected.day())));
        EXPECT_EQ(moved.hour, 13);
        EXPECT_EQ(moved.second, 9);
        EXPECT_EQ(moved.dayOfWeek, static_cast<int>(chr::weekday {day + chr::days {offset}}.c_encoding()) + 1);
        EXPECT_EQ(DaysInMonth(year, month),
            static_cast<int>(static_cast<unsigned>((ymd.year() / ymd.month() / chr::last).day())));
    }
}

TEST(DateTime, MinuteArithmeticCrossesDayMonthAndYearEnds)
{
    struct Row
    {
        const char* name;
        TimeStamp from;
        long long minutes;
        TimeStamp expected;
    };
    const Row rows[] = {
        {"into the next day", {2027, 3, 10, 23, 59, 0, 0}, 1, {2027, 3, 11, 0, 0, 0, 5}},
        {"into the leap day", {2028, 2, 28, 23, 30, 0, 0}, 30, {2028, 2, 29, 0, 0, 0, 3}},
        {"over the leap day", {2028, 2, 28, 12, 0, 0, 0}, 2 * 1440, {2028, 3, 1, 12, 0, 0, 4}},
        {"over the year end", {2027, 12, 31, 23, 0, 0, 0}, 61, {2028, 1, 1, 0, 1, 0, 7}},
        {"backwards into the old year", {2028, 1, 1, 0, 0, 0, 0}, -1, {2027, 12, 31, 23, 59, 0, 6}},
        {"largest interval", {2027, 1, 1, 0, 0, 0, 0}, 99999, {2027, 3, 11, 10, 39, 0, 5}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DateTime::FromTimeStamp(row.from).AddMinutes(row.minutes).ToTimeStamp(), row.expected);
    }
}

TEST(DateTime, DifferencesTruncateTowardZero)
{
    const DateTime base = DateTime::FromParts(2027, 3, 10, 12, 0, 0);
    const DateTime later = DateTime::FromParts(2027, 3, 12, 11, 59, 59); // 1 day 23:59:59 later
    EXPECT_EQ(later.WholeDaysSince(base), 1);
    EXPECT_EQ(base.WholeDaysSince(later), -1);
    EXPECT_EQ(later.WholeMinutesSince(base), 2 * 1440 - 1);
    EXPECT_EQ(base.WholeMinutesSince(later), -(2 * 1440 - 1));
    EXPECT_DOUBLE_EQ(later.DaysSince(base), 2.0 - 1.0 / 86400.0);
    EXPECT_DOUBLE_EQ(DateTime::FromParts(2027, 3, 10, 18, 0, 0).DaysSince(base), 0.25);
    EXPECT_EQ(DateTime::FromParts(2027, 3, 10, 12, 0, 59).WholeMinutesSince(base), 0);
}

TEST(DateTime, ArithmeticLeavingTheCalendarIsInvalid)
{
    const DateTime last = DateTime::FromParts(9999, 12, 31, 23, 59, 0);
    EXPECT_TRUE(last.AddSeconds(59).IsValid());
    EXPECT_FALSE(last.AddMinutes(1).IsValid());
    EXPECT_FALSE(last.AddDays(1).IsValid());
    EXPECT_FALSE(last.AddDays(INT64_MAX / 86400).IsValid()); // no overflow on absurd input
    EXPECT_FALSE(DateTime().AddDays(1).IsValid());
    EXPECT_FALSE(DateTime().WithTime(1, 0, 0).IsValid());
    EXPECT_FALSE(last.WithTime(24, 0, 0).IsValid());
    EXPECT_EQ(last.WithTime(1, 2, 3).ToTimeStamp(), (TimeStamp {9999, 12, 31, 1, 2, 3, 6}));
    EXPECT_LT(DateTime(), last); // invalid orders below every valid value
    EXPECT_EQ(DayOfWeekOf(2027, 2, 29), 0);
}

} // namespace
} // namespace kelvanto::test
