#pragma once

#include <atomic>

namespace kelvanto
{

// Turns Ctrl-C into a stop request (CliContext::interrupted) for as long as it lives.
class InterruptCatch
{
public:
    explicit InterruptCatch(std::atomic<bool>* flag)
        : m_flag(flag)
    {
        if (m_flag)
            m_flag->store(true);
    }
    ~InterruptCatch()
    {
        if (m_flag)
            m_flag->store(false);
    }
    InterruptCatch(const InterruptCatch&) = delete;
    InterruptCatch& operator=(const InterruptCatch&) = delete;

private:
    std::atomic<bool>* m_flag;
};

} // namespace kelvanto
