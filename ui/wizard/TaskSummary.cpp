#include "ui/wizard/TaskSummary.h"

#include "schedule/ScheduleDescription.h"
#include "ui/wizard/CommandLine.h"
#include "ui/wizard/ReadOnlyTexts.h"
#include "ui/wizard/WizardTexts.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

namespace kelvanto::wizard
{

namespace
{

// One block: the label line, then each value indented by four blanks.
std::string Block(const char* label, std::initializer_list<std::string> values)
{
    std::string block = label;
    block += "\r\n";
    for (const std::string& value : values)
        block += "    " + value + "\r\n";
    return block;
}

std::string Join(std::initializer_list<std::string> blocks)
{
    std::string text;
    for (const std::string& block : blocks) {
        if (!text.empty())
            text += "\r\n";
        text += block;
    }
    return text;
}

std::string CountsLine(const std::vector<DatabaseItem>& databases)
{
    const ChosenCounts counts = countChosen(databases);
    return std::to_string(counts.databases) + " database(s), " + std::to_string(counts.tables) + " table(s)";
}

std::string ExportKind(std::uint8_t fileType)
{
    switch (fileType) {
    case 1:
        return "CSV";
    case 2:
        return "XML";
    case 3:
        return "HTML";
    case 4:
        return "TEXT";
    default:
        return "None";
    }
}

std::string YesNo(bool value)
{
    return value ? "Yes" : "No";
}

// The size of multi-row INSERT statements, in the largest unit that says it exactly.
std::string InsertSize(std::int64_t bytes)
{
    if (bytes <= 0)
        return "ten rows per statement";
    if (bytes % (1024 * 1024) == 0)
        return "up to " + std::to_string(bytes / (1024 * 1024)) + " MiB";
    if (bytes % 1024 == 0)
        return "up to " + std::to_string(bytes / 1024) + " KiB";
    return "up to " + std::to_string(bytes) + " bytes";
}

// The server a backup is verified on: "Off", the profile's name, or its address.
std::string VerifyServerText(const std::optional<VerifyServer>& server)
{
    if (!server)
        return "Off";
    if (!server->profile.empty())
        return server->profile;
    return server->connection.host + ":" + std::to_string(server->connection.port);
}

// The extras that the run of a backup or copy reads; an export reads the snapshot only, and
// only a backup to files is verified by a restore.
std::string ExtrasBlock(const TaskExtras& extras, TaskType type)
{
    if (type == TaskType::ExportTables)
        return Block("Consistency:", {"Consistent snapshot: " + YesNo(extras.consistentSnapshot)});
    const std::string snapshot = "Consistent snapshot: " + YesNo(extras.consistentSnapshot);
    const std::string objects = "Routines: " + YesNo(extras.routines) + ", triggers: " + YesNo(extras.triggers)
        + ", events: " + YesNo(extras.events);
    const std::string definer
        = std::string("DEFINER: ") + (extras.definer == DefinerMode::Strip ? "Leave out" : "Keep");
    const std::string insertSize = "Multi-row INSERT statements: " + InsertSize(extras.maxInsertBytes);
    if (type != TaskType::BackupToFiles)
        return Block("Consistency and stored objects:", {snapshot, objects, definer, insertSize});
    return Block("Consistency and stored objects:",
        {snapshot, objects, definer, insertSize,
            "Verify by restoring into: " + VerifyServerText(extras.verifyRestore)});
}

} // namespace

ChosenCounts countChosen(const std::vector<DatabaseItem>& databases)
{
    ChosenCounts counts;
    for (const DatabaseItem& database : databases) {
        if (database.checkState == 0)
            continue;
        ++counts.databases;
        for (const TableItem& table : database.tables)
            counts.tables += table.checkState != 0 ? 1 : 0;
    }
    return counts;
}

std::string summaryCaption(TaskType type)
{
    if (taskTypeTitle(type).empty())
        return "Task Wizard";
    return stepCaption(type, stepCount(type));
}

namespace
{

// The blocks of the task's type, the schedule last.
std::string TypeBlocks(const Task& task, const std::string& title)
{
    // Every kind's name is the schedule description's title ("Time Interval" for kind 5).
    const std::string kind = DescribeSchedule(task.schedule, 1, 1).title;
    const std::string name = Block("Task name:", {task.name});
    const std::string type = Block("Task type:", {title});
    const std::string schedule = Block("Task schedule:", {kind});
    const BackupSettings& backup = task.backupSettings;
    const std::string extras = ExtrasBlock(task.extras, task.type);

    switch (task.type) {
    case TaskType::BackupToFiles:
        return Join({name, type, Block("Source MySQL server:", {serverLabel(task.source)}),
            Block("Backup information:", {CountsLine(task.databases)}),
            backup.fileMode == 1 ? Block("To file:", {backup.singleFilePath})
                                 : Block("To folder:", {backup.backupFolder}),
            extras, schedule});
    case TaskType::BackupToServer:
    case TaskType::BackupToDatabase:
        return Join({name, type, Block("Source MySQL server:", {serverLabel(task.source)}),
            Block("Backup information:", {CountsLine(task.databases)}),
            Block("Destination MySQL server:", {serverLabel(task.destination)}), extras, schedule});
    case TaskType::ExportTables:
        return Join({name, type, Block("Source MySQL server:", {serverLabel(task.source)}),
            Block("Export information:", {std::to_string(task.exportTables.size()) + " table(s)"}),
            Block("To file ( type and directory ):",
                {ExportKind(task.exportSettings.fileType), task.exportSettings.directory}),
            extras, schedule});
    case TaskType::ExecuteScript:
        return Join({name, type, Block("MySQL server:", {serverLabel(task.source)}),
            Block("SQL script:", {std::to_string(task.sqlStatements.size()) + " statement(s)"}), schedule});
    case TaskType::RestoreFromFiles:
        return Join({name, type, Block("Backup Files:", {std::to_string(task.restoreFiles.size()) + " file(s)"}),
            Block("MySQL server:", {serverLabel(task.destination)}),
            Block("Connections:", {std::to_string(std::max(task.extras.restoreThreads, 1))}), schedule});
    case TaskType::RestoreFromServer:
    case TaskType::RestoreFromDatabase:
        return Join({name, type, Block("Source MySQL server:", {serverLabel(task.source)}),
            Block("Restore information:", {CountsLine(task.databases)}),
            Block("Destination MySQL server:", {serverLabel(task.destination)}), extras, schedule});
    }
    return {};
}

} // namespace

std::string buildTaskSummary(const Task& task)
{
    const std::string title = taskTypeTitle(task.type);
    if (title.empty())
        return {};
    const std::string blocks = TypeBlocks(task, title);
    if (task.extras.onFailure.empty())
        return blocks;
    return Join({blocks, Block("On failure:", {joinCommandLine(task.extras.onFailure)})});
}

} // namespace kelvanto::wizard
