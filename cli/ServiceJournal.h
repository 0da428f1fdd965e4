#pragma once

#include "schedule/RunContext.h"

#include <iosfwd>
#include <mutex>
#include <string>
#include <string_view>

namespace kelvanto
{

// Where the service's messages go. Under systemd, whose journal is connected to standard
// error (it says so in $JOURNAL_STREAM), each message is a journal entry with its priority
// and, for a task's line, the task's name in the field KELVANTO_TASK; elsewhere it is a
// line on standard error. systemd also hears the service's state (READY, RELOADING,
// STOPPING). Without libsystemd in the build, the lines carry the "<N>" priority prefix
// that the journal reads on standard error.
class ServiceJournal
{
public:
    enum class Priority {
        Error = 3,
        Warning = 4,
        Notice = 5,
        Info = 6,
    };

    // err: the stream for plain lines. Whether the journal is there is read from the
    // environment once.
    explicit ServiceJournal(std::ostream& err);

    // A line of a task's log: "NAME: message", General at info, Warning at warning and Error
    // at error priority.
    void TaskLine(std::string_view taskName, LogLevel level, std::string_view message);
    // A message of the service itself.
    void Write(Priority priority, std::string_view message);
    // Tells systemd the service's state ("READY=1", "STOPPING=1", ...); nothing elsewhere.
    void Notify(const std::string& state);

    static Priority PriorityOf(LogLevel level);
    // True when the journal reads this process's standard error.
    bool ToJournal() const { return m_toJournal; }

private:
    void Emit(Priority priority, std::string_view taskName, std::string_view message);

    std::ostream& m_err;
    const bool m_toJournal;
    std::mutex m_mutex;
};

} // namespace kelvanto
