#include "schedule/DateFormat.h"

namespace kelvanto
{
namespace
{

constexpr const char* kMonthNames[12]
    = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kWeekdayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

// A value below 10 gets a leading "0".
std::string TwoDigits(int value)
{
    return (value < 10 ? "0" : "") + std::to_string(value);
}

std::string MonthName(int month)
{
    return (month >= 1 && month <= 12) ? kMonthNames[month - 1] : "Unknown";
}

std::string WeekdayName(int weekday)
{
    return (weekday >= 1 && weekday <= 7) ? kWeekdayNames[weekday - 1] : "Unknown";
}

std::string DatePart(int year, int month, int day, int dateFormat)
{
    switch (dateFormat) {
    case 2:
        return TwoDigits(day) + " " + MonthName(month) + ", " + std::to_string(year);
    case 3:
        return std::to_string(year) + "-" + TwoDigits(month) + "-" + TwoDigits(day);
    default:
        return MonthName(month) + " " + TwoDigits(day) + ", " + std::to_string(year);
    }
}

// Option 2 shows an hour above 11 less 12, followed by " P.M" (else " A.M").
std::string TimePart(int hour, int minute, const int* second, int timeFormat)
{
    if (timeFormat != 1 && timeFormat != 2) {
        return std::string();
    }
    const bool afternoon = hour > 11;
    std::string text = TwoDigits(timeFormat == 2 && afternoon ? hour - 12 : hour) + ":" + TwoDigits(minute);
    if (second != nullptr) {
        text += ":" + TwoDigits(*second);
    }
    if (timeFormat == 2) {
        text += afternoon ? " P.M" : " A.M";
    }
    return text;
}

} // namespace

std::string FormatDateTime(int year, int month, int day, int hour, int minute, int second, int weekday, int dateFormat,
    int timeFormat, bool withSeconds)
{
    return WeekdayName(weekday) + ", " + DatePart(year, month, day, dateFormat) + " "
        + TimePart(hour, minute, withSeconds ? &second : nullptr, timeFormat);
}

std::string FormatDateTime(const TimeStamp& stamp, int dateFormat, int timeFormat, bool withSeconds)
{
    return FormatDateTime(stamp.year, stamp.month, stamp.day, stamp.hour, stamp.minute, stamp.second, stamp.dayOfWeek,
        dateFormat, timeFormat, withSeconds);
}

std::string FormatDatePart(int year, int month, int day, int dateFormat)
{
    return year == 0 ? std::string() : DatePart(year, month, day, dateFormat);
}

std::string FormatRunTime(int hour, int minute, int timeFormat)
{
    return TimePart(hour, minute, nullptr, timeFormat);
}

} // namespace kelvanto
