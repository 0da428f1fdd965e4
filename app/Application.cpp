#include "app/Application.h"

#include "app/TaskChecks.h"
#include "app/TaskExtrasFile.h"
#include "app/TaskExtrasGuard.h"
#include "model/AtomicFile.h"
#include "model/FileBytes.h"
#include "model/OptionsStore.h"
#include "model/ServerListStore.h"
#include "model/TaskListStore.h"
#include "model/TaskTexts.h"
#include "mysql/MySqlLibrary.h"
#include "schedule/TaskServerOwner.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>
#include <utility>

namespace kelvanto
{

namespace
{

constexpr const char* kNameTaken = "The task name already exists!\nPlease choose a different task name.";

// magic + a count of 0: the only file that holds no task and loses nothing when replaced.
constexpr std::uintmax_t kEmptyListFileSize = 8;
// A temporary file of a save this old was left by a save that was cut short: a save takes
// far less, so one of another process that is writing now is never taken.
constexpr std::chrono::seconds kStaleTemporaryAge {60};

Result<std::vector<Task>> LoadExistingTaskList(const std::filesystem::path& path)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return std::vector<Task> {};
    auto loaded = LoadTaskListFile(path);
    if (!loaded)
        return Error {
            "cannot read the task list " + path.string() + ": " + loaded.error() + " (the file was left as it is)"};
    // A damaged record makes the whole file read as no task; saving would then destroy it.
    if (loaded->empty() && std::filesystem::file_size(path, ec) != kEmptyListFileSize)
        return Error {
            "the task list " + path.string() + " is damaged (a record mark is wrong); the file was left as it is"};
    return loaded;
}

} // namespace

Application::Application(ConstructionKey, DataFolder folder, std::shared_ptr<Clock> clock)
    : m_folder(std::move(folder))
    , m_clock(std::move(clock))
{ }

Application::~Application()
{
    {
        // A worker that ends its run from here on saves nothing: the runner is going.
        std::lock_guard lock(m_saveMutex);
        m_closing = true;
    }
    // Stops every worker before the log, the options and the save lock go.
    m_server.reset();
}

Result<std::unique_ptr<Application>> Application::Open(
    const DataFolder& folder, std::shared_ptr<Clock> clock, EngineTable engines, TaskServerOwner* observer)
{
    auto prepared = DataFolder::Prepare(folder.Root());
    if (!prepared)
        return Error {prepared.error()};
    auto app = std::make_unique<Application>(ConstructionKey {}, *prepared, std::move(clock));
    // What saves cut short by a crash left behind; the saves of this start make new ones.
    for (const auto& saved : {app->m_folder.Root(), app->m_folder.LogsDir()})
        RemoveStaleTemporaryFiles(saved, kStaleTemporaryAge);

    app->m_options = LoadOptionsFile(app->m_folder.OptionsFile()).options;
    if (app->m_options.defaultBackupFolder.empty())
        app->m_options.defaultBackupFolder = app->m_folder.DefaultBackupFolder();

    const auto serverFile = app->m_folder.ServerListFile();
    (void)LoadServerListFile(serverFile, app->m_servers); // missing or foreign: an empty list
    if (ServerListNeedsUpgrade(serverFile)) {
        if (auto saved = SaveServerListFile(serverFile, app->m_servers); !saved)
            return Error {"cannot rewrite the server list " + serverFile.string() + ": " + saved.error()};
    }

    auto tasks = LoadExistingTaskList(app->m_folder.TaskListFile());
    if (!tasks)
        return Error {tasks.error()};
    auto extras = LoadTaskExtrasFile(app->m_folder.TaskExtrasFile());
    AttachTaskExtras(*tasks, extras);
    app->m_extrasRemains = std::move(extras.remains);

    app->m_log = std::make_shared<TaskLog>(app->m_folder.LogsDir(), app->m_clock);
    app->m_log->SetSizeLimit(app->m_options.logSizeLimited != 0, app->m_options.logMaxSizeKB);
    (void)app->m_log->ConvertLegacyLogs(*tasks); // a failure leaves the marker missing: retried next time
    if (std::string notice = UnreadableExtrasNotice(*tasks); !notice.empty())
        app->NoteLoadProblem(notice);

    InitMySqlLibrary();
    Application* self = app.get();
    // The runner saves the list at the end of every run, whichever scheduler runs it.
    app->m_server = std::make_unique<TaskServer>(
        GuardTaskExtras(std::move(engines)), app->m_clock, app->m_log, app->m_folder.Root(),
        [self] { (void)self->SaveTaskList(); }, [] { EndMySqlThread(); });
    if (observer)
        app->m_server->StartAll(observer);
    // Every loaded task gets a fresh id, as on any addition to the list.
    for (const Task& task : *tasks)
        app->m_server->AddTask(task);
    return app;
}

std::size_t Application::TaskCount() const
{
    return static_cast<std::size_t>(m_server->Count());
}

std::vector<Task> Application::TaskCopies() const
{
    return m_server->CopyOfAllTasks();
}

std::optional<std::size_t> Application::FindTask(const std::string& name) const
{
    const auto tasks = TaskCopies();
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        if (tasks[i].name == name)
            return i;
    }
    return std::nullopt;
}

std::optional<Task> Application::CopyOfTask(std::size_t index) const
{
    return m_server->CopyOfTask(static_cast<int>(index));
}

std::string Application::NewLogFileName(const std::string& name, const TimeStamp& now) const
{
    const std::string first = MakeLogFileName(name, now);
    std::set<std::string> taken;
    for (const Task& task : m_server->CopyOfAllTasks())
        taken.insert(task.logFileName);
    const std::string stem = first.substr(0, first.size() - 4); // without ".log"
    std::string candidate = first;
    const auto onDisk = [&](const std::string& logFileName) {
        std::error_code ignored;
        const auto path = m_log->PathOf(logFileName);
        return path && std::filesystem::symlink_status(*path, ignored).type() != std::filesystem::file_type::not_found;
    };
    for (int number = 2; taken.count(candidate) > 0 || onDisk(candidate); ++number)
        candidate = stem + "_" + std::to_string(number) + ".log";
    return candidate;
}

Result<std::size_t> Application::CreateTask(Task task)
{
    if (auto fault = CheckTask(task))
        return Error {fault->message};
    if (FindTask(task.name))
        return Error {kNameTaken};

    const TimeStamp now = m_clock->Now();
    task.status = TaskStatus::Stopped;
    task.runNow = 0;
    task.createdTime = now;
    task.logFileName = NewLogFileName(task.name, now);
    m_log->WriteLog(task.logFileName, LogLevel::General, "");

    const int index = m_server->AddTask(task);
    if (auto saved = SaveTaskList(); !saved) {
        m_server->RemoveTask(index);
        m_log->DeleteLog(task.logFileName);
        return Error {"cannot save the task list: " + saved.error()};
    }
    m_log->WriteLog(task.logFileName, LogLevel::General, "Create task");
    return static_cast<std::size_t>(index);
}

ServerList Application::ServersCopy() const
{
    std::lock_guard lock(m_serversMutex);
    return m_servers;
}

Result<void> Application::ChangeServers(const std::function<Result<void>(ServerList&)>& change)
{
    std::lock_guard lock(m_serversMutex);
    ServerList changed = m_servers;
    if (auto done = change(changed); !done)
        return done;
    const auto file = m_folder.ServerListFile();
    if (auto saved = SaveServerListFile(file, changed); !saved)
        return Error {"cannot save the server list " + file.string() + ": " + saved.error()};
    m_servers = std::move(changed);
    return Ok();
}

void Application::SetOptions(const Options& options)
{
    m_options = options;
    m_log->SetSizeLimit(m_options.logSizeLimited != 0, m_options.logMaxSizeKB);
}

Result<void> Application::SaveOptions() const
{
    return SaveOptionsFile(m_folder.OptionsFile(), m_options);
}

Result<void> Application::SaveServerList() const
{
    return SaveServerListFile(m_folder.ServerListFile(), m_servers);
}

Result<void> Application::SaveTaskList()
{
    const std::uint64_t request = ++m_saveRequests;
    std::lock_guard lock(m_saveMutex);
    if (m_closing)
        return Error {"the program is closing"};
    // A save that copied the tasks after this request was made has written what it asks
    // for: many runs that end at once wait for one or two saves, not one each.
    if (request <= m_savedThrough)
        return Ok();
    const std::uint64_t covered = m_saveRequests.load();
    std::vector<Task> tasks = m_server->CopyOfAllTasks();
    std::erase_if(tasks, [&](const Task& task) { return m_leaving.count(task.taskId) > 0; });
    auto saved = SaveTaskListWithExtras(m_folder.TaskListFile(), m_folder.TaskExtrasFile(), tasks, m_extrasRemains);
    if (saved) {
        m_savedThrough = covered;
        m_lastSaveFailed = false;
        m_saveFailure.reset();
    } else if (!m_lastSaveFailed) {
        m_lastSaveFailed = true;
        m_saveFailure = saved.error();
    }
    return saved;
}

std::optional<std::string> Application::TakeSaveFailure()
{
    std::lock_guard lock(m_saveMutex);
    return std::exchange(m_saveFailure, std::nullopt);
}

std::filesystem::path Application::ExtrasFileFor(const std::filesystem::path& listFile) const
{
    std::error_code error;
    const auto given = std::filesystem::weakly_canonical(listFile, error);
    const auto own = std::filesystem::weakly_canonical(m_folder.TaskListFile(), error);
    if (!error && given == own)
        return m_folder.TaskExtrasFile();
    return ExtrasFileBeside(listFile);
}

void Application::AttachExtrasOf(const std::filesystem::path& listFile, std::vector<Task>& tasks)
{
    auto extras = LoadTaskExtrasFile(ExtrasFileFor(listFile));
    AttachTaskExtras(tasks, extras);
    {
        std::lock_guard lock(m_saveMutex);
        m_extrasRemains = std::move(extras.remains);
    }
    if (std::string notice = UnreadableExtrasNotice(tasks); !notice.empty())
        NoteLoadProblem(notice);
}

TaskExtrasRemains Application::ExtrasRemains() const
{
    std::lock_guard lock(m_saveMutex);
    return m_extrasRemains;
}

void Application::NoteLoadProblem(const std::string& problem)
{
    std::lock_guard lock(m_noticesMutex);
    m_loadNotices.push_back(problem);
}

std::vector<std::string> Application::TakeLoadNotices()
{
    std::lock_guard lock(m_noticesMutex);
    return std::exchange(m_loadNotices, {});
}

Result<std::vector<Task>> Application::RemoveTasksSaved(std::vector<std::size_t> indices)
{
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    std::vector<Task> removed;
    std::size_t count = 0;
    {
        std::lock_guard lock(m_saveMutex);
        std::vector<Task> kept;
        std::vector<Task> all = m_server->CopyOfAllTasks();
        count = all.size();
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (std::binary_search(indices.begin(), indices.end(), i))
                removed.push_back(std::move(all[i]));
            else if (m_leaving.count(all[i].taskId) == 0)
                kept.push_back(std::move(all[i]));
        }
        auto saved = SaveTaskListWithExtras(
            m_folder.TaskListFile(), m_folder.TaskExtrasFile(), kept, m_extrasRemains, removed);
        if (!saved)
            return Error {"cannot save the task list: " + saved.error()};
        for (const Task& task : removed)
            m_leaving.insert(task.taskId);
    }
    // Outside the save lock: a worker of a task being removed may end its run with a save,
    // which must not keep its own stop waiting.
    for (auto it = indices.rbegin(); it != indices.rend(); ++it) {
        // From the last row up, so that the rows still to remove keep their index.
        if (*it < count)
            m_server->RemoveTask(static_cast<int>(*it));
    }
    std::lock_guard lock(m_saveMutex);
    for (const Task& task : removed)
        m_leaving.erase(task.taskId);
    return removed;
}

} // namespace kelvanto
