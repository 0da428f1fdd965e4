#include "app/TaskChecks.h"

#include "model/ConnectionTimeouts.h"
#include "schedule/ScheduleValidation.h"

#include <algorithm>
#include <array>
#include <functional>
#include <zlib.h>
#include <zstd.h>

namespace kelvanto
{

namespace
{

bool Has(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

std::string CheckKeepLimit(std::string_view text, const char* message)
{
    const int value = ParseNumberField(text);
    return value >= 1 && value <= kMaxKeepLimit ? std::string() : std::string(message);
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool IsRealDate(int year, int month, int day)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    const int days = kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
    return day <= days;
}

template <std::size_t N>
bool AreFlags(const std::array<std::uint8_t, N>& days)
{
    for (std::uint8_t day : days) {
        if (day > 1)
            return false;
    }
    return true;
}

bool UsesSource(TaskType type)
{
    return type != TaskType::RestoreFromFiles;
}

bool UsesDestination(TaskType type)
{
    switch (type) {
    case TaskType::BackupToServer:
    case TaskType::BackupToDatabase:
    case TaskType::RestoreFromFiles:
    case TaskType::RestoreFromServer:
    case TaskType::RestoreFromDatabase:
        return true;
    default:
        return false;
    }
}

// A folder or file that is not set yet is the run's to refuse, with its own message; one
// that is set must be absolute.
bool IsUnsetOrAbsolute(const std::string& path)
{
    return path.empty() || IsAbsolutePath(path);
}

// Collects the first fault; every later check is skipped.
class Checker
{
public:
    void Check(const std::string& field, const std::function<std::string()>& check)
    {
        if (m_fault)
            return;
        if (std::string message = check(); !message.empty())
            m_fault = TaskFault {field, std::move(message)};
    }
    void Require(const std::string& field, bool good, const char* message)
    {
        Check(field, [&] { return good ? std::string() : std::string(message); });
    }
    std::optional<TaskFault> Fault() { return std::move(m_fault); }

private:
    std::optional<TaskFault> m_fault;
};

void CheckServer(Checker& checker, const std::string& field, const ServerConnection& server)
{
    checker.Require(field + ".host", !server.host.empty(), kInputHost);
    checker.Require(field + ".port", server.port >= 1 && server.port <= 65535, kBadPort);
}

void CheckSchedule(Checker& checker, const Schedule& schedule)
{
    const ScheduleKind kind = schedule.kind;
    checker.Require("schedule.kind", static_cast<int>(kind) <= 5, "must be a schedule kind from 0 to 5");
    if (kind == ScheduleKind::Manual)
        return;
    if (kind == ScheduleKind::TimeInterval) {
        checker.Check("schedule.intervalMinutes", [&] { return CheckIntervalMinutes(schedule.intervalMinutes); });
        return;
    }
    checker.Require(
        "schedule.hour", schedule.hour >= 0 && schedule.hour <= 23, "Please choose the hour of the run time.");
    checker.Require(
        "schedule.minute", schedule.minute >= 0 && schedule.minute <= 59, "Please choose the minute of the run time.");
    // A week or month without a chosen day is kept: such a task waits and never comes due
    // by itself (the schedule dialogs ask for a day). A flag is 0 or 1.
    if (kind == ScheduleKind::EveryWeek)
        checker.Require("schedule.weekDays", AreFlags(schedule.weekDays), kBadDayFlags);
    if (kind == ScheduleKind::EveryMonth)
        checker.Require("schedule.monthDays", AreFlags(schedule.monthDays), kBadDayFlags);
    if (kind == ScheduleKind::SpecialDate) {
        checker.Require("schedule.specialDay",
            IsRealDate(schedule.specialYear, schedule.specialMonth, schedule.specialDay), kInvalidDate);
        checker.Require("schedule.repeatDays",
            schedule.repeatDays >= kMinRepeatDays && schedule.repeatDays <= kMaxRepeatDays, kBadRepeatDays);
    }
}

void CheckBackupFiles(Checker& checker, const BackupSettings& settings, const std::vector<DatabaseItem>& databases)
{
    const std::string at = "backupSettings.";
    checker.Require(at + "fileType", settings.fileType == 1 || settings.fileType == 2, "must be 1 (SQL) or 2 (PHP)");
    checker.Require(at + "fileMode", settings.fileMode == 1 || settings.fileMode == 2,
        "must be 1 (always the same file) or 2 (new files every time)");
    checker.Require(at + "fileSplit", settings.fileSplit >= 1 && settings.fileSplit <= 3,
        "must be 1 (one file), 2 (a file per database) or 3 (a file per table)");
    if (settings.fileMode == 1) {
        checker.Require(at + "singleFilePath",
            IsUnsetOrAbsolute(settings.singleFilePath)
                && (settings.singleFilePath.empty() || settings.singleFilePath.back() != '/'),
            kInvalidFile);
        return;
    }
    checker.Require(at + "backupFolder", IsUnsetOrAbsolute(settings.backupFolder), kInvalidFolder);
    checker.Check(
        at + "fileNameFormat", [&] { return CheckFileNameFormat(settings.fileNameFormat, settings.fileSplit); });
    checker.Check(at + "fileNameFormat", [&] { return CheckFormatNamesEveryDatabase(settings, databases); });
    checker.Require(at + "autoDelete", settings.autoDelete <= 2,
        "must be 0 (keep all), 1 (older than the days) or 2 (keep the newest copies)");
    if (settings.autoDelete != 0) {
        checker.Require(at + "autoDeleteLimit",
            settings.autoDeleteLimit >= 1 && settings.autoDeleteLimit <= kMaxKeepLimit,
            settings.autoDelete == 1 ? kBadKeepingDays : kBadCopies);
    }
}

// The time-outs a task sets, within their ranges, and a read time-out that outlasts the lock
// wait: otherwise a statement that waits for a lock ends as a lost connection, and its wait
// goes on in the server, holding up the others that queue behind it, until the lock wait ends.
void CheckTimeouts(Checker& checker, const Task& task)
{
    const TimeoutSettings& set = task.extras.timeouts;
    const auto inRange
        = [&](const char* field, const std::optional<std::int32_t>& value, std::int32_t lo, std::int32_t hi) {
              checker.Check(field, [&] {
                  if (!value || (*value >= lo && *value <= hi))
                      return std::string();
                  return "must be a number of seconds from " + std::to_string(lo) + " to " + std::to_string(hi)
                      + (lo == 0 ? " (0: none)" : "");
              });
          };
    inRange("extras.connectTimeout", set.connect, 1, kMaxConnectTimeout);
    inRange("extras.readTimeout", set.read, 0, kMaxReadWriteTimeout);
    inRange("extras.writeTimeout", set.write, 0, kMaxReadWriteTimeout);
    inRange("extras.lockWaitTimeout", set.lockWait, 1, kMaxLockWaitTimeout);
    const ConnectionTimeouts effective = RunTimeouts(task.type, set);
    checker.Check("extras.readTimeout", [&] {
        if (effective.read == 0 || effective.read > effective.lockWait)
            return std::string();
        return "must be longer than the lock wait (extras.lockWaitTimeout, " + std::to_string(effective.lockWait)
            + " s), or 0 for none: a statement that waits for a lock would otherwise end as a lost connection";
    });
}

} // namespace

std::string CheckTaskName(std::string_view name)
{
    if (name.empty())
        return kNameMissing;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f)
            return kNameControlCharacters;
    }
    if (name.size() > kMaxTaskNameBytes)
        return kNameTooLong;
    return {};
}

std::string CheckTaskServer(const ServerConnection& server)
{
    if (server.host.empty())
        return kInputHost;
    if (server.port < 1 || server.port > 65535)
        return kBadPort;
    return {};
}

std::string CheckFileNameFormat(std::string_view format, int fileSplit)
{
    if (format.empty())
        return kInputFormat;
    if (format.find_first_of(std::string_view("\r\n\t\\/:*?\"<>|\0", 14)) != std::string_view::npos)
        return kBadFormatCharacters;
    if (format == "." || format == "..")
        return kFormatIsFolderName;
    const bool database = Has(format, "%DATABASE%");
    const bool table = Has(format, "%TABLE%");
    switch (fileSplit) {
    case 2:
        if (table)
            return kNoTableInFormat;
        if (!database)
            return kNeedDatabaseInFormat;
        break;
    case 3:
        if (!table)
            return kNeedTableInFormat;
        break;
    default:
        if (database)
            return kNoDatabaseInFormat;
        if (table)
            return kNoTableInFormat;
        break;
    }
    return {};
}

std::string CheckFormatNamesEveryDatabase(const BackupSettings& settings, const std::vector<DatabaseItem>& databases)
{
    if (settings.fileMode != 2 || settings.fileSplit != 3 || Has(settings.fileNameFormat, "%DATABASE%"))
        return {};
    const auto chosen = std::count_if(
        databases.begin(), databases.end(), [](const DatabaseItem& database) { return database.checkState != 0; });
    return chosen > 1 || settings.allNewDatabases == 1 ? kNeedDatabaseForSeveral : std::string();
}

std::string CheckKeepDays(std::string_view text)
{
    return CheckKeepLimit(text, kBadKeepingDays);
}

std::string CheckKeepCopies(std::string_view text)
{
    return CheckKeepLimit(text, kBadCopies);
}

std::string CheckCompressionLevel(Compression compression, std::int32_t level)
{
    int lowest = 0;
    int highest = 0;
    const char* library = "";
    switch (compression) {
    case Compression::None:
        return {};
    case Compression::Gzip:
        highest = Z_BEST_COMPRESSION;
        library = "gzip";
        break;
    case Compression::Zstd:
        lowest = ZSTD_minCLevel();
        highest = ZSTD_maxCLevel();
        library = "zstd";
        break;
    }
    if (level >= lowest && level <= highest)
        return {};
    return "must be from " + std::to_string(lowest) + " to " + std::to_string(highest) + " for " + library
        + " (0: its default level)";
}

std::string CheckNewDatabaseName(std::string_view name)
{
    if (name.empty())
        return kInputNewDatabase;
    if (name.find_first_of("/\\.") != std::string_view::npos)
        return kBadDatabaseName;
    return {};
}

bool IsAbsolutePath(std::string_view path)
{
    if (path.empty() || path.front() != '/' || path.find('\0') != std::string_view::npos)
        return false;
    std::size_t start = 1;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (path.substr(start, end - start) == "..")
            return false;
        start = end + 1;
    }
    return true;
}

std::optional<TaskFault> CheckTask(const Task& task)
{
    Checker checker;
    const auto type = static_cast<int>(task.type);
    checker.Require("type", type >= 1 && type <= 8, "must be a task type from 1 to 8");
    checker.Check("name", [&] { return CheckTaskName(task.name); });
    if (UsesSource(task.type))
        CheckServer(checker, "source", task.source);
    if (UsesDestination(task.type))
        CheckServer(checker, "destination", task.destination);
    CheckSchedule(checker, task.schedule);
    if (task.type == TaskType::BackupToFiles)
        CheckBackupFiles(checker, task.backupSettings, task.databases);
    if (task.type == TaskType::ExportTables) {
        checker.Require("exportSettings.fileType",
            task.exportSettings.fileType >= 1 && task.exportSettings.fileType <= 4,
            "must be 1 (CSV), 2 (XML), 3 (HTML) or 4 (TEXT)");
        checker.Require(
            "exportSettings.directory", IsUnsetOrAbsolute(task.exportSettings.directory), kInvalidDirectory);
    }
    // Only the files of backups and exports are compressed.
    if (task.type == TaskType::BackupToFiles || task.type == TaskType::ExportTables) {
        checker.Check("extras.compressionLevel",
            [&] { return CheckCompressionLevel(task.extras.compression, task.extras.compressionLevel); });
    }
    if (task.type == TaskType::RestoreFromFiles) {
        for (std::size_t i = 0; i < task.restoreFiles.size(); ++i) {
            checker.Require("restoreFiles[" + std::to_string(i) + "].path",
                IsUnsetOrAbsolute(task.restoreFiles[i].path), kInvalidFile);
        }
    }
    CheckTimeouts(checker, task);
    return checker.Fault();
}

} // namespace kelvanto
