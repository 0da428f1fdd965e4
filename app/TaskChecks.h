#pragma once

#include "model/Task.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvanto
{

// The checks of a task, one set for every way a task comes in or changes: the wizard and
// the property sheet, JSON import, the control socket and the command line. The messages
// are the wizard's; a check that returns text refuses, an empty text accepts.

inline constexpr std::size_t kMaxTaskNameBytes = 200;
inline constexpr int kMaxKeepLimit = 10000;

inline constexpr const char* kNameMissing = "Please input the task name.";
inline constexpr const char* kNameControlCharacters
    = "The task name must not hold control characters (line ends, tabs and the like).";
inline constexpr const char* kNameTooLong = "The task name is too long: it may hold at most 200 bytes.";
inline constexpr const char* kBadPort = "Please input a number between 1 and 65535.";
inline constexpr const char* kInputHost = "Please input the Host name or IP address.";
inline constexpr const char* kInputFormat = "Please input file name format.";
inline constexpr const char* kBadFormatCharacters
    = "There are some invalid characters in the file name format!\n\n\\ / : * ? \" < > |";
inline constexpr const char* kFormatIsFolderName = "The file name format must not be \".\" or \"..\".";
inline constexpr const char* kNoTableInFormat = "Please do not input %TABLE% in file name format.";
inline constexpr const char* kNeedDatabaseInFormat = "Please input %DATABASE% in file name format.";
inline constexpr const char* kNeedTableInFormat = "Please input %TABLE% in file name format.";
inline constexpr const char* kNoDatabaseInFormat = "Please do not input %DATABASE% in file name format.";
inline constexpr const char* kNeedDatabaseForSeveral
    = "Please input %DATABASE% in file name format: the task can back up more than one database, and tables "
      "of the same name in two databases must not share a file name.";
inline constexpr const char* kBadKeepingDays = "Invalid keeping days!";
inline constexpr const char* kBadCopies = "Invalid number of the backup copies!";
inline constexpr const char* kInputNewDatabase = "Please input the new database name.";
inline constexpr const char* kBadDatabaseName
    = "There are some invalid characters \n('/', '\\', or '.') \nin the database name!";
inline constexpr const char* kInvalidFolder = "Invalid folder!";
inline constexpr const char* kInvalidFile = "Invalid file!";
inline constexpr const char* kInvalidDirectory = "Invalid directory!";
inline constexpr const char* kInvalidDate = "Please choose a date that exists.";
inline constexpr const char* kBadDayFlags = "must hold only 0 (not chosen) and 1 (chosen)";
inline constexpr const char* kBadRepeatDays = "Please input a number between 0 and 1000.";

// Non-empty, no control character (bytes 0-31 and 127), at most kMaxTaskNameBytes bytes,
// so that the task's log file name stays within what a file system takes.
std::string CheckTaskName(std::string_view name);

// A server address of a task: host non-empty, port 1-65535.
std::string CheckTaskServer(const ServerConnection& server);

// The backup files settings: the format (already trimmed) must be non-empty, free of NUL,
// CR LF TAB \ / : * ? " < > |, not "." or "..", and carry the placeholders its split mode (1
// one file, 2 a file per database, 3 a file per table) needs and none that it must not have.
std::string CheckFileNameFormat(std::string_view format, int fileSplit);
// A file per table in new files every time: when more than one database can be backed up
// (more than one is chosen, or every new database joins), the format must hold %DATABASE%.
std::string CheckFormatNamesEveryDatabase(const BackupSettings& settings, const std::vector<DatabaseItem>& databases);
// The day or copy count as typed: 1-10000, an empty field counting as 0.
std::string CheckKeepDays(std::string_view text);
std::string CheckKeepCopies(std::string_view text);

// The compression level of a task's extras within its library's range: gzip 0 to 9, zstd
// the library's own (ZSTD_minCLevel() to ZSTD_maxCLevel()); 0 is each library's default.
std::string CheckCompressionLevel(Compression compression, std::int32_t level);

// A new destination database name: non-empty and without '/', '\' or '.'.
std::string CheckNewDatabaseName(std::string_view name);

// An absolute path without NUL and without ".." components.
bool IsAbsolutePath(std::string_view path);

// The first fault of a whole task, with the field it is in, as the JSON form names it
// ("backupSettings.fileNameFormat"). Only what the task's type and schedule use is
// looked at, so that an unused field's leftovers do not refuse a task. A folder or file path
// that is set must be absolute; one left empty is refused by the run itself.
struct TaskFault
{
    std::string field;
    std::string message;

    // "field: message", the JSON reader's style.
    std::string Text() const { return field + ": " + message; }
};
std::optional<TaskFault> CheckTask(const Task& task);

} // namespace kelvanto
