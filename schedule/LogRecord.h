#pragma once

#include "model/TimeStamp.h"
#include "schedule/RunContext.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kelvanto
{

// One line of a task's log: its level, the local time of writing and the message bytes.
struct LogRecord
{
    LogLevel level = LogLevel::General;
    TimeStamp time;
    std::string message;

    bool operator==(const LogRecord&) const = default;
};

// The fixed-size record of the current log file layout (after the 4-byte magic):
// level (1 byte), year, month, day, hour, minute, second, weekday (7 x i32 LE) and a
// 331-byte text field, zero-filled, with no terminator when the text fills it.
inline constexpr std::size_t kLogHeaderSize = 4;
inline constexpr std::size_t kLogRecordSize = 360;
inline constexpr std::size_t kLogTextSize = 331;
// An older record: level, the seven i32 of the time, then a u32 text length.
inline constexpr std::size_t kLegacyLogRecordHeadSize = 1 + 7 * 4 + 4;

// The 360 bytes of one current-format record (the text cut to 331 bytes).
std::string EncodeLogRecord(LogLevel level, const TimeStamp& time, std::string_view message);
// Decodes one current-format record of exactly kLogRecordSize bytes; the text ends at its
// first zero byte or after 331 bytes.
LogRecord DecodeLogRecord(std::string_view bytes);

// The name a level has in the viewer and the exports: "General Info", "Warning Info",
// "Error Info"; a stored level above 2 is treated as an error, like the viewer's icon.
std::string_view LogLevelName(LogLevel level);

} // namespace kelvanto
