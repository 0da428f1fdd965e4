#pragma once

#include "schedule/LogRecord.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace kelvanto
{

// Reading of task log files, without any locking (TaskLog holds its lock around these).

// The first four bytes of a file as a little-endian u32; nullopt when the file cannot be
// opened or is shorter than four bytes.
std::optional<std::uint32_t> ReadLogMagic(const std::filesystem::path& path);

// All records of a file of either format; none when the magic is neither.
std::vector<LogRecord> ReadLogFile(const std::filesystem::path& path);

// The last n whole records of a current-format file; a partial record at the end is skipped.
std::vector<LogRecord> ReadLastLogFileRecords(const std::filesystem::path& path, std::size_t n);

// The last whole record of a current-format file whose text `wanted` accepts, read from the
// end backward a bounded chunk at a time; nullopt when none does (or for an older format).
std::optional<LogRecord> FindLastLogFileRecord(
    const std::filesystem::path& path, const std::function<bool(std::string_view)>& wanted);

// The records of an older-format file's bytes (magic included). Reading stops at the first
// record that is cut short or whose text length exceeds the bytes left, keeping the earlier ones.
std::vector<LogRecord> ParseLegacyLog(std::string_view bytes);

} // namespace kelvanto
