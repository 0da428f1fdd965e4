#pragma once

#include "schedule/RunContext.h"
#include "schedule/WakeSignal.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace kelvanto
{

// Cancels the objects, each on a thread of its own when there are several, so that the
// slowest of them (a connection whose server does not answer the cancel) bounds the whole
// rather than their sum; returns once every Cancel() has returned.
void CancelTogether(const std::vector<Cancellable*>& objects);

// The state of one worker thread that both the thread and its stopper see: the quit
// request, the doorbell that ends its sleep, the cancellable objects it has registered
// and whether it has ended. Shared by the two sides (std::shared_ptr), so it lives as long
// as either needs it, also when a worker is abandoned.
class TaskWorker
{
public:
    // Stopper's side. The request also cancels at once the registered objects that answer
    // CancelOnQuit() (and those registered after it).
    void RequestQuit();
    // Ends the worker's current sleep (a run was requested).
    void Wake() { m_wake.Ring(); }
    // True when the worker ended within the timeout.
    bool WaitUntilFinished(std::chrono::milliseconds timeout);
    bool Finished() const;
    // Calls Cancel() on every registered object, together (see CancelTogether). The worker
    // cannot unregister (and so destroy) an object while this runs.
    void CancelRegistered();

    // Worker's side.
    bool QuitRequested() const { return m_quit.load(std::memory_order_acquire); }
    WakeSignal& Doorbell() { return m_wake; }
    void Register(Cancellable* object);
    void Unregister(Cancellable* object);
    void MarkFinished();

private:
    std::atomic<bool> m_quit {false};
    WakeSignal m_wake;
    std::mutex m_cancelMutex;
    std::vector<Cancellable*> m_cancellables;
    mutable std::mutex m_finishMutex;
    std::condition_variable m_finishedChanged;
    bool m_finished = false;
};

} // namespace kelvanto
