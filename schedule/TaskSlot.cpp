#include "schedule/TaskSlot.h"

#include "schedule/TaskWorker.h"

namespace kelvanto
{

Task TaskSlot::Copy() const
{
    std::lock_guard lock(m_mutex);
    return m_task;
}

void TaskSlot::SetWriter(TaskWorker* worker)
{
    std::lock_guard lock(m_mutex);
    m_writer = worker;
}

void TaskSlot::WakeWriter()
{
    if (m_writer)
        m_writer->Wake();
}

void TaskSlot::ReleaseWriter(const TaskWorker* worker)
{
    std::lock_guard lock(m_mutex);
    if (m_writer == worker)
        m_writer = nullptr;
}

} // namespace kelvanto
