#pragma once

#include "model/Task.h"
#include "schedule/RunContext.h"
#include "schedule/RunResult.h"

#include <string>
#include <string_view>

namespace kelvanto
{

// What the runner tells the program about its tasks (the window or the command line).
// Notices arrive on worker threads and on the thread that called the TaskServer; a
// window re-posts them to its own thread. A notice must not call StartAll or StopAll
// (they wait for notices in flight to end before the owner is let go).
class TaskServerOwner
{
public:
    virtual ~TaskServerOwner() = default;
    // A task's status was changed by the runner.
    virtual void TaskStatusChanged(const std::string& taskId, TaskStatus status);
    // The runner or an engine wrote a line to a task's log.
    virtual void TaskLogWritten(const std::string& taskId, LogLevel level, std::string_view message);
    // A running task reported its progress (a few times a second at most). The last report
    // stands until the task's status changes.
    virtual void TaskProgress(const std::string& taskId, const RunProgress& progress);
    // A run ended (its end line is written): how, and the first Error line it logged (empty
    // when none). Comes before the status change that ends the run.
    virtual void TaskRunEnded(const std::string& taskId, const RunEnd& end, std::string_view firstError);
};

} // namespace kelvanto
