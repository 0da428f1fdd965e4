#include "schedule/WorkerLoop.h"

#include "schedule/Clock.h"
#include "schedule/FailureCommand.h"
#include "schedule/NextWake.h"
#include "schedule/RunResult.h"
#include "schedule/RunnerShared.h"
#include "schedule/ScheduleMath.h"
#include "schedule/TaskLog.h"
#include "schedule/TaskRunContext.h"
#include "schedule/TaskSlot.h"
#include "schedule/TaskWorker.h"

#include <chrono>
#include <exception>
#include <string>
#include <tuple>
#include <utility>

namespace kelvanto
{

WorkerLoop::WorkerLoop(
    std::shared_ptr<TaskSlot> slot, std::shared_ptr<TaskWorker> worker, std::shared_ptr<RunnerShared> shared)
    : m_slot(std::move(slot))
    , m_worker(std::move(worker))
    , m_shared(std::move(shared))
    , m_context(std::make_unique<TaskRunContext>(m_slot, m_worker, m_shared))
{ }

void WorkerLoop::Run(
    std::shared_ptr<TaskSlot> slot, std::shared_ptr<TaskWorker> worker, std::shared_ptr<RunnerShared> shared) noexcept
{
    try {
        WorkerLoop loop(slot, worker, shared);
        loop.Serve();
    } catch (...) {
        // Nothing may leave a thread; the task is left stopped.
        slot->WithAsWriter(worker.get(), [](Task& task) {
            task.runNow = 0;
            task.status = TaskStatus::Stopped;
        });
        slot->ReleaseWriter(worker.get());
    }
    shared->ThreadExit();
    shared->liveThreads.fetch_sub(1);
    worker->MarkFinished();
}

void WorkerLoop::Serve()
{
    const TimeStamp started = m_shared->GetClock().Now();
    m_slot->WithAsWriter(m_worker.get(), [&](Task& task) { task.startedTime = started; });
    for (;;) {
        if (!WaitUntilDue()) {
            WaitingExit();
            return;
        }
        if (RunOnce() == Next::End)
            return;
    }
}

bool WorkerLoop::WaitUntilDue()
{
    Clock& clock = m_shared->GetClock();
    // A change of the clock or of the time zone rings the doorbell as long as the worker waits.
    const ClockChangeListening listening(clock, m_worker->Doorbell());
    for (;;) {
        const TimeStamp now = clock.Now();
        bool due = false;
        bool quit = false;
        bool changed = false;
        std::string taskId;
        TaskType type = TaskType::BackupToFiles;
        TimeStamp wake;
        // One visit to the record per wake: the due test, Waiting, the quit test and the
        // next run time, in that order.
        const bool writer = m_slot->WithAsWriter(m_worker.get(), [&](Task& task) {
            type = task.type;
            if (IsDue(task, now)) {
                due = true;
                return;
            }
            if (task.status != TaskStatus::Waiting) {
                task.status = TaskStatus::Waiting;
                changed = true;
                taskId = task.taskId;
            }
            quit = m_worker->QuitRequested();
            if (!quit) {
                ComputeNextRun(task, now);
                wake = NextWakeTime(task, now);
            }
        });
        if (changed)
            m_shared->NotifyStatus(taskId, TaskStatus::Waiting);
        if (!writer || quit)
            return false;
        if (due)
            return true;
        if (m_worker->QuitRequested())
            return false;
        const Engine* engine = m_shared->EngineFor(type);
        if (engine && engine->whileWaiting) {
            engine->whileWaiting(*m_context);
            wake = EarlierWake(wake, m_context->TakeWhileWaitingWake());
            if (m_worker->QuitRequested())
                return false;
        }
        // Sleeps until the next minute in which the task can be due, or until a run request,
        // a stop, an edit or a change of the clock rings the doorbell; then looks again.
        clock.SleepUntil(wake, m_worker->Doorbell());
    }
}

WorkerLoop::Next WorkerLoop::RunOnce()
{
    const TimeStamp now = m_shared->GetClock().Now();
    std::string logFileName;
    TaskType type = TaskType::BackupToFiles;
    m_slot->WithAsWriter(m_worker.get(), [&](Task& task) {
        task.runNow = 0;
        task.lastRunTime = now;
        logFileName = task.logFileName;
        type = task.type;
    });
    if (!SetStatus(TaskStatus::Running))
        return WaitingExit();
    m_shared->GetLog().TrimLogIfTooLarge(logFileName);
    m_context->BeginRun();
    m_context->Log(LogLevel::General, kRunBeginLine);
    if (m_worker->QuitRequested())
        return RunExit();

    RunOutcome outcome = RunOutcome::Failed;
    if (const Engine* engine = m_shared->EngineFor(type)) {
        try {
            outcome = engine->run(*m_context);
        } catch (const std::exception& error) {
            Log(LogLevel::Error, error.what());
        } catch (...) {
            Log(LogLevel::Error, "Unknown error!");
        }
    }
    const std::size_t errors = m_context->ErrorLines();
    const RunResult result = DecideRunResult(outcome, errors, m_context->ConnectionLost());
    if (result == RunResult::Cancelled)
        return RunExit();

    // End of the run, whether it succeeded or failed: a scheduled task waits again.
    bool manual = true;
    const bool writer = m_slot->WithAsWriter(m_worker.get(), [&](Task& task) {
        task.runNow = 0;
        manual = task.schedule.kind == ScheduleKind::Manual;
    });
    // A worker that was abandoned after a stop reports no result: the stop was the end.
    if (writer) {
        m_context->Log(RunEndLevel(result), RunEndLine(RunEnd {result, errors}));
        // The run's time and backup history are on disk before anyone hears of its end, so
        // that a crash loses none of them, whichever scheduler ran it. (A stopped run is
        // saved by the command that stopped it.)
        m_shared->SaveTaskList();
        AfterRun(RunEnd {result, errors});
    }
    if (!SetStatus(manual ? TaskStatus::Stopped : TaskStatus::Waiting))
        return Next::End;
    const bool shouldContinue = m_slot->With([](const Task& task) {
        return task.status != TaskStatus::Stopped && task.schedule.kind != ScheduleKind::Manual;
    });
    if (shouldContinue)
        return Next::Continue;
    EndThread();
    return Next::End;
}

WorkerLoop::Next WorkerLoop::WaitingExit()
{
    m_slot->WithAsWriter(m_worker.get(), [](Task& task) { task.runNow = 0; });
    EndThread();
    return Next::End;
}

WorkerLoop::Next WorkerLoop::RunExit()
{
    const bool writer = m_slot->WithAsWriter(m_worker.get(), [](Task& task) { task.runNow = 0; });
    Log(LogLevel::Warning, "User canceled!");
    if (writer) {
        m_context->Log(RunEndLevel(RunResult::Cancelled), RunEndLine(RunEnd {RunResult::Cancelled, 0}));
        AfterRun(RunEnd {RunResult::Cancelled, 0});
    }
    EndThread();
    return Next::End;
}

void WorkerLoop::AfterRun(const RunEnd& end)
{
    const auto [taskId, name, command]
        = m_slot->With([](const Task& task) { return std::tuple(task.taskId, task.name, task.extras.onFailure); });
    const RunTranscript& transcript = m_context->Transcript();
    m_shared->NotifyRunEnded(taskId, end, transcript.FirstError());
    // A cancelled run was stopped on purpose; only a failure calls for the command.
    const bool failed = end.result == RunResult::Failed || end.result == RunResult::CompletedWithErrors;
    if (!failed || command.empty())
        return;
    const FailureReport report {name, RunResultName(end.result), transcript.FirstError(), transcript.Text()};
    const FailureCommandEnd ended = RunFailureCommand(
        command, report, [this] { return m_worker->QuitRequested(); }, m_shared->FailureLimits());
    m_context->Log(ended.level, ended.line);
}

void WorkerLoop::EndThread()
{
    // The stopped status is written before the writer is let go; the slot takes no next
    // worker until this one has marked itself finished.
    SetStatus(TaskStatus::Stopped);
    m_slot->ReleaseWriter(m_worker.get());
}

bool WorkerLoop::SetStatus(TaskStatus status)
{
    bool changed = false;
    std::string taskId;
    const bool writer = m_slot->WithAsWriter(m_worker.get(), [&](Task& task) {
        changed = task.status != status;
        task.status = status;
        if (changed)
            taskId = task.taskId;
    });
    if (changed)
        m_shared->NotifyStatus(taskId, status);
    return writer;
}

void WorkerLoop::Log(LogLevel level, const char* message)
{
    m_context->Log(level, message);
}

} // namespace kelvanto
