#pragma once

#include "model/Task.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace kelvanto
{

class TaskSlot;

// Access to one stored task of the TaskServer, for reading it and for the commands that
// set its status and runNow. Every call holds the task's lock. The handle keeps the record
// alive; an empty handle (a bad index) reads a default task and ignores changes.
class TaskHandle
{
public:
    TaskHandle() = default;
    explicit TaskHandle(std::shared_ptr<TaskSlot> slot);

    explicit operator bool() const { return static_cast<bool>(m_slot); }

    Task Copy() const;
    TaskStatus Status() const;
    std::uint8_t RunNow() const;
    void SetStatus(TaskStatus status);
    void SetRunNow(std::uint8_t runNow);
    // Calls change(task) under the task's lock; it must not call back into the TaskServer.
    // A waiting worker of the task wakes and looks at the changed task at once.
    void Update(const std::function<void(Task&)>& change);

private:
    std::shared_ptr<TaskSlot> m_slot;
};

} // namespace kelvanto
