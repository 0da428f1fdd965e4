#pragma once

#include <cstdint>

namespace kelvanto
{

// A local wall-clock time. year 0 (all fields zero) means "never".
struct TimeStamp
{
    std::int32_t year = 0;
    std::int32_t month = 0; // 1-12
    std::int32_t day = 0; // 1-31
    std::int32_t hour = 0; // 0-23
    std::int32_t minute = 0;
    std::int32_t second = 0;
    std::int32_t dayOfWeek = 0; // 1 = Sunday ... 7 = Saturday

    bool isNever() const { return year == 0; }
    bool operator==(const TimeStamp&) const = default;
};

} // namespace kelvanto
