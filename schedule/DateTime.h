#pragma once

#include "model/TimeStamp.h"

#include <compare>
#include <cstdint>

namespace kelvanto
{

// A calendar date-time in the proleptic Gregorian calendar, local wall-clock time with no
// daylight-saving adjustment. It is held as whole seconds from 1970-01-01 00:00:00, so that
// adding days or minutes and taking differences never collects floating error; differences
// are handed out in days as a double where the schedule rules ask for that.
//
// A DateTime is either valid or invalid. Building one fails when the year exceeds 9999 (or
// lies below -9999, which keeps all arithmetic in range), the month lies outside 1-12, the day
// outside the length of that month, the hour exceeds 23, the minute 59 or the second 59.
// Arithmetic whose result leaves that year range gives an invalid value, and arithmetic on
// an invalid value stays invalid.
class DateTime
{
public:
    static constexpr int kMaxYear = 9999;
    static constexpr int kMinYear = -9999;

    DateTime() = default; // invalid

    static DateTime FromParts(int year, int month, int day, int hour, int minute, int second);
    static DateTime FromDate(int year, int month, int day) { return FromParts(year, month, day, 0, 0, 0); }
    // The weekday field of the stamp is ignored: the date decides the weekday.
    static DateTime FromTimeStamp(const TimeStamp& stamp);

    bool IsValid() const { return m_valid; }

    int Year() const;
    int Month() const;
    int Day() const;
    int Hour() const;
    int Minute() const;
    int Second() const;
    int DayOfWeek() const; // 1 = Sunday ... 7 = Saturday

    // Midnight of the same date.
    DateTime Date() const;
    // The same date at the given time of day; invalid when the time is.
    DateTime WithTime(int hour, int minute, int second) const;

    DateTime AddDays(std::int64_t days) const { return AddSeconds(days * 86400); }
    DateTime AddMinutes(std::int64_t minutes) const { return AddSeconds(minutes * 60); }
    DateTime AddSeconds(std::int64_t seconds) const;

    // (*this - other) in days, with the time of day as the fraction. Both must be valid.
    double DaysSince(const DateTime& other) const;
    // Whole days and whole minutes of (*this - other), truncated toward zero.
    std::int64_t WholeDaysSince(const DateTime& other) const;
    std::int64_t WholeMinutesSince(const DateTime& other) const;

    // All seven fields, the weekday being that of the date; a cleared stamp when invalid.
    TimeStamp ToTimeStamp() const;

    // Seconds from 1970-01-01 00:00:00 (meaningful only when valid).
    std::int64_t Seconds() const { return m_seconds; }

    // Valid values order by time; invalid values compare equal to each other and below every valid one.
    std::strong_ordering operator<=>(const DateTime& other) const;
    bool operator==(const DateTime& other) const { return (*this <=> other) == std::strong_ordering::equal; }

private:
    DateTime(std::int64_t seconds, bool valid)
        : m_seconds(seconds)
        , m_valid(valid)
    { }

    std::int64_t m_seconds = 0;
    bool m_valid = false;
};

bool IsLeapYear(int year);
// Days of the month, 0 for a month outside 1-12.
int DaysInMonth(int year, int month);
bool IsValidDate(int year, int month, int day);
// The weekday of a valid date, 1 = Sunday ... 7 = Saturday; 0 when the date is not valid.
int DayOfWeekOf(int year, int month, int day);

} // namespace kelvanto
