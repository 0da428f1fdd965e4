#pragma once

#include "model/Task.h"
#include "tests/model/ByteBuilder.h"

#include <string>
#include <vector>

namespace kelvanto::test
{

inline constexpr std::uint32_t kCurrent = 0xCABDF9E0u;
inline constexpr unsigned kKey = 0x6E;

inline void AddStamp(ByteBuilder& b, const TimeStamp& t)
{
    b.stamp({t.year, t.month, t.day, t.hour, t.minute, t.second, t.dayOfWeek});
}

inline void AddServer(ByteBuilder& b, const ServerConnection& s)
{
    b.str(s.connectionName, kKey).str(s.host, kKey).i32(s.port).str(s.user, kKey).str(s.password, kKey);
    b.str(s.database, kKey).str(s.comment, kKey).u8s({s.savePassword, s.useCompression, s.useSsl, s.reserved});
}

inline void AddTable(ByteBuilder& b, const TableItem& t)
{
    b.u8s({t.checkState, t.kind}).str(t.database, kKey).str(t.name, kKey);
}

// One record of the current layout, laid out field by field from the layout table.
inline std::string ExpectedCurrentRecord(const Task& t)
{
    ByteBuilder b;
    b.u32(kCurrent).str(t.taskId, kKey).u8(t.runNow).str(t.name, kKey).str(t.comment, kKey);
    b.u8(static_cast<unsigned>(t.type)).u8(static_cast<unsigned>(t.status));
    for (const TimeStamp* s : {&t.createdTime, &t.startedTime, &t.lastRunTime, &t.nextRunTime})
        AddStamp(b, *s);
    b.str(t.logFileName, kKey);
    AddServer(b, t.source);
    AddServer(b, t.destination);
    const ExportSettings& e = t.exportSettings;
    b.u8(e.fileType).str(e.directory, kKey).str(e.fieldsTerminatedBy, kKey).str(e.fieldsEnclosedBy, kKey);
    b.str(e.fieldsEscapedBy, kKey).str(e.linesTerminatedBy, kKey).u8(e.columnNamesOnTop);
    b.i32(static_cast<std::int32_t>(t.exportTables.size()));
    for (const TableItem& item : t.exportTables)
        AddTable(b, item);
    const BackupSettings& s = t.backupSettings;
    b.u8s({s.exportStructure, s.exportRecords, s.lockTables, s.flushTables, s.quoteNames, s.setConnectionCharset,
        s.allNewTables, s.allNewDatabases, s.flushLogs, s.reserved9, s.addCreateDatabase, s.addLockTables,
        s.addDropTable, s.addDeleteAll, s.addSetNames, s.completeInsert, s.insertDelayed, s.multiRowInsert,
        s.useReplace, s.insertIgnore, s.addAutocommit, s.addForeignKeyChecks, s.addUniqueChecks, s.addSqlNotes,
        s.allowKeywordColumns, s.disableKeys, s.fileType, s.fileMode, s.fileSplit});
    b.str(s.singleFilePath, kKey).str(s.backupFolder, kKey).str(s.fileNameFormat, kKey);
    b.u8(s.autoDelete).i32(s.autoDeleteLimit).u8s({s.newFolderPerRun, s.unixLineEnds, s.reservedByte});
    b.u8(s.createDatabase).str(s.destDatabaseName, kKey);
    b.i32(static_cast<std::int32_t>(t.databases.size()));
    for (const DatabaseItem& d : t.databases) {
        b.u8(d.checkState).str(d.name, kKey).i32(static_cast<std::int32_t>(d.tables.size()));
        for (const TableItem& item : d.tables)
            AddTable(b, item);
    }
    const Schedule& c = t.schedule;
    b.u8(static_cast<unsigned>(c.kind)).i32(c.hour).i32(c.minute);
    for (auto day : c.weekDays)
        b.u8(day);
    for (auto day : c.monthDays)
        b.u8(day);
    b.stamp({c.specialYear, c.specialMonth, c.specialDay, c.repeatDays, c.intervalMinutes});
    b.i32(static_cast<std::int32_t>(t.sqlStatements.size()));
    for (const std::string& statement : t.sqlStatements)
        b.str(statement, kKey);
    b.i32(static_cast<std::int32_t>(t.backupHistory.size()));
    for (const BackupRun& r : t.backupHistory) {
        b.stamp({r.year, r.month, r.day, r.hour, r.minute, r.second}).u8s({r.fileMode, r.fileType, r.runReserved});
        b.str(r.folder, kKey).i32(static_cast<std::int32_t>(r.files.size()));
        for (const std::string& file : r.files)
            b.str(file, kKey);
    }
    b.u8s({t.restoreOptions.continueOnSqlError, t.restoreOptions.continueOnFileError});
    b.i32(static_cast<std::int32_t>(t.restoreFiles.size()));
    for (const RestoreFile& f : t.restoreFiles) {
        b.u8(f.checkState).str(f.fileName, kKey).str(f.path, kKey).i32(f.size);
        AddStamp(b, f.modified);
    }
    b.u32(kCurrent);
    return b.bytes();
}

inline std::string ExpectedCurrentFile(const std::vector<Task>& tasks)
{
    ByteBuilder b;
    b.u32(kCurrent).i32(static_cast<std::int32_t>(tasks.size()));
    for (const Task& task : tasks)
        b.raw(ExpectedCurrentRecord(task));
    return b.bytes();
}

// A task with a distinct, non-default value in every field and every list filled.
inline Task FullTask()
{
    Task t;
    t.taskId = "20071234";
    t.runNow = 1;
    t.name = "Daily: web";
    t.comment = "line 1\r\nline 2";
    t.type = TaskType::ExportTables;
    t.status = TaskStatus::Running;
    t.createdTime = {2007, 3, 5, 8, 4, 9, 2};
    t.startedTime = {2008, 1, 2, 3, 4, 5, 6};
    t.lastRunTime = {2009, 12, 31, 23, 59, 58, 5};
    t.logFileName = "Daily web_200735849.log";
    t.source = {"", "db1", 3307, "u", "p\xff\x6e", "sakila", "", 1, 0, 1, 0};
    t.destination = {"dst", "db2", 3308, "root", "", "copy", "c", 0, 1, 0, 7};
    t.exportSettings = {2, "/tmp/out/", ",", "\"", "\\", "\n", 1};
    t.exportTables = {{2, 1, "sakila", "actor"}, {0, 2, "sakila", "actor_info"}};
    std::uint8_t value = 1;
    for (std::uint8_t* flag : {&t.backupSettings.exportStructure, &t.backupSettings.lockTables,
             &t.backupSettings.reserved9, &t.backupSettings.insertIgnore, &t.backupSettings.disableKeys})
        *flag = value += 2;
    t.backupSettings.exportRecords = 0;
    t.backupSettings.fileMode = 1;
    t.backupSettings.fileSplit = 3;
    t.backupSettings.singleFilePath = "/b/one.sql";
    t.backupSettings.backupFolder = "/b/";
    t.backupSettings.fileNameFormat = "%HOST%_%DATABASE%_%TABLE%_%DATE%_%TIME%";
    t.backupSettings.autoDelete = 2;
    t.backupSettings.autoDeleteLimit = 7;
    t.backupSettings.newFolderPerRun = 1;
    t.backupSettings.unixLineEnds = 1;
    t.backupSettings.reservedByte = 9;
    t.backupSettings.createDatabase = 1;
    t.backupSettings.destDatabaseName = "copy";
    t.databases = {{1, "sakila", {{2, 1, "sakila", "film"}, {2, 2, "sakila", "film_list"}}}, {2, "world", {}}};
    t.schedule.kind = ScheduleKind::EveryWeek;
    t.schedule.hour = 2;
    t.schedule.minute = 30;
    t.schedule.weekDays[1] = 1;
    t.schedule.weekDays[6] = 1;
    t.schedule.monthDays[0] = 1;
    t.schedule.monthDays[30] = 1;
    t.schedule.specialYear = 2024;
    t.schedule.specialMonth = 2;
    t.schedule.specialDay = 29;
    t.schedule.repeatDays = 3;
    t.schedule.intervalMinutes = 0;
    t.sqlStatements = {"SELECT 1", "", "INSERT INTO t VALUES ('a;b')"};
    t.backupHistory = {{"20240101_020000", {"/b/a.sql", "/b/b.sql"}, 2024, 1, 1, 2, 0, 0, 2, 1, 0}, {}};
    t.restoreOptions = {1, 0};
    t.restoreFiles = {{0, "a.sql", "/r/a.sql", 1234, {2023, 12, 31, 23, 59, 58, 1}}};
    return t;
}

// A task whose every text, including those with non-empty defaults, is empty.
inline Task EmptyStringsTask()
{
    Task t;
    t.source.host.clear();
    t.source.user.clear();
    t.destination.host.clear();
    t.destination.user.clear();
    t.backupSettings.fileNameFormat.clear();
    return t;
}

// What a loaded task looks like: runNow cleared and status Stopped.
inline Task AsLoaded(Task task)
{
    task.runNow = 0;
    task.status = TaskStatus::Stopped;
    return task;
}

} // namespace kelvanto::test
