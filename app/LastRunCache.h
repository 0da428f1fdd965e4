#pragma once

#include "model/Task.h"
#include "schedule/RunResult.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace kelvanto
{

class TaskLog;

// The last results of the task list, read from the tasks' logs again only when a log file
// has changed (its size or time of change), so that a window that refreshes its rows every
// second reads each log once per run rather than once per refresh. Safe to share between
// threads.
class LastRunCache
{
public:
    // What ShownLastRun(log, task) gives, from the cache while the log file is unchanged.
    std::optional<LastRun> Of(const TaskLog& log, const Task& task);

private:
    struct Entry
    {
        std::uint64_t size = 0;
        std::int64_t changedNs = 0;
        std::optional<LastRun> last;
    };

    std::mutex m_mutex;
    std::map<std::string, Entry> m_entries;
};

} // namespace kelvanto
