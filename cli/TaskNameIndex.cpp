#include "cli/TaskNameIndex.h"

#include "app/Application.h"

namespace kelvanto
{

std::string TaskNameIndex::NameOf(std::string_view logFileName)
{
    std::lock_guard lock(m_mutex);
    auto found = m_names.find(logFileName);
    if (found == m_names.end()) {
        m_names.clear();
        for (const Task& task : m_app.TaskCopies())
            m_names.emplace(task.logFileName, task.name);
        found = m_names.find(logFileName);
        if (found == m_names.end())
            return std::string(logFileName);
    }
    return found->second;
}

void TaskNameIndex::Invalidate()
{
    std::lock_guard lock(m_mutex);
    m_names.clear();
}

} // namespace kelvanto
