#pragma once

#include "schedule/RunContext.h"
#include "schedule/RunTranscript.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

namespace kelvanto
{

class RunnerShared;
class TaskSlot;
class TaskWorker;

// The run context that a worker hands to its engine: the task's stored record through
// its lock, the worker's quit request and cancellables, the task log, the clock.
class TaskRunContext final : public RunContext
{
public:
    TaskRunContext(
        std::shared_ptr<TaskSlot> slot, std::shared_ptr<TaskWorker> worker, std::shared_ptr<RunnerShared> shared);

    Task TaskCopy() const override;
    // The change runs under the task's lock: it must not call back into the context.
    // A worker that was abandoned after a stop changes nothing.
    void UpdateTask(const std::function<void(Task&)>& change) override;
    bool QuitRequested() override;
    void Log(LogLevel level, std::string_view message) override;
    std::size_t ErrorLines() const override;
    void MarkConnectionLost() override;
    bool ConnectionLost() const override;
    TimeStamp Now() const override;
    void RegisterCancellable(Cancellable* object) override;
    void UnregisterCancellable(Cancellable* object) override;
    void SaveTaskList() override;
    const std::filesystem::path& DataFolder() const override;
    // Passes a new object at once, further rows at most every kProgressInterval.
    void ReportProgress(const RunProgress& progress) override;
    void WakeWhileWaitingAt(const TimeStamp& when) override;
    // The earliest time asked for by WakeWhileWaitingAt since the last call (then cleared).
    TimeStamp TakeWhileWaitingWake();

    static constexpr std::chrono::milliseconds kProgressInterval {250};

    // Starts the counts of a new run: no Error line, no connection lost, no line yet.
    void BeginRun();
    // The lines the run has logged so far and its first Error line.
    const RunTranscript& Transcript() const { return m_transcript; }

private:
    std::shared_ptr<TaskSlot> m_slot;
    std::shared_ptr<TaskWorker> m_worker;
    std::shared_ptr<RunnerShared> m_shared;
    std::atomic<std::size_t> m_errorLines {0};
    std::atomic<bool> m_connectionLost {false};
    std::string m_progressObject;
    std::chrono::steady_clock::time_point m_progressSent {};
    TimeStamp m_whileWaitingWake;
    RunTranscript m_transcript;
};

} // namespace kelvanto
