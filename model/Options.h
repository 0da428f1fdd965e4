#pragma once

#include <cstdint>
#include <string>

namespace kelvanto
{

// Which runs raise a desktop notification.
enum class RunNotices : std::uint8_t {
    Failures = 0, // runs that failed or completed with errors
    EveryRun = 1,
    Never = 2,
};

// The program-wide settings, in stored order, with their defaults.
struct Options
{
    std::string loginUser;
    std::string loginPassword; // always empty when loginUser is empty
    std::uint8_t autoRun = 0;
    std::uint16_t hotKeyCode = 77; // the key M
    std::uint16_t hotKeyModifiers = 6; // 1 Shift, 2 Ctrl, 4 Alt, 8 extended: Ctrl+Alt
    std::uint8_t dateFormat = 1; // 1 "Sat, Jan 1, 2005", 2 "Sat, 1 Jan, 2005", 3 "Sat, yyyy-mm-dd"
    std::uint8_t timeFormat = 1; // 1 24-hour, 2 12-hour
    std::int32_t lastTipIndex = -1;
    std::uint8_t showTips = 1;
    std::string defaultBackupFolder; // ends with '/'; empty = the data folder's "Data/"
    std::uint8_t noShutdownWhileRunning = 0;
    std::uint8_t logSizeLimited = 0;
    std::int32_t logMaxSizeKB = 0; // 1-100000 when limited, 0 when unlimited
    std::uint8_t dontAskAutoRun = 0;
    // Not in the original record: stored after its last field only when it is not the
    // default, so that a file with the default keeps that layout byte for byte, and a file
    // without it (an older one) reads as the default.
    RunNotices runNotices = RunNotices::Failures;

    bool operator==(const Options&) const = default;
};

} // namespace kelvanto
