#pragma once

#include "model/Task.h"

#include <type_traits>

namespace kelvanto::taskjson
{

template <class S, class T>
concept Is = std::is_same_v<std::remove_const_t<S>, T>;

// The fields of every record, in the order of the task list file. One list serves the
// writer and the reader, so the two can never disagree about a name.

template <class V, Is<TimeStamp> S>
void Fields(V& v, S& s)
{
    v.Field("year", s.year);
    v.Field("month", s.month);
    v.Field("day", s.day);
    v.Field("hour", s.hour);
    v.Field("minute", s.minute);
    v.Field("second", s.second);
    v.Field("dayOfWeek", s.dayOfWeek);
}

template <class V, Is<ServerConnection> S>
void Fields(V& v, S& s)
{
    v.Field("connectionName", s.connectionName);
    v.Field("host", s.host);
    v.Field("port", s.port);
    v.Field("user", s.user);
    v.Field("password", s.password);
    v.Field("database", s.database);
    v.Field("comment", s.comment);
    v.Field("savePassword", s.savePassword);
    v.Field("useCompression", s.useCompression);
    v.Field("useSsl", s.useSsl);
    v.Field("reserved", s.reserved);
}

template <class V, Is<ExportSettings> S>
void Fields(V& v, S& s)
{
    v.Field("fileType", s.fileType);
    v.Field("directory", s.directory);
    v.Field("fieldsTerminatedBy", s.fieldsTerminatedBy);
    v.Field("fieldsEnclosedBy", s.fieldsEnclosedBy);
    v.Field("fieldsEscapedBy", s.fieldsEscapedBy);
    v.Field("linesTerminatedBy", s.linesTerminatedBy);
    v.Field("columnNamesOnTop", s.columnNamesOnTop);
}

template <class V, Is<TableItem> S>
void Fields(V& v, S& s)
{
    v.Field("checkState", s.checkState);
    v.Field("kind", s.kind);
    v.Field("database", s.database);
    v.Field("name", s.name);
}

template <class V, Is<DatabaseItem> S>
void Fields(V& v, S& s)
{
    v.Field("checkState", s.checkState);
    v.Field("name", s.name);
    v.Field("tables", s.tables);
}

template <class V, Is<BackupSettings> S>
void Fields(V& v, S& s)
{
    v.Field("exportStructure", s.exportStructure);
    v.Field("exportRecords", s.exportRecords);
    v.Field("lockTables", s.lockTables);
    v.Field("flushTables", s.flushTables);
    v.Field("quoteNames", s.quoteNames);
    v.Field("setConnectionCharset", s.setConnectionCharset);
    v.Field("allNewTables", s.allNewTables);
    v.Field("allNewDatabases", s.allNewDatabases);
    v.Field("flushLogs", s.flushLogs);
    v.Field("reserved9", s.reserved9);
    v.Field("addCreateDatabase", s.addCreateDatabase);
    v.Field("addLockTables", s.addLockTables);
    v.Field("addDropTable", s.addDropTable);
    v.Field("addDeleteAll", s.addDeleteAll);
    v.Field("addSetNames", s.addSetNames);
    v.Field("completeInsert", s.completeInsert);
    v.Field("insertDelayed", s.insertDelayed);
    v.Field("multiRowInsert", s.multiRowInsert);
    v.Field("useReplace", s.useReplace);
    v.Field("insertIgnore", s.insertIgnore);
    v.Field("addAutocommit", s.addAutocommit);
    v.Field("addForeignKeyChecks", s.addForeignKeyChecks);
    v.Field("addUniqueChecks", s.addUniqueChecks);
    v.Field("addSqlNotes", s.addSqlNotes);
    v.Field("allowKeywordColumns", s.allowKeywordColumns);
    v.Field("disableKeys", s.disableKeys);
    v.Field("fileType", s.fileType);
    v.Field("fileMode", s.fileMode);
    v.Field("fileSplit", s.fileSplit);
    v.Field("singleFilePath", s.singleFilePath);
    v.Field("backupFolder", s.backupFolder);
    v.Field("fileNameFormat", s.fileNameFormat);
    v.Field("autoDelete", s.autoDelete);
    v.Field("autoDeleteLimit", s.autoDeleteLimit);
    v.Field("newFolderPerRun", s.newFolderPerRun);
    v.Field("unixLineEnds", s.unixLineEnds);
    v.Field("reservedByte", s.reservedByte);
    v.Field("createDatabase", s.createDatabase);
    v.Field("destDatabaseName", s.destDatabaseName);
}

template <class V, Is<Schedule> S>
void Fields(V& v, S& s)
{
    v.Field("kind", s.kind);
    v.Field("hour", s.hour);
    v.Field("minute", s.minute);
    v.Field("weekDays", s.weekDays);
    v.Field("monthDays", s.monthDays);
    v.Field("specialYear", s.specialYear);
    v.Field("specialMonth", s.specialMonth);
    v.Field("specialDay", s.specialDay);
    v.Field("repeatDays", s.repeatDays);
    v.Field("intervalMinutes", s.intervalMinutes);
}

template <class V, Is<BackupRun> S>
void Fields(V& v, S& s)
{
    v.Field("year", s.year);
    v.Field("month", s.month);
    v.Field("day", s.day);
    v.Field("hour", s.hour);
    v.Field("minute", s.minute);
    v.Field("second", s.second);
    v.Field("fileMode", s.fileMode);
    v.Field("fileType", s.fileType);
    v.Field("runReserved", s.runReserved);
    v.Field("folder", s.folder);
    v.Field("files", s.files);
}

template <class V, Is<RestoreOptions> S>
void Fields(V& v, S& s)
{
    v.Field("continueOnSqlError", s.continueOnSqlError);
    v.Field("continueOnFileError", s.continueOnFileError);
}

template <class V, Is<RestoreFile> S>
void Fields(V& v, S& s)
{
    v.Field("checkState", s.checkState);
    v.Field("fileName", s.fileName);
    v.Field("path", s.path);
    v.Field("size", s.size);
    v.Field("modified", s.modified);
}

template <class V, Is<Task> S>
void Fields(V& v, S& s)
{
    v.Field("taskId", s.taskId);
    v.Field("runNow", s.runNow);
    v.Field("name", s.name);
    v.Field("comment", s.comment);
    v.Field("type", s.type);
    v.Field("status", s.status);
    v.Field("createdTime", s.createdTime);
    v.Field("startedTime", s.startedTime);
    v.Field("lastRunTime", s.lastRunTime);
    v.Field("nextRunTime", s.nextRunTime);
    v.Field("logFileName", s.logFileName);
    v.Field("source", s.source);
    v.Field("destination", s.destination);
    v.Field("exportSettings", s.exportSettings);
    v.Field("exportTables", s.exportTables);
    v.Field("backupSettings", s.backupSettings);
    v.Field("databases", s.databases);
    v.Field("schedule", s.schedule);
    v.Field("sqlStatements", s.sqlStatements);
    v.Field("backupHistory", s.backupHistory);
    v.Field("restoreOptions", s.restoreOptions);
    v.Field("restoreFiles", s.restoreFiles);
}

} // namespace kelvanto::taskjson
