#pragma once

#include "schedule/RunProgress.h"
#include "schedule/TaskServerOwner.h"

#include <map>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <vector>

namespace kelvanto
{

// The runner's owner in a scheduler that several parts listen to: the control socket's
// followers of a run, the service's own bookkeeping, the desktop window. Every notice goes
// to every listener, on the thread that made it. It also keeps the last progress report of
// each running task, which the task list's live status shows (the desktop window reads it
// the same way for its tooltip or status bar).
class TaskNotices final : public TaskServerOwner
{
public:
    // A listener must not call Add or Remove from inside a notice.
    void Add(TaskServerOwner* listener);
    // Returns once no notice to the listener is in flight any more.
    void Remove(TaskServerOwner* listener);

    // The last progress report of a task that is running now.
    std::optional<RunProgress> ProgressOf(const std::string& taskId) const;

    void TaskStatusChanged(const std::string& taskId, TaskStatus status) override;
    void TaskLogWritten(const std::string& taskId, LogLevel level, std::string_view message) override;
    void TaskProgress(const std::string& taskId, const RunProgress& progress) override;
    void TaskRunEnded(const std::string& taskId, const RunEnd& end, std::string_view firstError) override;

private:
    std::shared_mutex m_listenersMutex;
    std::vector<TaskServerOwner*> m_listeners;
    mutable std::mutex m_progressMutex;
    std::map<std::string, RunProgress> m_progress;
};

} // namespace kelvanto
