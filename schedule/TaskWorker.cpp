#include "schedule/TaskWorker.h"

#include <algorithm>
#include <system_error>
#include <thread>

namespace kelvanto
{

void CancelTogether(const std::vector<Cancellable*>& objects)
{
    if (objects.size() == 1) {
        objects.front()->Cancel();
        return;
    }
    std::vector<std::jthread> threads;
    for (Cancellable* object : objects) {
        try {
            threads.emplace_back([object] { object->Cancel(); });
        } catch (const std::system_error&) {
            object->Cancel();
        }
    }
}

void TaskWorker::RequestQuit()
{
    m_quit.store(true, std::memory_order_release);
    m_wake.Ring();
    // What has nothing to lose when broken (a connection attempt) ends now.
    std::lock_guard lock(m_cancelMutex);
    for (Cancellable* object : m_cancellables) {
        if (object->CancelOnQuit())
            object->Cancel();
    }
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
    CancelTogether(m_cancellables);
}

void TaskWorker::Register(Cancellable* object)
{
    if (!object)
        return;
    std::lock_guard lock(m_cancelMutex);
    m_cancellables.push_back(object);
    // A stop requested just before is not missed: RequestQuit set the flag before it looked.
    if (object->CancelOnQuit() && QuitRequested())
        object->Cancel();
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
