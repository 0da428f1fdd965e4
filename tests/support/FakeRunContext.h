#pragma once

#include "model/Task.h"
#include "model/TimeStamp.h"
#include "schedule/RunContext.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace kelvanto::test
{

// One line an engine wrote to its task's log.
struct LogLine
{
    LogLevel level = LogLevel::General;
    std::string text;

    bool operator==(const LogLine&) const = default;
};

// A RunContext for engine tests: it holds a task, records what the engine logs, answers
// the cancellation check from a flag or after a number of checks, gives a fixed "now" and
// counts task-list saves. Every member is safe to call from several threads.
class FakeRunContext : public RunContext
{
public:
    explicit FakeRunContext(Task task = {}, std::filesystem::path dataFolder = {});

    // RunContext
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

    // The stored task as it is now (a copy, taken under the lock).
    Task task() const { return TaskCopy(); }
    void SetTask(Task task);

    // Makes every later cancellation check answer `quit`; a stop also cancels the registered
    // objects that answer CancelOnQuit() (a connection attempt), as the runner does.
    void SetQuit(bool quit);
    // The next `checks` cancellation checks answer false, every one after them true.
    void QuitAfterChecks(std::size_t checks);
    // How many cancellation checks the engine made so far.
    std::size_t QuitChecks() const;

    void SetNow(const TimeStamp& now);
    // Called with every line after it was recorded (outside the lock), e.g. to look at the
    // files an engine writes at the moment it logs.
    void SetLogHook(std::function<void(const LogLine&)> hook);

    std::vector<LogLine> LogLines() const;
    // Only the texts of the log lines, in order.
    std::vector<std::string> LogTexts() const;
    // The texts joined with '\n' (each line followed by one), handy for whole-log comparisons.
    std::string LogText() const;
    void ClearLog();

    std::size_t SaveTaskListCalls() const;
    // Every progress report, in order.
    std::vector<RunProgress> ProgressReports() const;
    // Objects registered and not yet unregistered, and how many registrations there were.
    std::vector<Cancellable*> Registered() const;
    std::size_t RegistrationCount() const;
    // Calls Cancel() on every registered object, as a runner does when a stop is not honoured.
    void CancelRegistered();

private:
    mutable std::mutex m_mutex;
    Task m_task;
    std::filesystem::path m_dataFolder;
    std::vector<LogLine> m_log;
    std::function<void(const LogLine&)> m_logHook;
    TimeStamp m_now {2024, 1, 2, 3, 4, 5, 3};
    bool m_quit = false;
    bool m_connectionLost = false;
    bool m_quitAfterArmed = false;
    std::size_t m_quitAfter = 0;
    std::size_t m_checks = 0;
    std::size_t m_saves = 0;
    std::size_t m_registrations = 0;
    std::vector<Cancellable*> m_registered;
    std::vector<RunProgress> m_progress;
};

} // namespace kelvanto::test
