#include "schedule/LogExport.h"

#include "model/UniqueFd.h"
#include "schedule/DateFormat.h"
#include "schedule/TaskLog.h"

#include <fcntl.h>
#include <unistd.h>

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

bool AppendLine(const std::filesystem::path& target, std::string_view line)
{
    UniqueFd fd(::open(target.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
    if (!fd.valid())
        return false;
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t written = ::write(fd.get(), line.data() + done, line.size() - done);
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return fd.close();
}

template <typename Formatter>
bool ExportLines(const std::vector<LogRecord>& records, const std::filesystem::path& target, Formatter format)
{
    for (const LogRecord& record : records) {
        if (!AppendLine(target, format(record)))
            return false;
    }
    return true;
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

bool ExportLogCsv(
    const std::vector<LogRecord>& records, const std::filesystem::path& target, int dateFormat, int timeFormat)
{
    return ExportLines(
        records, target, [&](const LogRecord& record) { return FormatLogCsvLine(record, dateFormat, timeFormat); });
}

bool ExportLogTxt(
    const std::vector<LogRecord>& records, const std::filesystem::path& target, int dateFormat, int timeFormat)
{
    return ExportLines(
        records, target, [&](const LogRecord& record) { return FormatLogTxtLine(record, dateFormat, timeFormat); });
}

bool ExportLogFile(const TaskLog& log, std::string_view logFileName, const std::filesystem::path& target)
{
    return log.CopyLogTo(logFileName, target);
}

} // namespace kelvanto
