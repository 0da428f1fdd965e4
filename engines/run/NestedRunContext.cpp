#include "engines/run/NestedRunContext.h"

#include <utility>

namespace kelvanto
{

NestedRunContext::NestedRunContext(RunContext& outer, Task task)
    : m_outer(outer)
    , m_task(std::move(task))
{ }

void NestedRunContext::Log(LogLevel level, std::string_view message)
{
    if (level == LogLevel::Error)
        ++m_errors;
    if (level == LogLevel::General && message == "Finished")
        return;
    m_outer.Log(level, message);
}

} // namespace kelvanto
