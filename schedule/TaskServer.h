#pragma once

#include "model/Task.h"
#include "schedule/FailureCommand.h"
#include "schedule/RunContext.h"
#include "schedule/TaskHandle.h"
#include "schedule/WorkerHandle.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace kelvanto
{

class Clock;
class RunnerShared;
class TaskLog;
class TaskServerOwner;
class TaskSlot;

// The task list while the program runs: one slot per task, in list order, each with its
// stored task and at most one worker thread. The list-changing and starting/stopping
// operations are meant for one controlling thread (the window's or the command line's);
// they are serialised among themselves. Count, TaskAt, CopyOfTask and CopyOfAllTasks may
// also be called from workers (a save of the task list during a run).
//
// No thread is ever killed and nothing a live worker uses is ever freed: a worker that
// does not end within 3000 ms of a stop has its registered connections cancelled and is,
// if it still lives 1000 ms after the cancel, let go with its own references to the task
// record and the runner. Workers stopped together (StopAll, the destructor) share these
// waits, and their cancels run side by side, so that stopping many takes as long as one.
// A connection attempt ends as soon as the stop is requested (Cancellable::CancelOnQuit).
class TaskServer
{
public:
    static constexpr int kAlreadyStarted = -5001;
    static constexpr int kNotStarted = -5003;
    static constexpr int kNoOwner = -5004;

    // saveTaskList backs RunContext::SaveTaskList; threadExit is called by every worker
    // right before it ends (per-thread clean-up of the client library).
    TaskServer(EngineTable engines, std::shared_ptr<Clock> clock, std::shared_ptr<TaskLog> log,
        std::filesystem::path dataFolder, std::function<void()> saveTaskList, std::function<void()> threadExit);
    // Stops every worker like StopAll (whether started or not).
    ~TaskServer();
    TaskServer(const TaskServer&) = delete;
    TaskServer& operator=(const TaskServer&) = delete;

    // 0; kNoOwner without an owner, kAlreadyStarted when started. Starts every slot in order.
    int StartAll(TaskServerOwner* owner);
    // 0; kNotStarted when not started. Stops every task and empties the list.
    int StopAll();
    bool IsStarted() const;

    // Starts the slot's worker unless it has one (then wakes it, so that a runNow just set
    // is seen at once) or the task is Manual with runNow 0. A type without an engine gets none.
    void StartTask(int index);
    // Stops the slot's worker (see the class comment); the task is Stopped afterwards.
    void StopTask(int index);
    // Appends a copy with a fresh taskId and runNow 0, not started; returns its index.
    int AddTask(const Task& task);
    // Removes the slot; a live worker is stopped first.
    void RemoveTask(int index);
    // Copies every field of task over the stored task; a waiting worker wakes to the new
    // schedule at once.
    void ReplaceTask(int index, const Task& task);

    TaskHandle TaskAt(int index) const;
    std::optional<Task> CopyOfTask(int index) const;
    std::vector<Task> CopyOfAllTasks() const;
    int Count() const;

    // How long a task's onFailure command may run (by default a minute, then SIGTERM and,
    // two seconds later, SIGKILL).
    void SetFailureCommandLimits(const FailureCommandLimits& limits);

    // True while the slot has a worker thread that has not ended.
    bool HasWorker(int index) const;
    // Worker threads of this server that have not ended yet, abandoned ones included.
    int LiveThreadCount() const;

private:
    struct Entry
    {
        std::shared_ptr<TaskSlot> slot;
        WorkerHandle handle;
    };

    std::shared_ptr<TaskSlot> SlotAt(int index) const;
    Entry* EntryAt(int index);
    void StartEntry(Entry& entry);
    void StopEntry(Entry& entry);
    void StopEveryEntry();
    void StopEntries(const std::vector<Entry*>& entries);

    std::shared_ptr<RunnerShared> m_shared;
    // Serialises the controlling operations; never taken by a worker.
    mutable std::recursive_mutex m_controlMutex;
    // Guards the list itself; held only while the vector is read or changed.
    mutable std::mutex m_listMutex;
    std::vector<Entry> m_entries;
    bool m_started = false;
};

} // namespace kelvanto
