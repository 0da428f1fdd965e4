#pragma once

#include "model/Task.h"
#include "schedule/RunProgress.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string_view>

namespace kelvanto
{

enum class LogLevel : std::uint8_t {
    General = 0,
    Warning = 1,
    Error = 2,
};

// How an engine's run ended. The engine writes its own last line ("Finished" or its
// error); on Cancelled the runner writes "User canceled!" and stops the task. The runner
// turns it into the run's result (schedule/RunResult.h) and writes the run's end line.
enum class RunOutcome {
    Finished,
    Failed,
    Cancelled,
};

// Something whose blocking calls can be broken from another thread (an open MySQL
// connection). Cancel() must be safe to call from any thread while the owner is blocked.
class Cancellable
{
public:
    virtual ~Cancellable() = default;
    virtual void Cancel() noexcept = 0;
    // True for an object that has no clean point to stop at and nothing to lose when broken
    // (a connection attempt): a stop cancels it as soon as it is requested, instead of giving
    // the run its time to stop by itself first. Cancel() must then not block.
    virtual bool CancelOnQuit() const noexcept { return false; }
};

// What the runner gives an engine for one run on the task's worker thread.
class RunContext
{
public:
    virtual ~RunContext() = default;

    // A consistent copy of the stored task, settings and run-time fields alike.
    virtual Task TaskCopy() const = 0;
    // Changes the stored task's run-time fields (backupHistory) under the task's lock.
    virtual void UpdateTask(const std::function<void(Task&)>& change) = 0;
    // The cancellation check: true once a stop of this task has been requested, or once a
    // connection of the run was lost (MarkConnectionLost).
    virtual bool QuitRequested() = 0;
    // Appends one line to the task's log.
    virtual void Log(LogLevel level, std::string_view message) = 0;
    // How many Error lines this run has logged so far.
    virtual std::size_t ErrorLines() const = 0;
    // Ends the run because a server connection was lost: from now on QuitRequested() answers
    // true, so that the engine leaves at its next check, and the run counts as failed.
    virtual void MarkConnectionLost() = 0;
    virtual bool ConnectionLost() const = 0;
    // The current local time, from the runner's clock.
    virtual TimeStamp Now() const = 0;
    // While registered, a stop that is not honoured in time calls Cancel() on the object (one
    // that answers CancelOnQuit(), at once). Unregister before the object is destroyed.
    virtual void RegisterCancellable(Cancellable* object) = 0;
    virtual void UnregisterCancellable(Cancellable* object) = 0;
    // Saves the whole task list (rotation does so after it removed old copies).
    virtual void SaveTaskList() = 0;
    // The data folder; "Data/" and "Logs/" live inside it.
    virtual const std::filesystem::path& DataFolder() const = 0;
    // Tells the program how far the run has come. Cheap enough to call for every row: the
    // runner passes a change of object at once and otherwise a few reports a second.
    virtual void ReportProgress(const RunProgress& progress) { (void)progress; }
    // For whileWaiting: asks the waiting worker to call it again no later than the local
    // time `when` (the next expiry of an old backup copy by age). Without it, whileWaiting
    // runs only when the worker wakes for its schedule, a command or a change of the clock.
    virtual void WakeWhileWaitingAt(const TimeStamp& when) { (void)when; }
};

// The engine of one task type, handed to the runner when the program wires itself up.
struct Engine
{
    std::function<RunOutcome(RunContext&)> run;
    // Called each time a waiting worker wakes, after the next run time was computed (expiry
    // of old backup copies; see RunContext::WakeWhileWaitingAt); may be empty.
    std::function<void(RunContext&)> whileWaiting;
};

using EngineTable = std::map<TaskType, Engine>;

// Registers an object with a run context for as long as this guard lives.
class CancellableRegistration
{
public:
    CancellableRegistration(RunContext& context, Cancellable& object)
        : m_context(context)
        , m_object(object)
    {
        m_context.RegisterCancellable(&m_object);
    }
    ~CancellableRegistration() { m_context.UnregisterCancellable(&m_object); }
    CancellableRegistration(const CancellableRegistration&) = delete;
    CancellableRegistration& operator=(const CancellableRegistration&) = delete;

private:
    RunContext& m_context;
    Cancellable& m_object;
};

} // namespace kelvanto
