#pragma once

#include "model/TimeStamp.h"

#include <array>
#include <cstdint>
#include <optional>
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

// Settings that the stored task record has no room for. They live beside the task list in
// "tasks_extras.json", keyed by the task's log file name. Every member's default here is its
// "off" value: a task without an entry behaves exactly as its stored record says, so task
// lists written before these settings existed keep their behaviour. Tasks created from now
// on start from NewTaskExtras(type) instead.
enum class DefinerMode : std::uint8_t {
    Keep = 0,
    Strip = 1,
};

enum class Compression : std::uint8_t {
    None = 0,
    Zstd = 1,
    Gzip = 2,
};

// The server that a backup is restored into to prove it: a stored profile by name, or the
// connection fields themselves.
struct VerifyServer
{
    std::string profile;
    ServerConnection connection;

    bool operator==(const VerifyServer&) const = default;
};

// The extras of a task that could not be read from the extras file: its settings are not
// known, so the task does not run until they are mended and the list loaded again.
struct UnreadableExtras
{
    // Why, with the file's name ("/data/tasks_extras.json: tasks[2].extras.compressionLevel:
    // must be an integer from -131072 to 22").
    std::string problem;
    // The task's entry of the file as JSON text, written back unchanged by every save; empty
    // when no entry could be told to be the task's.
    std::string entry;

    bool operator==(const UnreadableExtras&) const = default;
};

// How long a run's connections may wait for their server, in seconds; each one unset takes
// its default (model/ConnectionTimeouts.h), which every task has, with or without an entry.
struct TimeoutSettings
{
    std::optional<std::int32_t> connect;
    std::optional<std::int32_t> read; // 0: none
    std::optional<std::int32_t> write; // 0: none
    std::optional<std::int32_t> lockWait;

    bool operator==(const TimeoutSettings&) const = default;
};

struct TaskExtras
{
    // One snapshot for the whole run.
    bool consistentSnapshot = false;
    // Stored procedures and functions, triggers and events are carried.
    bool routines = false;
    bool triggers = false;
    bool events = false;
    DefinerMode definer = DefinerMode::Keep;
    // Compression of the files that a run writes; compressionLevel 0 means the library's default.
    Compression compression = Compression::None;
    std::int32_t compressionLevel = 0;
    // After a backup succeeds, restore it into this server and compare.
    std::optional<VerifyServer> verifyRestore;
    // 0: the ten-row rule; N: as many rows per INSERT as fit in N bytes.
    std::int64_t maxInsertBytes = 0;
    // 0: every statement commits on its own; N: N statements per transaction.
    std::int32_t commitEvery = 0;
    // Connections that restore a per-table backup in parallel.
    std::int32_t restoreThreads = 1;
    // A command (argument list, no shell) run after a run that did not succeed.
    std::vector<std::string> onFailure;
    // XML and HTML export files end their lines with LF instead of CR LF. (TEXT and CSV files
    // end them with the task's own "lines terminated by"; CSV's standard is CR LF.)
    bool exportUnixLineEnds = false;
    // Set when the entry of the task could not be read; every other member is then off and
    // means nothing.
    std::optional<UnreadableExtras> unreadable;
    // The time-outs of the run's connections (unset: their defaults, so not an "off" value).
    TimeoutSettings timeouts;

    bool operator==(const TaskExtras&) const = default;
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
    // Not part of the stored record: kept in the extras file beside the task list.
    TaskExtras extras;

    bool operator==(const Task&) const = default;
};

} // namespace kelvanto
