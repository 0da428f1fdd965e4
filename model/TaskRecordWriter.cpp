#include "model/TaskRecordWriter.h"

#include "model/BackupFlags.h"
#include "model/FileFormat.h"

namespace kelvanto
{

namespace
{

constexpr std::uint8_t kKey = fileformat::kFileKey;

void WriteTableItem(BinaryWriter& writer, const TableItem& item)
{
    writer.writeU8(item.checkState);
    writer.writeU8(item.kind);
    writer.writeString(item.database, kKey);
    writer.writeString(item.name, kKey);
}

void WriteExportSettings(BinaryWriter& writer, const ExportSettings& settings)
{
    writer.writeU8(settings.fileType);
    writer.writeString(settings.directory, kKey);
    writer.writeString(settings.fieldsTerminatedBy, kKey);
    writer.writeString(settings.fieldsEnclosedBy, kKey);
    writer.writeString(settings.fieldsEscapedBy, kKey);
    writer.writeString(settings.linesTerminatedBy, kKey);
    writer.writeU8(settings.columnNamesOnTop);
}

void WriteBackupSettings(BinaryWriter& writer, const BackupSettings& settings)
{
    for (BackupFlag flag : kBackupFlags)
        writer.writeU8(settings.*flag);
    writer.writeU8(settings.fileSplit);
    writer.writeString(settings.singleFilePath, kKey);
    writer.writeString(settings.backupFolder, kKey);
    writer.writeString(settings.fileNameFormat, kKey);
    writer.writeU8(settings.autoDelete);
    writer.writeI32(settings.autoDeleteLimit);
    writer.writeU8(settings.newFolderPerRun);
    writer.writeU8(settings.unixLineEnds);
    writer.writeU8(settings.reservedByte);
    writer.writeU8(settings.createDatabase);
    writer.writeString(settings.destDatabaseName, kKey);
}

void WriteSchedule(BinaryWriter& writer, const Schedule& schedule)
{
    writer.writeU8(static_cast<std::uint8_t>(schedule.kind));
    writer.writeI32(schedule.hour);
    writer.writeI32(schedule.minute);
    for (std::uint8_t day : schedule.weekDays)
        writer.writeU8(day);
    for (std::uint8_t day : schedule.monthDays)
        writer.writeU8(day);
    writer.writeI32(schedule.specialYear);
    writer.writeI32(schedule.specialMonth);
    writer.writeI32(schedule.specialDay);
    writer.writeI32(schedule.repeatDays);
    writer.writeI32(schedule.intervalMinutes);
}

void WriteBackupRun(BinaryWriter& writer, const BackupRun& run)
{
    writer.writeI32(run.year);
    writer.writeI32(run.month);
    writer.writeI32(run.day);
    writer.writeI32(run.hour);
    writer.writeI32(run.minute);
    writer.writeI32(run.second);
    writer.writeU8(run.fileMode);
    writer.writeU8(run.fileType);
    writer.writeU8(run.runReserved);
    writer.writeString(run.folder, kKey);
    writer.writeCount(run.files.size());
    for (const std::string& file : run.files)
        writer.writeString(file, kKey);
}

void WriteRestoreFile(BinaryWriter& writer, const RestoreFile& file)
{
    writer.writeU8(file.checkState);
    writer.writeString(file.fileName, kKey);
    writer.writeString(file.path, kKey);
    writer.writeI32(file.size);
    WriteTimeStamp(writer, file.modified);
}

} // namespace

void WriteTimeStamp(BinaryWriter& writer, const TimeStamp& time)
{
    writer.writeI32(time.year);
    writer.writeI32(time.month);
    writer.writeI32(time.day);
    writer.writeI32(time.hour);
    writer.writeI32(time.minute);
    writer.writeI32(time.second);
    writer.writeI32(time.dayOfWeek);
}

void WriteServerConnection(BinaryWriter& writer, const ServerConnection& server)
{
    writer.writeString(server.connectionName, kKey);
    writer.writeString(server.host, kKey);
    writer.writeI32(server.port);
    writer.writeString(server.user, kKey);
    writer.writeString(server.password, kKey);
    writer.writeString(server.database, kKey);
    writer.writeString(server.comment, kKey);
    writer.writeU8(server.savePassword);
    writer.writeU8(server.useCompression);
    writer.writeU8(server.useSsl);
    writer.writeU8(server.reserved);
}

void WriteTaskRecord(BinaryWriter& writer, const Task& task)
{
    writer.writeU32(fileformat::kMagic);
    writer.writeString(task.taskId, kKey);
    writer.writeU8(task.runNow);
    writer.writeString(task.name, kKey);
    writer.writeString(task.comment, kKey);
    writer.writeU8(static_cast<std::uint8_t>(task.type));
    writer.writeU8(static_cast<std::uint8_t>(task.status));
    WriteTimeStamp(writer, task.createdTime);
    WriteTimeStamp(writer, task.startedTime);
    WriteTimeStamp(writer, task.lastRunTime);
    WriteTimeStamp(writer, task.nextRunTime);
    writer.writeString(task.logFileName, kKey);
    WriteServerConnection(writer, task.source);
    WriteServerConnection(writer, task.destination);
    WriteExportSettings(writer, task.exportSettings);
    writer.writeCount(task.exportTables.size());
    for (const TableItem& item : task.exportTables)
        WriteTableItem(writer, item);
    WriteBackupSettings(writer, task.backupSettings);
    writer.writeCount(task.databases.size());
    for (const DatabaseItem& database : task.databases) {
        writer.writeU8(database.checkState);
        writer.writeString(database.name, kKey);
        writer.writeCount(database.tables.size());
        for (const TableItem& table : database.tables)
            WriteTableItem(writer, table);
    }
    WriteSchedule(writer, task.schedule);
    writer.writeCount(task.sqlStatements.size());
    for (const std::string& statement : task.sqlStatements)
        writer.writeString(statement, kKey);
    writer.writeCount(task.backupHistory.size());
    for (const BackupRun& run : task.backupHistory)
        WriteBackupRun(writer, run);
    writer.writeU8(task.restoreOptions.continueOnSqlError);
    writer.writeU8(task.restoreOptions.continueOnFileError);
    writer.writeCount(task.restoreFiles.size());
    for (const RestoreFile& file : task.restoreFiles)
        WriteRestoreFile(writer, file);
    writer.writeU32(fileformat::kMagic);
}

} // namespace kelvanto
