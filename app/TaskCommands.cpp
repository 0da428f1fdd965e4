#include "app/TaskCommands.h"

#include "app/Application.h"
#include "app/TaskChecks.h"
#include "app/TaskExtrasFile.h"
#include "app/TaskExtrasGuard.h"
#include "model/TaskListStore.h"
#include "model/TaskTexts.h"
#include "schedule/ReplaceTaskList.h"

#include <algorithm>

namespace kelvanto
{

namespace
{

constexpr const char* kNameTaken = "The task name already exists!\nPlease choose a different task name.";
constexpr const char* kStopFirst = "Please STOP the task first, and then EDIT it.";
constexpr const char* kCopyLine = "Create task by Copy task ";

bool IsManual(const Task& task)
{
    return task.schedule.kind == ScheduleKind::Manual;
}

} // namespace

TaskCommands::TaskCommands(Application& app, TaskServerOwner* owner)
    : m_app(app)
    , m_owner(owner)
{ }

Result<std::size_t> TaskCommands::CreateTask(Task task, bool runManualNow)
{
    auto created = m_app.CreateTask(std::move(task));
    if (!created)
        return created;
    const std::size_t index = *created;
    TaskHandle handle = m_app.Server().TaskAt(static_cast<int>(index));
    if (!IsManual(handle.Copy()) || runManualNow) {
        handle.SetRunNow(IsManual(handle.Copy()) ? 1 : 0);
        StartOne(index);
    } else {
        handle.SetStatus(TaskStatus::Stopped);
    }
    return index;
}

Result<void> TaskCommands::EditTask(std::size_t index, const Task& edited)
{
    TaskServer& server = m_app.Server();
    const auto current = server.CopyOfTask(static_cast<int>(index));
    if (!current)
        return Error {"no such task"};
    if (current->status != TaskStatus::Stopped)
        return Error {kStopFirst};
    // Extras that could not be read are written back as they stood: an edit of them would
    // be lost without a word.
    if (current->extras.unreadable && !(edited.extras == current->extras))
        return Error {UnreadableExtrasLine(*current->extras.unreadable)};
    if (auto fault = CheckTask(edited))
        return Error {fault->message};
    const auto sameName = m_app.FindTask(edited.name);
    if (sameName && *sameName != index)
        return Error {kNameTaken};

    Task replacement = edited;
    replacement.status = TaskStatus::Stopped;
    replacement.runNow = 0;
    server.ReplaceTask(static_cast<int>(index), replacement);
    (void)m_app.SaveTaskList();
    m_app.Log().WriteLog(replacement.logFileName, LogLevel::General, "Edit task");
    if (!IsManual(replacement))
        StartOne(index);
    else
        server.TaskAt(static_cast<int>(index)).SetStatus(TaskStatus::Stopped);
    return Ok();
}

std::optional<std::size_t> TaskCommands::AddCopy(std::size_t index)
{
    TaskServer& server = m_app.Server();
    const auto source = server.CopyOfTask(static_cast<int>(index));
    if (!source)
        return std::nullopt;
    const TimeStamp now = m_app.GetClock().Now();
    Task copy = *source;
    copy.name = CopyTaskName(source->name);
    copy.createdTime = now;
    copy.logFileName = m_app.NewLogFileName(copy.name, now);
    // The copy makes backups of its own: with the source's history, its rotation would
    // expire (delete) the source's backup files as if they were its own.
    copy.backupHistory.clear();
    m_app.Log().WriteLog(copy.logFileName, LogLevel::General, "");
    const int added = server.AddTask(copy);
    TaskHandle handle = server.TaskAt(added);
    handle.SetRunNow(0);
    handle.SetStatus(TaskStatus::Stopped);
    return static_cast<std::size_t>(added);
}

std::vector<std::size_t> TaskCommands::CopyTasks(const std::vector<std::size_t>& indices)
{
    std::vector<std::pair<std::size_t, std::string>> copies; // row, source name
    for (const std::size_t index : indices) {
        if (const auto added = AddCopy(index))
            copies.emplace_back(*added, m_app.CopyOfTask(index)->name);
    }
    if (copies.empty())
        return {};
    (void)m_app.SaveTaskList();
    std::vector<std::size_t> rows;
    for (const auto& [row, sourceName] : copies) {
        m_app.Log().WriteLog(m_app.CopyOfTask(row)->logFileName, LogLevel::General, kCopyLine + sourceName);
        rows.push_back(row);
    }
    return rows;
}

Result<std::size_t> TaskCommands::CopyTaskSaved(std::size_t index)
{
    const auto added = AddCopy(index);
    if (!added)
        return Error {"no such task"};
    const Task copy = *m_app.CopyOfTask(*added);
    if (auto saved = m_app.SaveTaskList(); !saved) {
        m_app.Server().RemoveTask(static_cast<int>(*added));
        m_app.Log().DeleteLog(copy.logFileName);
        return Error {"cannot save the task list: " + saved.error()};
    }
    m_app.Log().WriteLog(copy.logFileName, LogLevel::General, kCopyLine + m_app.CopyOfTask(index)->name);
    return *added;
}

Result<void> TaskCommands::DeleteTasks(const std::vector<std::size_t>& indices)
{
    TaskServer& server = m_app.Server();
    std::vector<std::size_t> marked;
    std::vector<std::size_t> wereScheduled;
    for (const std::size_t index : indices) {
        TaskHandle handle = server.TaskAt(static_cast<int>(index));
        if (!handle)
            continue;
        const TaskStatus status = handle.Status();
        if (status != TaskStatus::Stopped || server.HasWorker(static_cast<int>(index)))
            server.StopTask(static_cast<int>(index));
        handle.SetStatus(TaskStatus::Stopped);
        marked.push_back(index);
        if (status != TaskStatus::Stopped && !IsManual(handle.Copy()))
            wereScheduled.push_back(index);
    }
    auto removed = m_app.RemoveTasksSaved(marked);
    if (!removed) {
        // Nothing was deleted: the scheduled tasks among them go on as before.
        for (const std::size_t index : wereScheduled)
            StartOne(index);
        return Error {removed.error()};
    }
    // Their logs go only now that the list without them is on disk.
    for (const Task& task : *removed)
        m_app.Log().DeleteLog(task.logFileName);
    return Ok();
}

Result<void> TaskCommands::DeleteAll()
{
    std::vector<std::size_t> all(static_cast<std::size_t>(m_app.Server().Count()));
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    return DeleteTasks(all);
}

Result<void> TaskCommands::RenameTask(std::size_t index, const std::string& newName)
{
    TaskHandle handle = m_app.Server().TaskAt(static_cast<int>(index));
    if (!handle)
        return Error {"no such task"};
    if (auto fault = CheckTaskName(newName); !fault.empty())
        return Error {fault};
    const auto sameName = m_app.FindTask(newName);
    if (sameName && *sameName != index)
        return Error {kNameTaken};
    handle.Update([&](Task& task) { task.name = newName; });
    return Ok();
}

std::vector<std::size_t> TaskCommands::StartTasks(const std::vector<std::size_t>& indices)
{
    std::vector<std::size_t> changed;
    for (const std::size_t index : indices) {
        const auto task = m_app.Server().CopyOfTask(static_cast<int>(index));
        if (!task || task->status != TaskStatus::Stopped || IsManual(*task))
            continue;
        m_app.Log().WriteLog(task->logFileName, LogLevel::General, "Start task");
        m_app.Server().TaskAt(static_cast<int>(index)).SetRunNow(0);
        StartOne(index);
        changed.push_back(index);
    }
    return changed;
}

std::vector<std::size_t> TaskCommands::StopTasks(const std::vector<std::size_t>& indices, const Confirm& confirmRunning)
{
    std::vector<std::size_t> changed;
    bool runStopped = false;
    for (const std::size_t index : indices) {
        const auto task = m_app.Server().CopyOfTask(static_cast<int>(index));
        if (!task || task->status == TaskStatus::Stopped)
            continue;
        if (task->status == TaskStatus::Running && !(confirmRunning && confirmRunning(*task)))
            continue;
        m_app.Log().WriteLog(task->logFileName, LogLevel::General, "Stop task");
        StopOne(index);
        changed.push_back(index);
        runStopped |= task->status == TaskStatus::Running;
    }
    // A run that ends by a stop is saved as any other: the runner saves the runs that end
    // by themselves.
    if (runStopped)
        (void)m_app.SaveTaskList();
    return changed;
}

std::vector<std::size_t> TaskCommands::RunImmediately(const std::vector<std::size_t>& indices, const Confirm& confirm)
{
    std::vector<std::size_t> changed;
    for (const std::size_t index : indices) {
        const auto task = m_app.Server().CopyOfTask(static_cast<int>(index));
        if (!task || task->status == TaskStatus::Running)
            continue;
        TaskHandle handle = m_app.Server().TaskAt(static_cast<int>(index));
        if (confirm && !confirm(*task)) {
            handle.SetRunNow(0);
            continue;
        }
        m_app.Log().WriteLog(task->logFileName, LogLevel::General, "Run task immediately");
        handle.SetRunNow(1);
        StartOne(index);
        changed.push_back(index);
    }
    return changed;
}

std::vector<std::size_t> TaskCommands::StartAll()
{
    std::vector<std::size_t> all(m_app.TaskCount());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    return StartTasks(all);
}

std::vector<std::size_t> TaskCommands::StopAll()
{
    std::vector<std::size_t> changed;
    bool runStopped = false;
    const std::size_t count = m_app.TaskCount();
    for (std::size_t index = 0; index < count; ++index) {
        const auto task = m_app.Server().CopyOfTask(static_cast<int>(index));
        if (!task || task->status == TaskStatus::Stopped)
            continue;
        StopOne(index);
        m_app.Log().WriteLog(task->logFileName, LogLevel::General, "Stop task");
        changed.push_back(index);
        runStopped |= task->status == TaskStatus::Running;
    }
    if (runStopped)
        (void)m_app.SaveTaskList();
    return changed;
}

Result<void> TaskCommands::SaveAs(const std::filesystem::path& path) const
{
    return SaveTaskListWithExtras(path, m_app.ExtrasFileFor(path), m_app.TaskCopies(), m_app.ExtrasRemains());
}

Result<void> TaskCommands::LoadFrom(const std::filesystem::path& path)
{
    auto tasks = LoadTaskListFile(path);
    if (!tasks)
        return Error {tasks.error()};
    if (!tasks->empty())
        m_app.AttachExtrasOf(path, *tasks);
    return ReplaceTaskList(m_app.Server(), std::move(*tasks), m_owner);
}

void TaskCommands::Shutdown()
{
    (void)m_app.SaveOptions();
    (void)m_app.SaveTaskList();
    m_app.Server().StopAll();
}

bool TaskCommands::AnyTaskRunning() const
{
    const auto tasks = m_app.TaskCopies();
    return std::any_of(tasks.begin(), tasks.end(), [](const Task& task) { return task.status == TaskStatus::Running; });
}

void TaskCommands::StopOne(std::size_t index)
{
    TaskServer& server = m_app.Server();
    server.TaskAt(static_cast<int>(index)).SetRunNow(0);
    server.StopTask(static_cast<int>(index));
    server.TaskAt(static_cast<int>(index)).SetStatus(TaskStatus::Stopped);
}

void TaskCommands::StartOne(std::size_t index)
{
    m_app.Server().StartTask(static_cast<int>(index));
}

} // namespace kelvanto
