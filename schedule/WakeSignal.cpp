#include "schedule/WakeSignal.h"

namespace kelvanto
{

void WakeSignal::Ring()
{
    {
        std::lock_guard lock(m_mutex);
        m_pending = true;
    }
    m_rung.notify_all();
}

bool WakeSignal::WaitFor(std::chrono::milliseconds duration)
{
    std::unique_lock lock(m_mutex);
    const bool rung = m_rung.wait_for(lock, duration, [this] { return m_pending; });
    m_pending = false;
    return rung;
}

bool WakeSignal::TakeRing()
{
    std::lock_guard lock(m_mutex);
    const bool rung = m_pending;
    m_pending = false;
    return rung;
}

} // namespace kelvanto
