#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kelvanto
{

// A doorbell for one sleeping thread: Ring() ends its current or next wait at once.
// A ring that arrives while nobody waits is kept until the next wait consumes it, so
// a request made just before the sleeper lies down is never lost.
class WakeSignal
{
public:
    void Ring();
    // Waits up to `duration`; true when the wait ended because of a ring (which it consumes).
    bool WaitFor(std::chrono::milliseconds duration);
    // Consumes a pending ring without waiting; true when there was one.
    bool TakeRing();

private:
    std::mutex m_mutex;
    std::condition_variable m_rung;
    bool m_pending = false;
};

} // namespace kelvanto
