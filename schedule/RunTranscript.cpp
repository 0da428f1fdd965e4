#include "schedule/RunTranscript.h"

#include "schedule/LogRecord.h"

#include <cstdio>

namespace kelvanto
{

namespace
{

std::string LineOf(LogLevel level, const TimeStamp& time, std::string_view message)
{
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "[%04d-%02d-%02d %02d:%02d:%02d]\t", time.year, time.month, time.day, time.hour,
        time.minute, time.second);
    std::string line = stamp;
    line += LogLevelName(level);
    line += '\t';
    // One message is one line: its own line ends would read as further lines.
    for (const char c : message)
        line += (c == '\n' || c == '\r') ? ' ' : c;
    line += '\n';
    return line;
}

} // namespace

void RunTranscript::Clear()
{
    std::lock_guard lock(m_mutex);
    m_text.clear();
    m_firstError.clear();
    m_sawError = false;
}

void RunTranscript::Add(LogLevel level, const TimeStamp& time, std::string_view message)
{
    const std::string line = LineOf(level, time, message);
    std::lock_guard lock(m_mutex);
    if (level == LogLevel::Error && !m_sawError) {
        m_sawError = true;
        m_firstError = message;
    }
    m_text += line;
    if (m_text.size() <= m_limit)
        return;
    // Whole lines go from the front until the rest fits; a single line longer than the
    // limit is cut to its end.
    std::size_t from = m_text.size() - m_limit;
    if (from > 0 && m_text[from - 1] != '\n') {
        const std::size_t next = m_text.find('\n', from);
        from = next == std::string::npos || next + 1 >= m_text.size() ? from : next + 1;
    }
    m_text.erase(0, from);
}

std::string RunTranscript::Text() const
{
    std::lock_guard lock(m_mutex);
    return m_text;
}

std::string RunTranscript::FirstError() const
{
    std::lock_guard lock(m_mutex);
    return m_firstError;
}

} // namespace kelvanto
