#include "app/RunFollower.h"

#include <utility>

namespace kelvanto
{

RunFollower::RunFollower(std::string taskId, const Clock& clock)
    : m_taskId(std::move(taskId))
    , m_clock(clock)
{ }

std::optional<RunFollower::Event> RunFollower::Next(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    if (!m_changed.wait_for(lock, timeout, [this] { return !m_events.empty(); }))
        return std::nullopt;
    Event event = std::move(m_events.front());
    m_events.pop_front();
    return event;
}

bool RunFollower::Began() const
{
    std::lock_guard lock(m_mutex);
    return m_began;
}

void RunFollower::Push(Event event)
{
    m_events.push_back(std::move(event));
    m_changed.notify_all();
}

void RunFollower::TaskStatusChanged(const std::string& taskId, TaskStatus status)
{
    if (taskId != m_taskId)
        return;
    std::lock_guard lock(m_mutex);
    if (m_ended)
        return;
    if (status == TaskStatus::Running) {
        m_began = true;
        return;
    }
    if (!m_began) {
        // Stopped before the run began: the stop came first, no run happens.
        if (status == TaskStatus::Stopped) {
            m_ended = true;
            Push(End {RunEnd {RunResult::Cancelled, 0}});
        }
        return;
    }
    m_ended = true;
    Push(End {m_end.value_or(RunEnd {RunResult::Failed, 0})});
}

void RunFollower::TaskLogWritten(const std::string& taskId, LogLevel level, std::string_view message)
{
    if (taskId != m_taskId)
        return;
    std::lock_guard lock(m_mutex);
    if (m_ended)
        return;
    if (m_began) {
        if (const auto end = ParseRunEndLine(message))
            m_end = *end;
    }
    Push(Line {level, std::string(message), m_clock.Now()});
}

void RunFollower::TaskProgress(const std::string& taskId, const RunProgress& progress)
{
    if (taskId != m_taskId)
        return;
    std::lock_guard lock(m_mutex);
    if (!m_ended)
        Push(progress);
}

} // namespace kelvanto
