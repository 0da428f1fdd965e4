#include "schedule/TaskWorker.h"

#include <algorithm>

namespace kelvanto
{

void TaskWorker::RequestQuit()
{
    m_quit.store(true, std::memory_order_release);
    m_wake.Ring();
}

bool TaskWorker::WaitUntilFinished(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_finishMutex);
    return m_finishedChanged.wait_for(lock, timeout, [this] { return m_finished; });
}

bool TaskWorker::Finished() const
{
    std::lock_guard lock(m_finishMutex);
    return m_finished;
}

void TaskWorker::CancelRegistered()
{
    std::lock_guard lock(m_cancelMutex);
    for (Cancellable* object : m_cancellables)
        object->Cancel();
}

void TaskWorker::Register(Cancellable* object)
{
    if (!object)
        return;
    std::lock_guard lock(m_cancelMutex);
    m_cancellables.push_back(object);
}

void TaskWorker::Unregister(Cancellable* object)
{
    std::lock_guard lock(m_cancelMutex);
    const auto found = std::find(m_cancellables.begin(), m_cancellables.end(), object);
    if (found != m_cancellables.end())
        m_cancellables.erase(found);
}

void TaskWorker::MarkFinished()
{
    {
        std::lock_guard lock(m_finishMutex);
        m_finished = true;
    }
    m_finishedChanged.notify_all();
}

} // namespace kelvanto
