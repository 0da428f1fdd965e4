#include "ui/wizard/WizardTexts.h"

namespace kelvanto::wizard
{

namespace
{

// The titles of the types 1-8, in their order.
constexpr const char* kTaskTypeTitles[] = {
    QT_TRANSLATE_NOOP("kelvanto::wizard", "Backup MySQL databases to SQL/PHP files"),
    QT_TRANSLATE_NOOP("kelvanto::wizard", "Backup MySQL databases to the other server"),
    QT_TRANSLATE_NOOP("kelvanto::wizard", "Backup one MySQL database to the other database"),
    QT_TRANSLATE_NOOP("kelvanto::wizard", "Export MySQL tables and views to CSV/XML/HTML/TEXT files"),
    QT_TRANSLATE_NOOP("kelvanto::wizard", "Execute MySQL script"),
    QT_TRANSLATE_NOOP("kelvanto::wizard", "Restore MySQL databases from SQL files"),
    QT_TRANSLATE_NOOP("kelvanto::wizard", "Restore MySQL databases from the other server"),
    QT_TRANSLATE_NOOP("kelvanto::wizard", "Restore one MySQL database from the other database"),
};

QString Title(TaskType type)
{
    const int code = static_cast<int>(type);
    return code >= 1 && code <= 8 ? tr(kTaskTypeTitles[code - 1]) : QString();
}

} // namespace

std::string taskTypeTitle(TaskType type)
{
    return Title(type).toStdString();
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
    return QCoreApplication::translate("kelvanto::wizard", "Task Wizard - %1 - Step %2 of %3")
        .arg(Title(type), QString::number(step), QString::number(stepCount(type)))
        .toStdString();
}

QString editCaption(const std::string& name, TaskType type)
{
    return QCoreApplication::translate("kelvanto::wizard", "Edit Task - %1 - %2")
        .arg(QString::fromStdString(name), Title(type));
}

QString propertiesCaption(const std::string& name, TaskType type)
{
    return QCoreApplication::translate("kelvanto::wizard", "Task Properties - %1 - %2")
        .arg(QString::fromStdString(name), Title(type));
}

std::string taskTypeHelpTopic(TaskType type)
{
    return "::/taskwizard/tasktype" + std::to_string(static_cast<int>(type)) + ".html";
}

} // namespace kelvanto::wizard
