#pragma once

#include "model/TimeStamp.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvanto
{

// The plain value records of a task. Every member has its default here, so a
// default-constructed Task is the task the wizard starts from; copies are deep
// because every list is a std::vector of values.

enum class TaskType : std::uint8_t {
    BackupToFiles = 1,
    BackupToServer = 2,
    BackupToDatabase = 3,
    ExportTables = 4,
    ExecuteScript = 5,
    RestoreFromFiles = 6,
    RestoreFromServer = 7,
    RestoreFromDatabase = 8,
};

enum class TaskStatus : std::uint8_t {
    Waiting = 1,
    Stopped = 2,
    Running = 3,
};

enum class ScheduleKind : std::uint8_t {
    Manual = 0,
    EveryDay = 1,
    EveryWeek = 2,
    EveryMonth = 3,
    SpecialDate = 4,
    TimeInterval = 5,
};

// One MySQL connection profile: a task's source or destination, and an entry of the server list.
struct ServerConnection
{
    std::string connectionName;
    std::string host = "localhost";
    std::int32_t port = 3306;
    std::string user = "root";
    std::string password;
    std::string database;
    std::string comment;
    std::uint8_t savePassword = 0;
    std::uint8_t useCompression = 0;
    std::uint8_t useSsl = 0;
    std::uint8_t reserved = 0;

    bool operator==(const ServerConnection&) const = default;
};

struct Schedule
{
    ScheduleKind kind = ScheduleKind::Manual;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    std::array<std::uint8_t, 7> weekDays {}; // [0] = Sunday ... [6] = Saturday
    std::array<std::uint8_t, 31> monthDays {}; // [0] = the 1st ... [30] = the 31st
    std::int32_t specialYear = 0;
    std::int32_t specialMonth = 0;
    std::int32_t specialDay = 0;
    std::int32_t repeatDays = 0;
    std::int32_t intervalMinutes = 30;

    bool operator==(const Schedule&) const = default;
};

// Dump options (the 28 one-byte flags, in stored order) and the backup-file settings.
struct BackupSettings
{
    std::uint8_t exportStructure = 1;
    std::uint8_t exportRecords = 1;
    std::uint8_t lockTables = 0;
    std::uint8_t flushTables = 0;
    std::uint8_t quoteNames = 1;
    std::uint8_t setConnectionCharset = 1;
    std::uint8_t allNewTables = 0;
    std::uint8_t allNewDatabases = 0;
    std::uint8_t flushLogs = 0;
    std::uint8_t reserved9 = 0;
    std::uint8_t addCreateDatabase = 1;
    std::uint8_t addLockTables = 1;
    std::uint8_t addDropTable = 1;
    std::uint8_t addDeleteAll = 0;
    std::uint8_t addSetNames = 1;
    std::uint8_t completeInsert = 0;
    std::uint8_t insertDelayed = 0;
    std::uint8_t multiRowInsert = 0;
    std::uint8_t useReplace = 0;
    std::uint8_t insertIgnore = 0;
    std::uint8_t addAutocommit = 0;
    std::uint8_t addForeignKeyChecks = 1;
    std::uint8_t addUniqueChecks = 1;
    std::uint8_t addSqlNotes = 1;
    std::uint8_t allowKeywordColumns = 1;
    std::uint8_t disableKeys = 1;
    std::uint8_t fileType = 1; // 1 = SQL (".sql"), 2 = PHP (".php")
    std::uint8_t fileMode = 2; // 1 = always the same file, 2 = new file(s) every time

    std::uint8_t fileSplit = 1; // 1 = one file, 2 = a file per database, 3 = a file per table
    std::string singleFilePath;
    std::string backupFolder; // ends with '/'
    std::string fileNameFormat = "%HOST%_%DATE%_%TIME%";
    std::uint8_t autoDelete = 0; // 0 keep all, 1 older than N days, 2 keep newest N copies
    std::int32_t autoDeleteLimit = 0;
    std::uint8_t newFolderPerRun = 0;
    std::uint8_t unixLineEnds = 0;
    std::uint8_t reservedByte = 0;
    std::uint8_t createDatabase = 0;
    std::string destDatabaseName;

    bool operator==(const BackupSettings&) const = default;
};

struct ExportSettings
{
    std::uint8_t fileType = 1; // 1 CSV, 2 XML, 3 HTML, 4 TEXT
    std::string directory;
    std::string fieldsTerminatedBy;
    std::string fieldsEnclosedBy;
    std::string fieldsEscapedBy;
    std::string linesTerminatedBy;
    std::uint8_t columnNamesOnTop = 0;

    bool operator==(const ExportSettings&) const = default;
};

struct TableItem
{
    std::uint8_t checkState = 0; // 0 not chosen, 2 chosen
    std::uint8_t kind = 0; // 0 undetermined, 1 table, 2 view
    std::string database;
    std::string name;

    bool operator==(const TableItem&) const = default;
};

struct DatabaseItem
{
    std::uint8_t checkState = 0; // 0 not chosen, 1 some tables, 2 whole database
    std::string name;
    std::vector<TableItem> tables;

    bool operator==(const DatabaseItem&) const = default;
};

struct RestoreFile
{
    std::uint8_t checkState = 0;
    std::string fileName;
    std::string path;
    std::int32_t size = 0;
    TimeStamp modified; // year, month, day, hour, minute, second, dayOfWeek

    bool operator==(const RestoreFile&) const = default;
};

struct RestoreOptions
{
    std::uint8_t continueOnSqlError = 0;
    std::uint8_t continueOnFileError = 0;

    bool operator==(const RestoreOptions&) const = default;
};

// One completed backup-to-files run, as rotation needs it.
struct BackupRun
{
    std::string folder; // the run's own folder without trailing '/', or empty
    std::vector<std::string> files; // full paths, in creation order
    std::int32_t year = 0;
    std::int32_t month = 0;
    std::int32_t day = 0;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    std::int32_t second = 0;
    std::uint8_t fileMode = 0;
    std::uint8_t fileType = 0;
    std::uint8_t runReserved = 0;

    bool operator==(const BackupRun&) const = default;
};

struct Task
{
    std::string taskId;
    std::uint8_t runNow = 0;
    std::vector<BackupRun> backupHistory;
    std::string name;
    std::string comment;
    TaskType type = TaskType::BackupToFiles;
    TaskStatus status = TaskStatus::Stopped;
    TimeStamp createdTime;
    TimeStamp startedTime;
    TimeStamp lastRunTime;
    TimeStamp nextRunTime;
    std::string logFileName;
    ServerConnection source;
    ServerConnection destination;
    ExportSettings exportSettings;
    std::vector<TableItem> exportTables;
    BackupSettings backupSettings;
    std::vector<DatabaseItem> databases;
    RestoreOptions restoreOptions;
    std::vector<RestoreFile> restoreFiles;
    Schedule schedule;
    std::vector<std::string> sqlStatements;

    bool operator==(const Task&) const = default;
};

} // namespace kelvanto
