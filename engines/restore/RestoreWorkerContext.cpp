#include "engines/restore/RestoreWorkerContext.h"

namespace kelvanto
{

RestoreWorkerContext::RestoreWorkerContext(RestoreWorkersShared& shared)
    : m_shared(shared)
{ }

Task RestoreWorkerContext::TaskCopy() const
{
    std::lock_guard lock(m_shared.mutex);
    return m_shared.inner.TaskCopy();
}

void RestoreWorkerContext::UpdateTask(const std::function<void(Task&)>& change)
{
    std::lock_guard lock(m_shared.mutex);
    m_shared.inner.UpdateTask(change);
}

bool RestoreWorkerContext::QuitRequested()
{
    if (m_shared.stop)
        return true;
    std::lock_guard lock(m_shared.mutex);
    return m_shared.inner.QuitRequested();
}

void RestoreWorkerContext::Log(LogLevel level, std::string_view message)
{
    std::lock_guard lock(m_shared.mutex);
    if (m_file.empty())
        m_shared.inner.Log(level, message);
    else
        m_shared.inner.Log(level, m_file + ": " + std::string(message));
}

std::size_t RestoreWorkerContext::ErrorLines() const
{
    std::lock_guard lock(m_shared.mutex);
    return m_shared.inner.ErrorLines();
}

void RestoreWorkerContext::MarkConnectionLost()
{
    std::lock_guard lock(m_shared.mutex);
    m_shared.inner.MarkConnectionLost();
}

bool RestoreWorkerContext::ConnectionLost() const
{
    std::lock_guard lock(m_shared.mutex);
    return m_shared.inner.ConnectionLost();
}

TimeStamp RestoreWorkerContext::Now() const
{
    std::lock_guard lock(m_shared.mutex);
    return m_shared.inner.Now();
}

void RestoreWorkerContext::RegisterCancellable(Cancellable* object)
{
    std::lock_guard lock(m_shared.mutex);
    m_shared.inner.RegisterCancellable(object);
}

void RestoreWorkerContext::UnregisterCancellable(Cancellable* object)
{
    std::lock_guard lock(m_shared.mutex);
    m_shared.inner.UnregisterCancellable(object);
}

void RestoreWorkerContext::SaveTaskList()
{
    std::lock_guard lock(m_shared.mutex);
    m_shared.inner.SaveTaskList();
}

const std::filesystem::path& RestoreWorkerContext::DataFolder() const
{
    std::lock_guard lock(m_shared.mutex);
    return m_shared.inner.DataFolder();
}

void RestoreWorkerContext::ReportProgress(const RunProgress& progress)
{
    // Workers take turns on the run's one progress line, so it is paced across them all.
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard lock(m_shared.mutex);
    if (now - m_shared.progressSent < kProgressInterval)
        return;
    m_shared.progressSent = now;
    m_shared.inner.ReportProgress(progress);
}

} // namespace kelvanto
