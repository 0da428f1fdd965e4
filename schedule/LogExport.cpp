#include "schedule/LogExport.h"

#include "model/PartialFile.h"
#include "schedule/DateFormat.h"
#include "schedule/TaskLog.h"

namespace kelvanto
{

namespace
{

std::string RecordTime(const LogRecord& record, int dateFormat, int timeFormat)
{
    const TimeStamp& t = record.time;
    return FormatDateTime(
        t.year, t.month, t.day, t.hour, t.minute, t.second, t.dayOfWeek, dateFormat, timeFormat, true);
}

template <typename Formatter>
bool ExportLines(
    const std::vector<LogRecord>& records, const std::filesystem::path& target, std::string_view tag, Formatter format)
{
    std::string lines;
    for (const LogRecord& record : records)
        lines += format(record);
    // A log tells what a task does and to which servers: the export is the user's alone, even
    // over a file that others could read.
    return WriteFileWhole(target.string(), tag, lines, true, PartialFile::Replacing::OwnerOnly).ok();
}

} // namespace

std::string FormatLogCsvLine(const LogRecord& record, int dateFormat, int timeFormat)
{
    std::string line = "\"" + RecordTime(record, dateFormat, timeFormat) + "\",";
    line += "\"";
    line += LogLevelName(record.level);
    line += "\",\"";
    line += record.message;
    line += "\"\r\n";
    return line;
}

std::string FormatLogTxtLine(const LogRecord& record, int dateFormat, int timeFormat)
{
    std::string line = "[" + RecordTime(record, dateFormat, timeFormat) + "]\t";
    line += LogLevelName(record.level);
    line += "\t";
    line += record.message;
    line += "\r\n";
    return line;
}

bool ExportLogCsv(const std::vector<LogRecord>& records, const std::filesystem::path& target, int dateFormat,
    int timeFormat, std::string_view tag)
{
    return ExportLines(records, target, tag,
        [&](const LogRecord& record) { return FormatLogCsvLine(record, dateFormat, timeFormat); });
}

bool ExportLogTxt(const std::vector<LogRecord>& records, const std::filesystem::path& target, int dateFormat,
    int timeFormat, std::string_view tag)
{
    return ExportLines(records, target, tag,
        [&](const LogRecord& record) { return FormatLogTxtLine(record, dateFormat, timeFormat); });
}

bool ExportLogFile(const TaskLog& log, std::string_view logFileName, const std::filesystem::path& target)
{
    return log.CopyLogTo(logFileName, target);
}

} // namespace kelvanto
