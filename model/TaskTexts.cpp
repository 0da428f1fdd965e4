#include "model/TaskTexts.h"

#include "model/Text.h"

#include <string_view>

namespace kelvanto
{

std::string TaskTypeText(TaskType type)
{
    switch (type) {
    case TaskType::BackupToFiles:
        return "Backup to SQL/PHP files";
    case TaskType::BackupToServer:
        return "Backup to the other server";
    case TaskType::BackupToDatabase:
        return "Backup to the other database";
    case TaskType::ExportTables:
        return "Export to CSV/XML/HTML/TEXT files";
    case TaskType::ExecuteScript:
        return "Execute SQL script";
    case TaskType::RestoreFromFiles:
        return "Restore from SQL files";
    case TaskType::RestoreFromServer:
        return "Restore from the other server";
    case TaskType::RestoreFromDatabase:
        return "Restore from the other database";
    }
    return "Unknown";
}

std::string TaskStatusText(TaskStatus status)
{
    switch (status) {
    case TaskStatus::Waiting:
        return "Waiting...";
    case TaskStatus::Stopped:
        return "Stop";
    case TaskStatus::Running:
        return "Running...";
    }
    return "Unknown";
}

std::string ScheduleKindText(ScheduleKind kind)
{
    switch (kind) {
    case ScheduleKind::Manual:
        return "Manual";
    case ScheduleKind::EveryDay:
        return "Every Day";
    case ScheduleKind::EveryWeek:
        return "Every Week";
    case ScheduleKind::EveryMonth:
        return "Every Month";
    case ScheduleKind::SpecialDate:
        return "Special Date";
    case ScheduleKind::TimeInterval:
        return "Minutes";
    }
    return "Unknown";
}

std::string MakeTaskId(const TimeStamp& now, std::size_t tasksBefore)
{
    return std::to_string(now.year) + std::to_string(now.month) + std::to_string(now.day) + std::to_string(now.hour)
        + std::to_string(now.minute) + std::to_string(now.second) + std::to_string(tasksBefore);
}

std::string CleanTaskNameForFile(const std::string& name)
{
    return CleanNameForFile(name);
}

std::string MakeLogFileName(const std::string& name, const TimeStamp& created)
{
    std::string base = CleanTaskNameForFile(name);
    if (base.empty())
        base = "Default";
    return base + "_" + std::to_string(created.year) + std::to_string(created.month) + std::to_string(created.day)
        + std::to_string(created.hour) + std::to_string(created.minute) + std::to_string(created.second) + ".log";
}

std::string CopyTaskName(const std::string& name)
{
    return name + "_Copy";
}

std::string DefaultTaskName(int number)
{
    return "Task " + std::to_string(number);
}

std::string DefaultFileNameFormat(std::uint8_t fileSplit)
{
    switch (fileSplit) {
    case 2:
        return "%HOST%_%DATABASE%_%DATE%_%TIME%";
    case 3:
        return "%HOST%_%DATABASE%_%TABLE%_%DATE%_%TIME%";
    default:
        return "%HOST%_%DATE%_%TIME%";
    }
}

} // namespace kelvanto
