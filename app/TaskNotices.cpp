#include "app/TaskNotices.h"

#include <algorithm>

namespace kelvanto
{

void TaskNotices::Add(TaskServerOwner* listener)
{
    std::unique_lock lock(m_listenersMutex);
    m_listeners.push_back(listener);
}

void TaskNotices::Remove(TaskServerOwner* listener)
{
    std::unique_lock lock(m_listenersMutex);
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
}

std::optional<RunProgress> TaskNotices::ProgressOf(const std::string& taskId) const
{
    std::lock_guard lock(m_progressMutex);
    const auto found = m_progress.find(taskId);
    if (found == m_progress.end())
        return std::nullopt;
    return found->second;
}

void TaskNotices::TaskStatusChanged(const std::string& taskId, TaskStatus status)
{
    {
        // A run that begins or ends has no progress yet, or none any more.
        std::lock_guard lock(m_progressMutex);
        m_progress.erase(taskId);
    }
    std::shared_lock lock(m_listenersMutex);
    for (TaskServerOwner* listener : m_listeners)
        listener->TaskStatusChanged(taskId, status);
}

void TaskNotices::TaskLogWritten(const std::string& taskId, LogLevel level, std::string_view message)
{
    std::shared_lock lock(m_listenersMutex);
    for (TaskServerOwner* listener : m_listeners)
        listener->TaskLogWritten(taskId, level, message);
}

void TaskNotices::TaskProgress(const std::string& taskId, const RunProgress& progress)
{
    {
        std::lock_guard lock(m_progressMutex);
        m_progress[taskId] = progress;
    }
    std::shared_lock lock(m_listenersMutex);
    for (TaskServerOwner* listener : m_listeners)
        listener->TaskProgress(taskId, progress);
}

void TaskNotices::TaskRunEnded(const std::string& taskId, const RunEnd& end, std::string_view firstError)
{
    std::shared_lock lock(m_listenersMutex);
    for (TaskServerOwner* listener : m_listeners)
        listener->TaskRunEnded(taskId, end, firstError);
}

} // namespace kelvanto
