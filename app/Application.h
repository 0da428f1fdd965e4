#pragma once

#include "app/DataFolder.h"
#include "app/TaskExtrasFile.h"
#include "model/Options.h"
#include "model/Result.h"
#include "model/ServerList.h"
#include "model/Task.h"
#include "schedule/Clock.h"
#include "schedule/RunContext.h"
#include "schedule/TaskLog.h"
#include "schedule/TaskServer.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kelvanto
{

class TaskServerOwner;

// The program wired together: the data folder, the options, the server list, the task
// logs and the task list. Opening it runs the start-up steps that need no window.
class Application
{
public:
    // Prepares the folders, loads the options (an empty default backup folder becomes the data
    // folder's "Data/"), the server list (a legacy or foreign file is rewritten in the current
    // layout) and the task list, and converts older-format logs once. A task list file that
    // exists but cannot be read whole is an Error and is left untouched: saving over it would
    // destroy the tasks it holds.
    //
    // The client library is initialised before any worker can start, and every worker calls
    // its per-thread clean-up before it ends. No task is started. With an observer (the
    // command line's foreground run), the runner is started with it as its owner while the
    // list is still empty and the tasks are added afterwards, so that the observer hears every
    // log line and status change while no task starts by itself.
    static Result<std::unique_ptr<Application>> Open(const DataFolder& folder, std::shared_ptr<Clock> clock,
        EngineTable engines, TaskServerOwner* observer = nullptr);

    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    const DataFolder& Folder() const { return m_folder; }
    const Options& GetOptions() const { return m_options; }
    // Replaces the options in memory; the task logs' size limit follows at once.
    void SetOptions(const Options& options);
    // Writes the options file (mode 0600, atomically).
    Result<void> SaveOptions() const;
    // The server list for the server manager's changes; SaveServerList writes it.
    ServerList& MutableServers() { return m_servers; }
    Result<void> SaveServerList() const;
    // The server list as loaded; a copy, taken under the list's lock, for use while
    // ChangeServers may run on another thread.
    const ServerList& Servers() const { return m_servers; }
    ServerList ServersCopy() const;
    // Changes the server list as the server manager does: `change` works on a copy under
    // the list's lock; when it succeeds the copy is saved and only then kept. A refusal or a
    // failed save leaves the list and its file as they were.
    Result<void> ChangeServers(const std::function<Result<void>(ServerList&)>& change);
    TaskLog& Log() { return *m_log; }
    const TaskLog& Log() const { return *m_log; }
    TaskServer& Server() { return *m_server; }
    Clock& GetClock() { return *m_clock; }

    std::size_t TaskCount() const;
    // Copies of every task, in list order.
    std::vector<Task> TaskCopies() const;
    // The index of the first task with exactly this name.
    std::optional<std::size_t> FindTask(const std::string& name) const;
    std::optional<Task> CopyOfTask(std::size_t index) const;

    // Creates a task as the wizard's Finish does: the name must be non-empty and unique; the
    // task gets status Stopped, runNow 0, the creation time now and its log file name (the
    // log file is created), is added to the list (with its id) and the list is saved; then
    // "Create task" is logged. Returns the new index, or the refusal's message.
    Result<std::size_t> CreateTask(Task task);
    // The log file name of a task named `name` made at `now`, unique among the tasks and the
    // logs on disk: two tasks made in the same second with the same name (two copies of one
    // task) must not share a log, whose last line is their outcome, nor the extras keyed by it.
    std::string NewLogFileName(const std::string& name, const TimeStamp& now) const;

    // Writes every task (each a consistent copy) to the task list file and their extras to the
    // extras file, both or neither (SaveTaskListWithExtras). Saves from several threads are
    // serialised by one lock; once the program closes, a save does nothing.
    Result<void> SaveTaskList();
    // The error of a failed save of the task list, once: many saves drop their result (the
    // runner's after each run, the list commands'), so the window or the service asks here
    // and tells the user. A failure is handed out once until a save succeeds again, so that
    // a full disk is reported once, not at every run.
    std::optional<std::string> TakeSaveFailure();
    // Saves the task list without the tasks at `indices` and, once that is on disk, removes
    // them from the list (their workers are stopped first) and returns them in row order.
    // A failed save changes nothing and returns its error. No save by the runner (one at the
    // end of a run of a task being removed) writes the tasks back.
    Result<std::vector<Task>> RemoveTasksSaved(std::vector<std::size_t> indices);

    // The extras file that goes with a task list file: the data folder's own for its task
    // list, "<file>.extras.json" for any other.
    std::filesystem::path ExtrasFileFor(const std::filesystem::path& listFile) const;
    // Gives tasks read from listFile the extras of its extras file, which stays as it is. The
    // tasks whose extras cannot be read are reported (NoteLoadProblem); what the saves of the
    // list must keep of the file becomes ExtrasRemains.
    void AttachExtrasOf(const std::filesystem::path& listFile, std::vector<Task>& tasks);
    // What the extras file of the list in memory held besides the tasks' good entries.
    TaskExtrasRemains ExtrasRemains() const;
    // A problem met while loading that did not stop the load, kept for the window or the
    // service to show once (no file changes for it: a reading command writes nothing).
    void NoteLoadProblem(const std::string& problem);
    std::vector<std::string> TakeLoadNotices();

    // Only Open() can make the key, so only Open() constructs an Application.
    class ConstructionKey
    {
        friend class Application;
        ConstructionKey() = default;
    };
    Application(ConstructionKey, DataFolder folder, std::shared_ptr<Clock> clock);

private:
    DataFolder m_folder;
    std::shared_ptr<Clock> m_clock;
    Options m_options;
    ServerList m_servers;
    mutable std::mutex m_serversMutex;
    std::shared_ptr<TaskLog> m_log;
    mutable std::mutex m_saveMutex;
    bool m_lastSaveFailed = false; // under m_saveMutex, as the next four
    std::optional<std::string> m_saveFailure;
    TaskExtrasRemains m_extrasRemains;
    // Ids of tasks that a saved list no longer holds while they are being taken out of the
    // runner: no save writes them back.
    std::set<std::string> m_leaving;
    bool m_closing = false;
    // Saves asked for so far, and the last of them that a save made after it covers.
    std::atomic<std::uint64_t> m_saveRequests {0};
    std::uint64_t m_savedThrough = 0; // under m_saveMutex
    std::mutex m_noticesMutex;
    std::vector<std::string> m_loadNotices;
    // Last, so that it goes first: its workers are stopped while everything they use lives.
    std::unique_ptr<TaskServer> m_server;
};

} // namespace kelvanto
