#include "model/TaskRecordReader.h"

#include "model/BackupFlags.h"
#include "model/FileFormat.h"
#include "model/TaskTexts.h"

namespace kelvanto
{

namespace
{

// Smallest encodings of list elements, so that a count can be checked against the bytes left.
constexpr std::size_t kMinStringSize = 4;
constexpr std::size_t kMinTableItemSize = 1 + 4 + 4;
constexpr std::size_t kMinDatabaseSize = 1 + 4 + 4;
constexpr std::size_t kMinBackupRunSize = 6 * 4 + 3 + 4 + 4;
constexpr std::size_t kMinRestoreFileSize = 1 + 4 + 4 + 4 + 7 * 4;

// Strings outside the server blocks: scrambled in the current layout, plain in the older ones.
std::uint8_t TextKey(TaskFileLayout layout)
{
    return layout == TaskFileLayout::Current ? fileformat::kFileKey : fileformat::kPlainKey;
}

void ReadTableItem(BinaryReader& reader, TaskFileLayout layout, TableItem& item)
{
    reader.readU8(item.checkState);
    if (layout == TaskFileLayout::Current)
        reader.readU8(item.kind);
    reader.readString(item.database, TextKey(layout));
    reader.readString(item.name, TextKey(layout));
}

void ReadTableList(BinaryReader& reader, TaskFileLayout layout, std::vector<TableItem>& items)
{
    std::int32_t count = 0;
    reader.readCount(count, kMinTableItemSize);
    for (std::int32_t i = 0; i < count && reader.ok(); ++i) {
        TableItem item;
        ReadTableItem(reader, layout, item);
        items.push_back(std::move(item));
    }
}

void ReadExportSettings(BinaryReader& reader, TaskFileLayout layout, ExportSettings& settings)
{
    const std::uint8_t key = TextKey(layout);
    reader.readU8(settings.fileType);
    reader.readString(settings.directory, key);
    if (layout != TaskFileLayout::Current)
        return;
    reader.readString(settings.fieldsTerminatedBy, key);
    reader.readString(settings.fieldsEnclosedBy, key);
    reader.readString(settings.fieldsEscapedBy, key);
    reader.readString(settings.linesTerminatedBy, key);
    reader.readU8(settings.columnNamesOnTop);
}

template <std::size_t N>
void ReadChosenFlags(BinaryReader& reader, const std::array<int, N>& flags, BackupSettings& settings)
{
    for (int index : flags)
        reader.readU8(settings.*kBackupFlags[static_cast<std::size_t>(index)]);
    reader.readU8(settings.fileSplit);
}

void ReadBackupSettings(BinaryReader& reader, TaskFileLayout layout, BackupSettings& settings)
{
    const std::uint8_t key = TextKey(layout);
    if (layout == TaskFileLayout::LegacyBA) {
        ReadChosenFlags(reader, kBackupFlagsOfLayoutBA, settings);
        reader.readString(settings.singleFilePath, key);
        reader.readString(settings.backupFolder, key);
        settings.addDropTable = 1;
        settings.addDeleteAll = 1;
        settings.fileNameFormat = DefaultFileNameFormat(settings.fileSplit);
        return;
    }
    if (layout == TaskFileLayout::LegacyC0)
        ReadChosenFlags(reader, kBackupFlagsOfLayoutC0, settings);
    else {
        for (BackupFlag flag : kBackupFlags)
            reader.readU8(settings.*flag);
        reader.readU8(settings.fileSplit);
    }
    reader.readString(settings.singleFilePath, key);
    reader.readString(settings.backupFolder, key);
    reader.readString(settings.fileNameFormat, key);
    reader.readU8(settings.autoDelete);
    reader.readI32(settings.autoDeleteLimit);
    reader.readU8(settings.newFolderPerRun);
    if (layout != TaskFileLayout::Current)
        return;
    reader.readU8(settings.unixLineEnds);
    reader.readU8(settings.reservedByte);
    reader.readU8(settings.createDatabase);
    reader.readString(settings.destDatabaseName, key);
}

void ReadDatabases(BinaryReader& reader, TaskFileLayout layout, std::vector<DatabaseItem>& databases)
{
    std::int32_t count = 0;
    reader.readCount(count, kMinDatabaseSize);
    for (std::int32_t i = 0; i < count && reader.ok(); ++i) {
        DatabaseItem database;
        reader.readU8(database.checkState);
        reader.readString(database.name, TextKey(layout));
        ReadTableList(reader, layout, database.tables);
        databases.push_back(std::move(database));
    }
}

void ReadSchedule(BinaryReader& reader, Schedule& schedule)
{
    std::uint8_t kind = 0;
    reader.readU8(kind);
    schedule.kind = static_cast<ScheduleKind>(kind);
    reader.readI32(schedule.hour);
    reader.readI32(schedule.minute);
    for (std::uint8_t& day : schedule.weekDays)
        reader.readU8(day);
    for (std::uint8_t& day : schedule.monthDays)
        reader.readU8(day);
    reader.readI32(schedule.specialYear);
    reader.readI32(schedule.specialMonth);
    reader.readI32(schedule.specialDay);
    reader.readI32(schedule.repeatDays);
    reader.readI32(schedule.intervalMinutes);
}

void ReadStringList(BinaryReader& reader, std::uint8_t key, std::vector<std::string>& list)
{
    std::int32_t count = 0;
    reader.readCount(count, kMinStringSize);
    for (std::int32_t i = 0; i < count && reader.ok(); ++i) {
        std::string text;
        reader.readString(text, key);
        list.push_back(std::move(text));
    }
}

void ReadBackupHistory(BinaryReader& reader, TaskFileLayout layout, std::vector<BackupRun>& history)
{
    std::int32_t count = 0;
    reader.readCount(count, kMinBackupRunSize);
    for (std::int32_t i = 0; i < count && reader.ok(); ++i) {
        BackupRun run;
        reader.readI32(run.year);
        reader.readI32(run.month);
        reader.readI32(run.day);
        reader.readI32(run.hour);
        reader.readI32(run.minute);
        reader.readI32(run.second);
        reader.readU8(run.fileMode);
        reader.readU8(run.fileType);
        reader.readU8(run.runReserved);
        reader.readString(run.folder, TextKey(layout));
        ReadStringList(reader, TextKey(layout), run.files);
        history.push_back(std::move(run));
    }
}

void ReadRestoreFiles(BinaryReader& reader, std::vector<RestoreFile>& files)
{
    std::int32_t count = 0;
    reader.readCount(count, kMinRestoreFileSize);
    for (std::int32_t i = 0; i < count && reader.ok(); ++i) {
        RestoreFile file;
        reader.readU8(file.checkState);
        reader.readString(file.fileName, fileformat::kFileKey);
        reader.readString(file.path, fileformat::kFileKey);
        reader.readI32(file.size);
        ReadTimeStamp(reader, file.modified);
        files.push_back(std::move(file));
    }
}

} // namespace

bool ReadTimeStamp(BinaryReader& reader, TimeStamp& time)
{
    reader.readI32(time.year);
    reader.readI32(time.month);
    reader.readI32(time.day);
    reader.readI32(time.hour);
    reader.readI32(time.minute);
    reader.readI32(time.second);
    reader.readI32(time.dayOfWeek);
    return reader.ok();
}

bool ReadServerConnection(BinaryReader& reader, bool legacy, ServerConnection& server)
{
    const std::uint8_t key = legacy ? fileformat::kLegacyKey : fileformat::kFileKey;
    if (!legacy)
        reader.readString(server.connectionName, key);
    reader.readString(server.host, key);
    reader.readI32(server.port);
    reader.readString(server.user, key);
    reader.readString(server.password, key);
    reader.readString(server.database, key);
    reader.readString(server.comment, key);
    reader.readU8(server.savePassword);
    reader.readU8(server.useCompression);
    reader.readU8(server.useSsl);
    if (!legacy)
        reader.readU8(server.reserved);
    return reader.ok();
}

bool ReadTaskFields(BinaryReader& reader, TaskFileLayout layout, Task& task)
{
    const std::uint8_t key = TextKey(layout);
    const bool legacy = layout != TaskFileLayout::Current;
    reader.readString(task.taskId, key);
    reader.readU8(task.runNow);
    reader.readString(task.name, key);
    reader.readString(task.comment, key);
    std::uint8_t type = 0;
    reader.readU8(type);
    // The older layouts knew no separate "backup to another database": their 3 is a server copy.
    if (legacy && type == 3)
        type = 2;
    task.type = static_cast<TaskType>(type);
    std::uint8_t status = 0;
    reader.readU8(status);
    task.status = static_cast<TaskStatus>(status);
    ReadTimeStamp(reader, task.createdTime);
    ReadTimeStamp(reader, task.startedTime);
    ReadTimeStamp(reader, task.lastRunTime);
    ReadTimeStamp(reader, task.nextRunTime);
    reader.readString(task.logFileName, key);
    ReadServerConnection(reader, legacy, task.source);
    ReadServerConnection(reader, legacy, task.destination);
    ReadExportSettings(reader, layout, task.exportSettings);
    ReadTableList(reader, layout, task.exportTables);
    ReadBackupSettings(reader, layout, task.backupSettings);
    ReadDatabases(reader, layout, task.databases);
    ReadSchedule(reader, task.schedule);
    ReadStringList(reader, key, task.sqlStatements);
    if (layout != TaskFileLayout::LegacyBA)
        ReadBackupHistory(reader, layout, task.backupHistory);
    if (layout == TaskFileLayout::Current) {
        reader.readU8(task.restoreOptions.continueOnSqlError);
        reader.readU8(task.restoreOptions.continueOnFileError);
        ReadRestoreFiles(reader, task.restoreFiles);
    }
    return reader.ok();
}

} // namespace kelvanto
