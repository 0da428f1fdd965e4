#pragma once

#include "model/Task.h"
#include "schedule/FailureCommand.h"
#include "schedule/RunContext.h"
#include "schedule/RunResult.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>

namespace kelvanto
{

class Clock;
class TaskLog;
class TaskServerOwner;

// What every worker of one TaskServer uses: the engines, the clock, the task log, the data
// folder, the program's hooks and its owner. Workers hold it by std::shared_ptr, so an
// abandoned worker never meets freed memory after the TaskServer is gone; Close() then
// cuts it off from the owner and from the task list save, which belong to the program.
class RunnerShared
{
public:
    RunnerShared(EngineTable engines, std::shared_ptr<Clock> clock, std::shared_ptr<TaskLog> log,
        std::filesystem::path dataFolder, std::function<void()> saveTaskList, std::function<void()> threadExit);

    // The engine of a type; nullptr when the table has none.
    const Engine* EngineFor(TaskType type) const;
    Clock& GetClock() const { return *m_clock; }
    TaskLog& GetLog() const { return *m_log; }
    const std::filesystem::path& DataFolder() const { return m_dataFolder; }

    // Saves the task list through the program's hook; does nothing once closed.
    void SaveTaskList();
    // The per-thread clean-up hook, called by every worker right before it ends.
    void ThreadExit();

    // The time limits of the onFailure command (tests shorten them).
    FailureCommandLimits FailureLimits() const;
    void SetFailureLimits(const FailureCommandLimits& limits);

    void SetOwner(TaskServerOwner* owner);
    void Close();

    // Writes one line to a task's log and tells the owner.
    void Log(const std::string& taskId, const std::string& logFileName, LogLevel level, std::string_view message);
    void NotifyStatus(const std::string& taskId, TaskStatus status);
    void NotifyProgress(const std::string& taskId, const RunProgress& progress);
    void NotifyRunEnded(const std::string& taskId, const RunEnd& end, std::string_view firstError);

    // Worker threads that have started and not yet ended, abandoned ones included.
    std::atomic<int> liveThreads {0};

private:
    EngineTable m_engines;
    std::shared_ptr<Clock> m_clock;
    std::shared_ptr<TaskLog> m_log;
    std::filesystem::path m_dataFolder;
    std::function<void()> m_saveTaskList;
    std::function<void()> m_threadExit;
    // Held shared while a notice or a save is in flight, exclusively to change the owner
    // or to close, so that neither is let go while still in use.
    std::shared_mutex m_mutex;
    TaskServerOwner* m_owner = nullptr;
    mutable std::mutex m_limitsMutex;
    FailureCommandLimits m_failureLimits;
    bool m_closed = false;
};

} // namespace kelvanto
