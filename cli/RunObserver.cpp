#include "cli/RunObserver.h"

#include "schedule/DateFormat.h"
#include "schedule/LogRecord.h"

#include <ostream>

namespace kelvanto
{

RunObserver::RunObserver(std::ostream& out, const Clock& clock)
    : m_out(out)
    , m_clock(clock)
{ }

void RunObserver::SetDisplayFormats(int dateFormat, int timeFormat)
{
    std::lock_guard lock(m_mutex);
    m_dateFormat = dateFormat;
    m_timeFormat = timeFormat;
}

void RunObserver::Follow(const std::string& taskId)
{
    std::lock_guard lock(m_mutex);
    m_taskId = taskId;
}

void RunObserver::TaskStatusChanged(const std::string& taskId, TaskStatus status)
{
    {
        std::lock_guard lock(m_mutex);
        if (taskId != m_taskId)
            return;
        if (status == TaskStatus::Running)
            m_began = true;
        else if (m_began)
            m_ended = true;
    }
    m_changed.notify_all();
}

void RunObserver::TaskLogWritten(const std::string& taskId, LogLevel level, std::string_view message)
{
    std::lock_guard lock(m_mutex);
    if (taskId != m_taskId)
        return;
    m_lastLevel = level;
    m_lastMessage = std::string(message);
    // The same line as the log's TXT export, with a plain line end for a terminal.
    m_out << '[' << FormatDateTime(m_clock.Now(), m_dateFormat, m_timeFormat, true) << "]\t" << LogLevelName(level)
          << '\t' << message << std::endl;
}

bool RunObserver::WaitForRunEnd(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [this] { return m_ended; });
}

bool RunObserver::RunBegan() const
{
    std::lock_guard lock(m_mutex);
    return m_began;
}

LogLevel RunObserver::LastLevel() const
{
    std::lock_guard lock(m_mutex);
    return m_lastLevel;
}

std::string RunObserver::LastMessage() const
{
    std::lock_guard lock(m_mutex);
    return m_lastMessage;
}

} // namespace kelvanto
