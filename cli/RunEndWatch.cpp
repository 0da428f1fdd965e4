#include "cli/RunEndWatch.h"

namespace kelvanto
{

void RunEndWatch::TaskStatusChanged(const std::string& taskId, TaskStatus status)
{
    std::lock_guard lock(m_mutex);
    if (status == TaskStatus::Running) {
        m_running.insert(taskId);
    } else if (m_running.erase(taskId) > 0) {
        m_runEnded.store(true);
    }
}

} // namespace kelvanto
