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

// Append one line per record to target, opening, appending to and closing the file for
// every line (an existing file keeps its content). They stop at the first line whose file
// cannot be opened or written and then return false.
bool ExportLogCsv(
    const std::vector<LogRecord>& records, const std::filesystem::path& target, int dateFormat, int timeFormat);
bool ExportLogTxt(
    const std::vector<LogRecord>& records, const std::filesystem::path& target, int dateFormat, int timeFormat);

// The LOG export: the task's binary log file copied byte for byte to target, replacing it.
bool ExportLogFile(const TaskLog& log, std::string_view logFileName, const std::filesystem::path& target);

} // namespace kelvanto
