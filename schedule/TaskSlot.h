#pragma once

#include "model/Task.h"

#include <mutex>
#include <utility>

namespace kelvanto
{

class TaskWorker;

// The stored record of one task of the list, shared between the thread that drives the
// list and the task's worker. Every access holds the task's small lock. The worker that
// currently serves the task is its writer: a worker that was abandoned after a stop that
// it did not honour in time is no longer the writer, and its late changes are dropped, so
// it can never overwrite the state of the task's next worker.
class TaskSlot
{
public:
    explicit TaskSlot(Task task)
        : m_task(std::move(task))
    { }

    // Calls f(task) under the lock and returns its result.
    template <typename F>
    auto With(F&& f)
    {
        std::lock_guard lock(m_mutex);
        return f(m_task);
    }
    template <typename F>
    auto With(F&& f) const
    {
        std::lock_guard lock(m_mutex);
        return f(static_cast<const Task&>(m_task));
    }

    // Calls f(task) under the lock when worker is the task's writer; false when it is not.
    template <typename F>
    bool WithAsWriter(const TaskWorker* worker, F&& f)
    {
        std::lock_guard lock(m_mutex);
        if (m_writer != worker)
            return false;
        f(m_task);
        return true;
    }

    // Calls f(task) under the lock as a change from outside the worker (a command or an
    // edit), and wakes the waiting writer so that it looks at the task at once.
    template <typename F>
    void Change(F&& f)
    {
        std::lock_guard lock(m_mutex);
        f(m_task);
        WakeWriter();
    }

    Task Copy() const;
    void SetWriter(TaskWorker* worker);
    // Ends worker's right to write (no-op when another worker is the writer).
    void ReleaseWriter(const TaskWorker* worker);

private:
    // Rings the writer's doorbell; called under the lock, while the writer is alive (the
    // runner holds a worker until it is released as the writer).
    void WakeWriter();

    mutable std::mutex m_mutex;
    Task m_task;
    TaskWorker* m_writer = nullptr;
};

} // namespace kelvanto
