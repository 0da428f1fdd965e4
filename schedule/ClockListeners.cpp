#include "schedule/ClockListeners.h"

#include "schedule/WakeSignal.h"

namespace kelvanto
{

void ClockListeners::Add(WakeSignal& wake)
{
    std::lock_guard lock(m_mutex);
    m_listeners.insert(&wake);
}

void ClockListeners::Remove(WakeSignal& wake)
{
    std::lock_guard lock(m_mutex);
    m_listeners.erase(&wake);
}

void ClockListeners::RingAll()
{
    // Ringing under the lock keeps a listener from being removed (and freed) mid-ring.
    std::lock_guard lock(m_mutex);
    for (WakeSignal* wake : m_listeners)
        wake->Ring();
}

std::size_t ClockListeners::Count() const
{
    std::lock_guard lock(m_mutex);
    return m_listeners.size();
}

} // namespace kelvanto
