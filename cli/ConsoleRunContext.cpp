#include "cli/ConsoleRunContext.h"

#include <utility>

namespace kelvanto
{

ConsoleRunContext::ConsoleRunContext(std::ostream& out, Task task, std::filesystem::path dataFolder, const Clock& clock,
    const std::atomic<bool>* interrupted)
    : m_out(out)
    , m_task(std::move(task))
    , m_dataFolder(std::move(dataFolder))
    , m_clock(clock)
    , m_interrupted(interrupted)
{ }

bool ConsoleRunContext::QuitRequested()
{
    return m_lost || (m_interrupted && m_interrupted->load());
}

void ConsoleRunContext::Log(LogLevel level, std::string_view message)
{
    if (level == LogLevel::Error)
        ++m_errors;
    m_out << (level == LogLevel::Error ? "ERROR " : level == LogLevel::Warning ? "WARNING " : "") << message << '\n';
}

} // namespace kelvanto
