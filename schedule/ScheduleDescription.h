#pragma once

#include "model/Task.h"

#include <string>

namespace kelvanto
{

// The title and settings text of the read-only schedule page.
struct ScheduleDescription
{
    std::string title;
    std::string settings;

    bool operator==(const ScheduleDescription&) const = default;
};

// Describes a schedule; run times and the special date are formatted under the given date and
// time display options.
ScheduleDescription DescribeSchedule(const Schedule& schedule, int dateFormat, int timeFormat);

// "1st", "2nd", "3rd", "4th" ... "11th", "12th", "13th" ... "21st", "22nd", "23rd" ... "31st".
std::string OrdinalDay(int day);

} // namespace kelvanto
