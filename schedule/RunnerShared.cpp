#include "schedule/RunnerShared.h"

#include "schedule/TaskLog.h"
#include "schedule/TaskServerOwner.h"

#include <mutex>

namespace kelvanto
{

RunnerShared::RunnerShared(EngineTable engines, std::shared_ptr<Clock> clock, std::shared_ptr<TaskLog> log,
    std::filesystem::path dataFolder, std::function<void()> saveTaskList, std::function<void()> threadExit)
    : m_engines(std::move(engines))
    , m_clock(std::move(clock))
    , m_log(std::move(log))
    , m_dataFolder(std::move(dataFolder))
    , m_saveTaskList(std::move(saveTaskList))
    , m_threadExit(std::move(threadExit))
{ }

const Engine* RunnerShared::EngineFor(TaskType type) const
{
    const auto found = m_engines.find(type);
    return found != m_engines.end() && found->second.run ? &found->second : nullptr;
}

void RunnerShared::SaveTaskList()
{
    std::shared_lock lock(m_mutex);
    if (!m_closed && m_saveTaskList)
        m_saveTaskList();
}

void RunnerShared::ThreadExit()
{
    if (m_threadExit)
        m_threadExit();
}

FailureCommandLimits RunnerShared::FailureLimits() const
{
    std::lock_guard lock(m_limitsMutex);
    return m_failureLimits;
}

void RunnerShared::SetFailureLimits(const FailureCommandLimits& limits)
{
    std::lock_guard lock(m_limitsMutex);
    m_failureLimits = limits;
}

void RunnerShared::SetOwner(TaskServerOwner* owner)
{
    std::unique_lock lock(m_mutex);
    m_owner = m_closed ? nullptr : owner;
}

void RunnerShared::Close()
{
    std::unique_lock lock(m_mutex);
    m_closed = true;
    m_owner = nullptr;
}

void RunnerShared::Log(
    const std::string& taskId, const std::string& logFileName, LogLevel level, std::string_view message)
{
    m_log->WriteLog(logFileName, level, message);
    std::shared_lock lock(m_mutex);
    if (m_owner)
        m_owner->TaskLogWritten(taskId, level, message);
}

void RunnerShared::NotifyStatus(const std::string& taskId, TaskStatus status)
{
    std::shared_lock lock(m_mutex);
    if (m_owner)
        m_owner->TaskStatusChanged(taskId, status);
}

void RunnerShared::NotifyProgress(const std::string& taskId, const RunProgress& progress)
{
    std::shared_lock lock(m_mutex);
    if (m_owner)
        m_owner->TaskProgress(taskId, progress);
}

void RunnerShared::NotifyRunEnded(const std::string& taskId, const RunEnd& end, std::string_view firstError)
{
    std::shared_lock lock(m_mutex);
    if (m_owner)
        m_owner->TaskRunEnded(taskId, end, firstError);
}

} // namespace kelvanto
