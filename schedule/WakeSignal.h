#pragma once

#include <atomic>
#include <chrono>

namespace kelvanto
{

// A doorbell for one sleeping thread: Ring() ends its current or next wait at once.
// A ring that arrives while nobody waits is kept until the next wait consumes it, so
// a request made just before the sleeper lies down is never lost.
//
// Built on a futex word rather than a mutex and condition variable: a thousand waiting
// workers each wake twice a second, and a timed-out condition-variable wait costs an
// extra system call to hand back its mutex every time.
class WakeSignal
{
public:
    void Ring();
    // Waits up to `duration`; true when the wait ended because of a ring (which it consumes).
    bool WaitFor(std::chrono::milliseconds duration);
    // Consumes a pending ring without waiting; true when there was one.
    bool TakeRing();

private:
    std::atomic<int> m_pending {0};
};

} // namespace kelvanto
