#pragma once

#include "model/Task.h"
#include "schedule/RunContext.h"
#include "schedule/RunResult.h"

#include <memory>
#include <string>

namespace kelvanto
{

class RunnerShared;
class TaskRunContext;
class TaskSlot;
class TaskWorker;
struct Engine;

// The life of one worker thread: it stamps the start time, waits for the task to be due,
// sleeping until the next minute in which it can be due (or a command or a change of the
// clock wakes it), runs the engine of the task's type in its own thread, and ends on a
// quit request, after the one run of a Manual task, or when a run was cancelled.
class WorkerLoop
{
public:
    // The thread's function. It owns its arguments, so nothing it uses can be freed under it.
    static void Run(std::shared_ptr<TaskSlot> slot, std::shared_ptr<TaskWorker> worker,
        std::shared_ptr<RunnerShared> shared) noexcept;

private:
    WorkerLoop(
        std::shared_ptr<TaskSlot> slot, std::shared_ptr<TaskWorker> worker, std::shared_ptr<RunnerShared> shared);

    enum class Next { Continue, End };

    void Serve();
    // Waits until the task is due; false when the worker must end instead.
    bool WaitUntilDue();
    Next RunOnce();
    Next WaitingExit();
    Next RunExit();
    void EndThread();
    // Tells the owner how the run ended and, after a run that did not succeed, runs the
    // task's onFailure command (on this thread, within its time limit) and logs how it ended.
    void AfterRun(const RunEnd& end);

    // Sets the status as the task's writer and tells the owner when it changed; false when
    // this worker is no longer the task's writer.
    bool SetStatus(TaskStatus status);
    void Log(LogLevel level, const char* message);

    std::shared_ptr<TaskSlot> m_slot;
    std::shared_ptr<TaskWorker> m_worker;
    std::shared_ptr<RunnerShared> m_shared;
    std::unique_ptr<TaskRunContext> m_context;
};

} // namespace kelvanto
