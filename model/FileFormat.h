#pragma once

#include <cstdint>

namespace kelvanto::fileformat
{

// Every magic number, record mark and string key of the program's binary data files.
// Nothing else in the code base spells these values.

// Magic of the current layout of the task list, server list, options and task log files.
// In the current task list it is also the start and end mark of every task record.
inline constexpr std::uint32_t kMagic = 0xCABDF9E0u;

// Older task list layouts; in each, the record marks equal the file's magic.
inline constexpr std::uint32_t kLegacyMagicC0 = 0xBFDFAEC0u; // reduced backup settings, history present
inline constexpr std::uint32_t kLegacyMagicBA = 0xBFDFAEBAu; // no history; also the legacy server list
inline constexpr std::uint32_t kLegacyMagicAC = 0xBFDFAEACu; // oldest task list layout
inline constexpr std::uint32_t kLegacyMagicB0 = 0xBFDFAEB0u; // variant of the oldest layout; older task logs

// One-byte keys that every stored string byte is XOR-ed with.
inline constexpr std::uint8_t kFileKey = 0x6E; // current layouts
inline constexpr std::uint8_t kLegacyKey = 0x27; // server blocks of the older layouts
inline constexpr std::uint8_t kPlainKey = 0x00; // strings stored as they are

// Names of the data files inside the data folder.
inline constexpr const char* kTaskListFileName = "tasks_se.tsk";
// Settings that the task record has no room for, keyed by each task's log file name.
inline constexpr const char* kTaskExtrasFileName = "tasks_extras.json";
inline constexpr const char* kServerListFileName = "myserver.dll";
inline constexpr const char* kOptionsFileName = "opt_se.dll";

} // namespace kelvanto::fileformat
