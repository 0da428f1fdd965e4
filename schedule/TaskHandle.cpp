#include "schedule/TaskHandle.h"

#include "schedule/TaskSlot.h"

#include <utility>

namespace kelvanto
{

TaskHandle::TaskHandle(std::shared_ptr<TaskSlot> slot)
    : m_slot(std::move(slot))
{ }

Task TaskHandle::Copy() const
{
    return m_slot ? m_slot->Copy() : Task {};
}

TaskStatus TaskHandle::Status() const
{
    return m_slot ? m_slot->With([](const Task& task) { return task.status; }) : Task {}.status;
}

std::uint8_t TaskHandle::RunNow() const
{
    return m_slot ? m_slot->With([](const Task& task) { return task.runNow; }) : std::uint8_t {0};
}

void TaskHandle::SetStatus(TaskStatus status)
{
    Update([status](Task& task) { task.status = status; });
}

void TaskHandle::SetRunNow(std::uint8_t runNow)
{
    Update([runNow](Task& task) { task.runNow = runNow; });
}

void TaskHandle::Update(const std::function<void(Task&)>& change)
{
    if (m_slot)
        m_slot->Change([&](Task& task) { change(task); });
}

} // namespace kelvanto
