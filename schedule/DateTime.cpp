#include "schedule/DateTime.h"

namespace kelvanto
{
namespace
{

constexpr std::int64_t kSecondsPerDay = 86400;

// Floor division for a positive divisor.
std::int64_t FloorDiv(std::int64_t value, std::int64_t divisor)
{
    const std::int64_t quotient = value / divisor;
    return (value % divisor < 0) ? quotient - 1 : quotient;
}

// Days from 1970-01-01 of a proleptic Gregorian date (the date must be valid).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = FloorDiv(year, 400);
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

struct Civil
{
    int year;
    int month;
    int day;
};

Civil CivilFromDays(std::int64_t days)
{
    days += 719468;
    const std::int64_t era = FloorDiv(days, 146097);
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
    const unsigned day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const unsigned month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    const std::int64_t year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
    return Civil {static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)};
}

// 1970-01-01 was a Thursday (weekday 5 with 1 = Sunday).
int WeekdayFromDays(std::int64_t days)
{
    return static_cast<int>((days % 7 + 7 + 4) % 7) + 1;
}

const std::int64_t kMinSeconds = DaysFromCivil(DateTime::kMinYear, 1, 1) * kSecondsPerDay;
const std::int64_t kMaxSeconds = DaysFromCivil(DateTime::kMaxYear, 12, 31) * kSecondsPerDay + kSecondsPerDay - 1;

} // namespace

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    return (month == 2 && IsLeapYear(year)) ? 29 : kLengths[month - 1];
}

bool IsValidDate(int year, int month, int day)
{
    return year >= DateTime::kMinYear && year <= DateTime::kMaxYear && day >= 1 && day <= DaysInMonth(year, month);
}

int DayOfWeekOf(int year, int month, int day)
{
    if (!IsValidDate(year, month, day)) {
        return 0;
    }
    return WeekdayFromDays(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)));
}

DateTime DateTime::FromParts(int year, int month, int day, int hour, int minute, int second)
{
    if (!IsValidDate(year, month, day) || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0
        || second > 59) {
        return DateTime();
    }
    const std::int64_t days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    return DateTime(days * kSecondsPerDay + hour * 3600 + minute * 60 + second, true);
}

DateTime DateTime::FromTimeStamp(const TimeStamp& stamp)
{
    return FromParts(stamp.year, stamp.month, stamp.day, stamp.hour, stamp.minute, stamp.second);
}

int DateTime::Year() const
{
    return CivilFromDays(FloorDiv(m_seconds, kSecondsPerDay)).year;
}

int DateTime::Month() const
{
    return CivilFromDays(FloorDiv(m_seconds, kSecondsPerDay)).month;
}

int DateTime::Day() const
{
    return CivilFromDays(FloorDiv(m_seconds, kSecondsPerDay)).day;
}

int DateTime::Hour() const
{
    return static_cast<int>((m_seconds - FloorDiv(m_seconds, kSecondsPerDay) * kSecondsPerDay) / 3600);
}

int DateTime::Minute() const
{
    return static_cast<int>((m_seconds - FloorDiv(m_seconds, kSecondsPerDay) * kSecondsPerDay) % 3600 / 60);
}

int DateTime::Second() const
{
    return static_cast<int>((m_seconds - FloorDiv(m_seconds, kSecondsPerDay) * kSecondsPerDay) % 60);
}

int DateTime::DayOfWeek() const
{
    return m_valid ? WeekdayFromDays(FloorDiv(m_seconds, kSecondsPerDay)) : 0;
}

DateTime DateTime::Date() const
{
    if (!m_valid) {
        return DateTime();
    }
    return DateTime(FloorDiv(m_seconds, kSecondsPerDay) * kSecondsPerDay, true);
}

DateTime DateTime::WithTime(int hour, int minute, int second) const
{
    if (!m_valid || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
        return DateTime();
    }
    return DateTime(Date().m_seconds + hour * 3600 + minute * 60 + second, true);
}

DateTime DateTime::AddSeconds(std::int64_t seconds) const
{
    if (!m_valid) {
        return DateTime();
    }
    // Both operands are far inside the 64-bit range once the start is, so a range test after
    // the sum suffices, provided the addend itself is bounded first.
    constexpr std::int64_t kSpan = std::int64_t {30000} * 366 * kSecondsPerDay;
    if (seconds > kSpan || seconds < -kSpan) {
        return DateTime();
    }
    const std::int64_t result = m_seconds + seconds;
    if (result < kMinSeconds || result > kMaxSeconds) {
        return DateTime();
    }
    return DateTime(result, true);
}

double DateTime::DaysSince(const DateTime& other) const
{
    return static_cast<double>(m_seconds - other.m_seconds) / static_cast<double>(kSecondsPerDay);
}

std::int64_t DateTime::WholeDaysSince(const DateTime& other) const
{
    return (m_seconds - other.m_seconds) / kSecondsPerDay; // integer division truncates toward zero
}

std::int64_t DateTime::WholeMinutesSince(const DateTime& other) const
{
    return (m_seconds - other.m_seconds) / 60;
}

TimeStamp DateTime::ToTimeStamp() const
{
    if (!m_valid) {
        return TimeStamp {};
    }
    const Civil civil = CivilFromDays(FloorDiv(m_seconds, kSecondsPerDay));
    return TimeStamp {civil.year, civil.month, civil.day, Hour(), Minute(), Second(), DayOfWeek()};
}

std::strong_ordering DateTime::operator<=>(const DateTime& other) const
{
    if (m_valid != other.m_valid) {
        return m_valid ? std::strong_ordering::greater : std::strong_ordering::less;
    }
    if (!m_valid) {
        return std::strong_ordering::equal;
    }
    return m_seconds <=> other.m_seconds;
}

} // namespace kelvanto
