#include "schedule/TaskRunContext.h"

#include "schedule/Clock.h"
#include "schedule/NextWake.h"
#include "schedule/RunnerShared.h"
#include "schedule/TaskSlot.h"
#include "schedule/TaskWorker.h"

#include <string>
#include <utility>

namespace kelvanto
{

TaskRunContext::TaskRunContext(
    std::shared_ptr<TaskSlot> slot, std::shared_ptr<TaskWorker> worker, std::shared_ptr<RunnerShared> shared)
    : m_slot(std::move(slot))
    , m_worker(std::move(worker))
    , m_shared(std::move(shared))
{ }

Task TaskRunContext::TaskCopy() const
{
    return m_slot->Copy();
}

void TaskRunContext::UpdateTask(const std::function<void(Task&)>& change)
{
    m_slot->WithAsWriter(m_worker.get(), [&](Task& task) { change(task); });
}

bool TaskRunContext::QuitRequested()
{
    return m_connectionLost.load() || m_worker->QuitRequested();
}

std::size_t TaskRunContext::ErrorLines() const
{
    return m_errorLines.load();
}

void TaskRunContext::MarkConnectionLost()
{
    m_connectionLost.store(true);
}

bool TaskRunContext::ConnectionLost() const
{
    return m_connectionLost.load();
}

void TaskRunContext::BeginRun()
{
    m_errorLines.store(0);
    m_connectionLost.store(false);
    m_transcript.Clear();
}

void TaskRunContext::Log(LogLevel level, std::string_view message)
{
    const auto [taskId, logFileName]
        = m_slot->With([](const Task& task) { return std::pair(task.taskId, task.logFileName); });
    if (level == LogLevel::Error)
        m_errorLines.fetch_add(1);
    m_transcript.Add(level, m_shared->GetClock().Now(), message);
    m_shared->Log(taskId, logFileName, level, message);
}

TimeStamp TaskRunContext::Now() const
{
    return m_shared->GetClock().Now();
}

void TaskRunContext::RegisterCancellable(Cancellable* object)
{
    m_worker->Register(object);
}

void TaskRunContext::UnregisterCancellable(Cancellable* object)
{
    m_worker->Unregister(object);
}

void TaskRunContext::SaveTaskList()
{
    m_shared->SaveTaskList();
}

const std::filesystem::path& TaskRunContext::DataFolder() const
{
    return m_shared->DataFolder();
}

void TaskRunContext::ReportProgress(const RunProgress& progress)
{
    // Measured on the steady clock: this paces notices and decides nothing about schedules.
    const auto now = std::chrono::steady_clock::now();
    if (progress.object == m_progressObject && now - m_progressSent < kProgressInterval)
        return;
    m_progressObject = progress.object;
    m_progressSent = now;
    const std::string taskId = m_slot->With([](const Task& task) { return task.taskId; });
    m_shared->NotifyProgress(taskId, progress);
}

void TaskRunContext::WakeWhileWaitingAt(const TimeStamp& when)
{
    m_whileWaitingWake = EarlierWake(m_whileWaitingWake, when);
}

TimeStamp TaskRunContext::TakeWhileWaitingWake()
{
    return std::exchange(m_whileWaitingWake, TimeStamp {});
}

} // namespace kelvanto
