#include "schedule/TaskSlot.h"

namespace kelvanto
{

Task TaskSlot::Copy() const
{
    std::lock_guard lock(m_mutex);
    return m_task;
}

void TaskSlot::SetWriter(const TaskWorker* worker)
{
    std::lock_guard lock(m_mutex);
    m_writer = worker;
}

void TaskSlot::ReleaseWriter(const TaskWorker* worker)
{
    std::lock_guard lock(m_mutex);
    if (m_writer == worker)
        m_writer = nullptr;
}

} // namespace kelvanto
