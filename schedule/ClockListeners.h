#pragma once

#include <mutex>
#include <unordered_set>

namespace kelvanto
{

class WakeSignal;

// The doorbells to ring when the wall clock or the local time zone changes: every waiting
// worker keeps its doorbell here while it waits, so that it computes its due times anew.
// Safe to use from any number of threads.
class ClockListeners
{
public:
    void Add(WakeSignal& wake);
    void Remove(WakeSignal& wake);
    void RingAll();
    std::size_t Count() const;

private:
    mutable std::mutex m_mutex;
    std::unordered_set<WakeSignal*> m_listeners;
};

} // namespace kelvanto
