#include "schedule/WorkerHandle.h"

#include "schedule/TaskWorker.h"

#include <utility>

namespace kelvanto
{

WorkerHandle::WorkerHandle(std::thread thread, std::shared_ptr<TaskWorker> worker)
    : m_thread(std::move(thread))
    , m_worker(std::move(worker))
{ }

WorkerHandle::~WorkerHandle()
{
    Release();
}

WorkerHandle& WorkerHandle::operator=(WorkerHandle&& other) noexcept
{
    if (this != &other) {
        Release();
        m_thread = std::move(other.m_thread);
        m_worker = std::move(other.m_worker);
    }
    return *this;
}

bool WorkerHandle::Live() const
{
    return m_worker && !m_worker->Finished();
}

bool WorkerHandle::ReapIfEnded()
{
    if (Live())
        return false;
    Release();
    return true;
}

void WorkerHandle::Release() noexcept
{
    if (m_worker && m_thread.joinable()) {
        // Joining is only ever done on a thread that has marked itself finished (it is
        // then past every lock and about to return), and never on the thread itself.
        if (m_worker->Finished() && m_thread.get_id() != std::this_thread::get_id()) {
            m_thread.join();
        } else {
            m_worker->RequestQuit();
            m_thread.detach();
        }
    }
    m_thread = std::thread();
    m_worker.reset();
}

} // namespace kelvanto
