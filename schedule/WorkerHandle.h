#pragma once

#include <memory>
#include <thread>

namespace kelvanto
{

class TaskWorker;

// The thread fields of a slot: the worker thread and its shared state. Move-only. Its
// destructor never leaves a joinable std::thread behind: an ended worker is joined, a
// live one is asked to quit and let go (it owns everything it uses).
class WorkerHandle
{
public:
    WorkerHandle() = default;
    WorkerHandle(std::thread thread, std::shared_ptr<TaskWorker> worker);
    ~WorkerHandle();
    WorkerHandle(WorkerHandle&& other) noexcept = default;
    WorkerHandle& operator=(WorkerHandle&& other) noexcept;
    WorkerHandle(const WorkerHandle&) = delete;
    WorkerHandle& operator=(const WorkerHandle&) = delete;

    bool empty() const { return !m_worker; }
    // True while the thread has not ended.
    bool Live() const;
    TaskWorker* worker() const { return m_worker.get(); }
    const std::shared_ptr<TaskWorker>& shared() const { return m_worker; }

    // Joins an ended thread and empties the handle; false (nothing done) while it lives.
    bool ReapIfEnded();

private:
    void Release() noexcept;

    std::thread m_thread;
    std::shared_ptr<TaskWorker> m_worker;
};

} // namespace kelvanto
