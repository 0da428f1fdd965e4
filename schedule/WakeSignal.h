#pragma once

#include <atomic>
#include <chrono>
#include <optional>

namespace kelvanto
{

// A doorbell for one sleeping thread: Ring() ends its current or next wait at once.
// A ring that arrives while nobody waits is kept until the next wait consumes it, so
// a request made just before the sleeper lies down is never lost.
//
// Built on a futex word rather than a mutex and condition variable: it costs nothing while
// nobody rings, and its absolute wait runs on the wall clock itself (see WaitUntil).
class WakeSignal
{
public:
    void Ring();
    // Waits up to `duration`; true when the wait ended because of a ring (which it consumes).
    bool WaitFor(std::chrono::milliseconds duration);
    // Waits until the wall clock reaches `deadline` (no deadline: until a ring); true when
    // the wait ended because of a ring (which it consumes). The kernel measures the wait on
    // the wall clock, so a clock set forward past the deadline ends it at once, and one set
    // back lengthens it accordingly.
    bool WaitUntil(std::optional<std::chrono::system_clock::time_point> deadline);
    // Consumes a pending ring without waiting; true when there was one.
    bool TakeRing();

private:
    std::atomic<int> m_pending {0};
};

} // namespace kelvanto
