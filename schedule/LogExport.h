#pragma once

#include "schedule/LogRecord.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kelvanto
{

class TaskLog;

// The exports of the task log viewer. The date and time are FormatDateTime with seconds
// and the two display options.

// "\"<date and time>\",\"<level name>\",\"<message>\"\r\n" (quotes in the message as they are).
std::string FormatLogCsvLine(const LogRecord& record, int dateFormat, int timeFormat);
// "[<date and time>]\t<level name>\t<message>\r\n".
std::string FormatLogTxtLine(const LogRecord& record, int dateFormat, int timeFormat);

// Append one line per record to target (an existing file keeps its content). Every export
// is written whole under a temporary name beside the target ("<name>.<tag>.partial", see
// PartialFile; `tag` is PartialTag of the task's log file name), mode 0600 even where it
// replaces a file of another mode, and renamed into place: the target is either the old file or the old file with every
// line, and a symbolic link or file that another user planted there is never written through. False when the file
// cannot be written.
bool ExportLogCsv(const std::vector<LogRecord>& records, const std::filesystem::path& target, int dateFormat,
    int timeFormat, std::string_view tag = "kelvanto");
bool ExportLogTxt(const std::vector<LogRecord>& records, const std::filesystem::path& target, int dateFormat,
    int timeFormat, std::string_view tag = "kelvanto");

// The LOG export: the task's binary log file copied byte for byte to target, replacing it
// (written whole as above, the tag made from logFileName).
bool ExportLogFile(const TaskLog& log, std::string_view logFileName, const std::filesystem::path& target);

} // namespace kelvanto
