#pragma once

#include "model/TimeStamp.h"
#include "schedule/RunContext.h"

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

namespace kelvanto
{

// The lines of one run as plain text, for the command run after a run that did not succeed:
// "[YYYY-MM-DD HH:MM:SS]\t<level name>\t<message>\n" each, the newest kept when they pass the
// limit (whole lines dropped from the front), and the run's first Error line. Lines may come
// from several threads of one run.
class RunTranscript
{
public:
    static constexpr std::size_t kDefaultLimit = 32 * 1024;

    explicit RunTranscript(std::size_t limit = kDefaultLimit)
        : m_limit(limit)
    { }

    void Clear();
    void Add(LogLevel level, const TimeStamp& time, std::string_view message);
    std::string Text() const;
    std::string FirstError() const;

private:
    const std::size_t m_limit;
    mutable std::mutex m_mutex;
    std::string m_text;
    std::string m_firstError;
    bool m_sawError = false;
};

} // namespace kelvanto
