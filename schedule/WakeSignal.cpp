#include "schedule/WakeSignal.h"

#include <cerrno>
#include <ctime>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace kelvanto
{

namespace
{

// The futex word is the atomic's own storage (std::atomic<int> is a plain int here).
int* Word(std::atomic<int>& value)
{
    static_assert(sizeof(std::atomic<int>) == sizeof(int) && std::atomic<int>::is_always_lock_free);
    return reinterpret_cast<int*>(&value);
}

} // namespace

void WakeSignal::Ring()
{
    m_pending.store(1, std::memory_order_release);
    syscall(SYS_futex, Word(m_pending), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

bool WakeSignal::WaitFor(std::chrono::milliseconds duration)
{
    using Steady = std::chrono::steady_clock;
    const Steady::time_point end = Steady::now() + duration;
    for (;;) {
        if (TakeRing())
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(end - Steady::now());
        if (left.count() <= 0)
            return false;
        timespec timeout {};
        timeout.tv_sec = static_cast<std::time_t>(left.count() / 1000000000);
        timeout.tv_nsec = static_cast<long>(left.count() % 1000000000);
        // Sleeps only while the word is still 0; a ring in between makes it return at once.
        syscall(SYS_futex, Word(m_pending), FUTEX_WAIT_PRIVATE, 0, &timeout, nullptr, 0);
    }
}

bool WakeSignal::WaitUntil(std::optional<std::chrono::system_clock::time_point> deadline)
{
    timespec absolute {};
    if (deadline) {
        const auto since = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline->time_since_epoch());
        if (since.count() <= 0)
            return TakeRing();
        absolute.tv_sec = static_cast<std::time_t>(since.count() / 1000000000);
        absolute.tv_nsec = static_cast<long>(since.count() % 1000000000);
    }
    for (;;) {
        if (TakeRing())
            return true;
        // FUTEX_WAIT_BITSET takes an absolute time, on CLOCK_REALTIME with FUTEX_CLOCK_REALTIME.
        const long result = syscall(SYS_futex, Word(m_pending), FUTEX_WAIT_BITSET_PRIVATE | FUTEX_CLOCK_REALTIME, 0,
            deadline ? &absolute : nullptr, nullptr, FUTEX_BITSET_MATCH_ANY);
        if (result != 0 && errno == ETIMEDOUT)
            return TakeRing();
    }
}

bool WakeSignal::TakeRing()
{
    return m_pending.exchange(0, std::memory_order_acquire) != 0;
}

} // namespace kelvanto
