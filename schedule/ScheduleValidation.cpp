#include "schedule/ScheduleValidation.h"

#include <algorithm>
#include <climits>

namespace kelvanto
{
namespace
{

template <std::size_t N>
bool AnyChosen(const std::array<std::uint8_t, N>& flags)
{
    return std::any_of(flags.begin(), flags.end(), [](std::uint8_t flag) { return flag != 0; });
}

} // namespace

int ParseNumberField(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return 0;
    }
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return -1;
        }
        value = std::min<long long>(value * 10 + (c - '0'), INT_MAX);
    }
    return static_cast<int>(value);
}

std::string CheckIntervalMinutes(int minutes)
{
    if (minutes < kMinIntervalMinutes || minutes > kMaxIntervalMinutes) {
        return "Please input a number between 1 and 99999.";
    }
    return std::string();
}

std::string CheckRunTime(int hourIndex, int minuteIndex)
{
    if (hourIndex < 0 || hourIndex > 23) {
        return "Please choose the hour of the run time.";
    }
    if (minuteIndex < 0 || minuteIndex > 59) {
        return "Please choose the minute of the run time.";
    }
    return std::string();
}

std::string CheckWeekDays(const std::array<std::uint8_t, 7>& weekDays)
{
    return AnyChosen(weekDays) ? std::string() : "Please choose the days of the week.";
}

std::string CheckMonthDays(const std::array<std::uint8_t, 31>& monthDays)
{
    return AnyChosen(monthDays) ? std::string() : "Please choose the days of the month.";
}

} // namespace kelvanto
