#pragma once

#include "model/TimeStamp.h"

#include <string>

namespace kelvanto
{

// The one date and time display formatter, driven by the date display option (1 "Sat, Jan 1,
// 2005", 2 "Sat, 1 Jan, 2005", 3 "Sat, yyyy-mm-dd"; any other value reads as 1) and the time
// display option (1 "20:20:20", 2 "08:20:20 P.M"; any other value gives no time part).

// weekday, ", ", date part, " ", time part. Out-of-range months and weekdays show "Unknown".
std::string FormatDateTime(int year, int month, int day, int hour, int minute, int second, int weekday, int dateFormat,
    int timeFormat, bool withSeconds);
// The same for a stamp, with the stamp's own weekday field.
std::string FormatDateTime(const TimeStamp& stamp, int dateFormat, int timeFormat, bool withSeconds);

// The date part alone ("Jan 01, 2005", "01 Jan, 2005" or "2005-01-01"), as the special date
// label shows it; empty while the year is 0.
std::string FormatDatePart(int year, int month, int day, int dateFormat);

// A run time without date: "HH:MM", or "HH:MM A.M"/"HH:MM P.M" with option 2; empty for any
// other option.
std::string FormatRunTime(int hour, int minute, int timeFormat);

} // namespace kelvanto
