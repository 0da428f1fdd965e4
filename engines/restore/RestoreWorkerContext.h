#pragma once

#include "schedule/RunContext.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>

namespace kelvanto
{

// What the workers of one parallel restore share: the run's own context, reached by one
// worker at a time, and the flag that stops them all.
struct RestoreWorkersShared
{
    explicit RestoreWorkersShared(RunContext& run)
        : inner(run)
    { }

    RunContext& inner;
    std::mutex mutex;
    std::atomic<bool> stop {false}; // set when a worker's failure ends the run
    std::chrono::steady_clock::time_point progressSent {};
};

// The run context of one worker of a parallel restore. Every call reaches the run's context
// under the shared lock, so that the log stays one ordered log; while the worker replays a
// file, each of its lines begins with the file's name ("<file>: <line>"). Its cancellation
// check answers true once a stop was requested or once any worker set the shared stop flag.
// Progress reaches the run's context at most every kProgressInterval, whichever worker sends it.
class RestoreWorkerContext final : public RunContext
{
public:
    explicit RestoreWorkerContext(RestoreWorkersShared& shared);

    // The file whose name begins the lines from now on; "" for none.
    void SetFile(std::string name) { m_file = std::move(name); }
    // Ends the other workers at their next cancellation check.
    void StopAll() { m_shared.stop = true; }

    Task TaskCopy() const override;
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
    void ReportProgress(const RunProgress& progress) override;

    static constexpr std::chrono::milliseconds kProgressInterval {250};

private:
    RestoreWorkersShared& m_shared;
    std::string m_file;
};

} // namespace kelvanto
