#include "cli/ServiceJournal.h"

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <sys/stat.h>

#ifdef KELVANTO_HAVE_SYSTEMD
#include <systemd/sd-daemon.h>
#include <systemd/sd-journal.h>
#endif

namespace kelvanto
{

namespace
{

// systemd puts "DEVICE:INODE" of the journal's stream in $JOURNAL_STREAM; standard error
// goes to the journal when it is that very stream.
bool StandardErrorIsJournal()
{
    const char* stream = std::getenv("JOURNAL_STREAM");
    if (!stream)
        return false;
    unsigned long long device = 0;
    unsigned long long inode = 0;
    if (std::sscanf(stream, "%llu:%llu", &device, &inode) != 2)
        return false;
    struct stat info
    { };
    return ::fstat(2, &info) == 0 && info.st_dev == device && info.st_ino == inode;
}

// One line per message: a line end inside would split it into two entries.
std::string OneLine(std::string_view text)
{
    std::string line(text);
    for (char& c : line) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    return line;
}

} // namespace

ServiceJournal::ServiceJournal(std::ostream& err)
    : m_err(err)
    , m_toJournal(StandardErrorIsJournal())
{ }

ServiceJournal::Priority ServiceJournal::PriorityOf(LogLevel level)
{
    switch (level) {
    case LogLevel::Error:
        return Priority::Error;
    case LogLevel::Warning:
        return Priority::Warning;
    case LogLevel::General:
        break;
    }
    return Priority::Info;
}

void ServiceJournal::TaskLine(std::string_view taskName, LogLevel level, std::string_view message)
{
    Emit(PriorityOf(level), taskName, message);
}

void ServiceJournal::Write(Priority priority, std::string_view message)
{
    Emit(priority, {}, message);
}

void ServiceJournal::Emit(Priority priority, std::string_view taskName, std::string_view message)
{
    std::string text = taskName.empty() ? OneLine(message) : OneLine(taskName) + ": " + OneLine(message);
    std::lock_guard lock(m_mutex);
#ifdef KELVANTO_HAVE_SYSTEMD
    if (m_toJournal) {
        const int sent = taskName.empty()
            ? sd_journal_send("MESSAGE=%s", text.c_str(), "PRIORITY=%d", static_cast<int>(priority),
                "SYSLOG_IDENTIFIER=kelvanto", nullptr)
            : sd_journal_send("MESSAGE=%s", text.c_str(), "PRIORITY=%d", static_cast<int>(priority), "KELVANTO_TASK=%s",
                std::string(taskName).c_str(), "SYSLOG_IDENTIFIER=kelvanto", nullptr);
        if (sent >= 0)
            return;
    }
#else
    if (m_toJournal)
        text = "<" + std::to_string(static_cast<int>(priority)) + ">" + text;
#endif
    m_err << text << std::endl;
}

void ServiceJournal::Notify(const std::string& state)
{
#ifdef KELVANTO_HAVE_SYSTEMD
    (void)sd_notify(0, state.c_str());
#else
    (void)state;
#endif
}

} // namespace kelvanto
