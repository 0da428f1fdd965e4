#include "tests/support/FakeRunContext.h"

#include <algorithm>
#include <utility>

namespace kelvanto::test
{

FakeRunContext::FakeRunContext(Task task, std::filesystem::path dataFolder)
    : m_task(std::move(task))
    , m_dataFolder(std::move(dataFolder))
{ }

Task FakeRunContext::TaskCopy() const
{
    std::lock_guard lock(m_mutex);
    return m_task;
}

void FakeRunContext::UpdateTask(const std::function<void(Task&)>& change)
{
    std::lock_guard lock(m_mutex);
    change(m_task);
}

bool FakeRunContext::QuitRequested()
{
    std::lock_guard lock(m_mutex);
    ++m_checks;
    if (m_quitAfterArmed && m_checks > m_quitAfter)
        m_quit = true;
    return m_quit || m_connectionLost;
}

std::size_t FakeRunContext::ErrorLines() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<std::size_t>(
        std::count_if(m_log.begin(), m_log.end(), [](const LogLine& line) { return line.level == LogLevel::Error; }));
}

void FakeRunContext::MarkConnectionLost()
{
    std::lock_guard lock(m_mutex);
    m_connectionLost = true;
}

bool FakeRunContext::ConnectionLost() const
{
    std::lock_guard lock(m_mutex);
    return m_connectionLost;
}

void FakeRunContext::Log(LogLevel level, std::string_view message)
{
    const LogLine line {level, std::string(message)};
    std::function<void(const LogLine&)> hook;
    {
        std::lock_guard lock(m_mutex);
        m_log.push_back(line);
        hook = m_logHook;
    }
    if (hook)
        hook(line);
}

TimeStamp FakeRunContext::Now() const
{
    std::lock_guard lock(m_mutex);
    return m_now;
}

void FakeRunContext::RegisterCancellable(Cancellable* object)
{
    std::lock_guard lock(m_mutex);
    m_registered.push_back(object);
    ++m_registrations;
    // As the runner does: a stop requested before reaches what it cancels at once.
    if (m_quit && object->CancelOnQuit())
        object->Cancel();
}

void FakeRunContext::UnregisterCancellable(Cancellable* object)
{
    std::lock_guard lock(m_mutex);
    auto it = std::find(m_registered.begin(), m_registered.end(), object);
    if (it != m_registered.end())
        m_registered.erase(it);
}

void FakeRunContext::SaveTaskList()
{
    std::lock_guard lock(m_mutex);
    ++m_saves;
}

const std::filesystem::path& FakeRunContext::DataFolder() const
{
    return m_dataFolder;
}

void FakeRunContext::SetTask(Task task)
{
    std::lock_guard lock(m_mutex);
    m_task = std::move(task);
}

void FakeRunContext::SetQuit(bool quit)
{
    std::lock_guard lock(m_mutex);
    m_quit = quit;
    m_quitAfterArmed = false;
    // As the runner does: a stop cancels a connection attempt at once.
    for (Cancellable* object : m_registered) {
        if (quit && object->CancelOnQuit())
            object->Cancel();
    }
}

void FakeRunContext::QuitAfterChecks(std::size_t checks)
{
    std::lock_guard lock(m_mutex);
    m_quit = false;
    m_quitAfterArmed = true;
    m_quitAfter = m_checks + checks;
}

std::size_t FakeRunContext::QuitChecks() const
{
    std::lock_guard lock(m_mutex);
    return m_checks;
}

void FakeRunContext::SetNow(const TimeStamp& now)
{
    std::lock_guard lock(m_mutex);
    m_now = now;
}

void FakeRunContext::SetLogHook(std::function<void(const LogLine&)> hook)
{
    std::lock_guard lock(m_mutex);
    m_logHook = std::move(hook);
}

std::vector<LogLine> FakeRunContext::LogLines() const
{
    std::lock_guard lock(m_mutex);
    return m_log;
}

std::vector<std::string> FakeRunContext::LogTexts() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> texts;
    texts.reserve(m_log.size());
    for (const LogLine& line : m_log)
        texts.push_back(line.text);
    return texts;
}

std::string FakeRunContext::LogText() const
{
    std::lock_guard lock(m_mutex);
    std::string text;
    for (const LogLine& line : m_log) {
        text += line.text;
        text += '\n';
    }
    return text;
}

void FakeRunContext::ClearLog()
{
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

std::size_t FakeRunContext::SaveTaskListCalls() const
{
    std::lock_guard lock(m_mutex);
    return m_saves;
}

std::vector<Cancellable*> FakeRunContext::Registered() const
{
    std::lock_guard lock(m_mutex);
    return m_registered;
}

std::size_t FakeRunContext::RegistrationCount() const
{
    std::lock_guard lock(m_mutex);
    return m_registrations;
}

void FakeRunContext::CancelRegistered()
{
    // Under the lock, so that no object can unregister and go away while it is cancelled.
    std::lock_guard lock(m_mutex);
    for (Cancellable* object : m_registered)
        object->Cancel();
}

void FakeRunContext::ReportProgress(const RunProgress& progress)
{
    std::lock_guard lock(m_mutex);
    m_progress.push_back(progress);
}

std::vector<RunProgress> FakeRunContext::ProgressReports() const
{
    std::lock_guard lock(m_mutex);
    return m_progress;
}

} // namespace kelvanto::test
