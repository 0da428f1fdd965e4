#include "ui/wizard/WizardTexts.h"

namespace kelvanto::wizard
{

std::string taskTypeTitle(TaskType type)
{
    switch (type) {
    case TaskType::BackupToFiles:
        return "Backup MySQL databases to SQL/PHP files";
    case TaskType::BackupToServer:
        return "Backup MySQL databases to the other server";
    case TaskType::BackupToDatabase:
        return "Backup one MySQL database to the other database";
    case TaskType::ExportTables:
        return "Export MySQL tables and views to CSV/XML/HTML/TEXT files";
    case TaskType::ExecuteScript:
        return "Execute MySQL script";
    case TaskType::RestoreFromFiles:
        return "Restore MySQL databases from SQL files";
    case TaskType::RestoreFromServer:
        return "Restore MySQL databases from the other server";
    case TaskType::RestoreFromDatabase:
        return "Restore one MySQL database from the other database";
    }
    return {};
}

TaskType normalizedTaskType(int code)
{
    return code >= 1 && code <= 8 ? static_cast<TaskType>(code) : TaskType::BackupToFiles;
}

int stepCount(TaskType type)
{
    return type == TaskType::ExecuteScript || type == TaskType::RestoreFromFiles ? 5 : 6;
}

std::string stepCaption(TaskType type, int step)
{
    return "Task Wizard - " + taskTypeTitle(type) + " - Step " + std::to_string(step) + " of "
        + std::to_string(stepCount(type));
}

std::string editCaption(const std::string& name, TaskType type)
{
    return "Edit Task - " + name + " - " + taskTypeTitle(type);
}

std::string propertiesCaption(const std::string& name, TaskType type)
{
    return "Task Properties - " + name + " - " + taskTypeTitle(type);
}

std::string taskTypeHelpTopic(TaskType type)
{
    return "::/taskwizard/tasktype" + std::to_string(static_cast<int>(type)) + ".html";
}

} // namespace kelvanto::wizard
