#include "app/LastRunCache.h"

#include "app/TaskListStatus.h"
#include "schedule/TaskLog.h"

#include <sys/stat.h>

namespace kelvanto
{

std::optional<LastRun> LastRunCache::Of(const TaskLog& log, const Task& task)
{
    const auto path = log.PathOf(task.logFileName);
    struct stat info
    { };
    if (!path || ::stat(path->c_str(), &info) != 0) {
        std::lock_guard lock(m_mutex);
        m_entries.erase(task.logFileName);
        return std::nullopt;
    }
    const auto size = static_cast<std::uint64_t>(info.st_size);
    const std::int64_t changedNs = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    std::optional<LastRun> last;
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_entries.find(task.logFileName);
        if (found != m_entries.end() && found->second.size == size && found->second.changedNs == changedNs)
            last = found->second.last;
        else
            last = LastRunOf(log, task.logFileName);
        m_entries[task.logFileName] = Entry {size, changedNs, last};
    }
    return ShownLastRun(last, task);
}

} // namespace kelvanto
