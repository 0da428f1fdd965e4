#pragma once

#include "model/Task.h"
#include "schedule/Clock.h"
#include "schedule/RunContext.h"

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string_view>

namespace kelvanto
{

// The context of work that a command runs in the foreground outside the scheduler (the
// verification of a recorded backup): its log lines go to the command's output, errors
// marked, and Ctrl-C (when the program catches it) asks it to stop. The task is a copy that
// changes go to and no further.
class ConsoleRunContext final : public RunContext
{
public:
    ConsoleRunContext(std::ostream& out, Task task, std::filesystem::path dataFolder, const Clock& clock,
        const std::atomic<bool>* interrupted);

    Task TaskCopy() const override { return m_task; }
    void UpdateTask(const std::function<void(Task&)>& change) override { change(m_task); }
    bool QuitRequested() override;
    void Log(LogLevel level, std::string_view message) override;
    std::size_t ErrorLines() const override { return m_errors; }
    void MarkConnectionLost() override { m_lost = true; }
    bool ConnectionLost() const override { return m_lost; }
    TimeStamp Now() const override { return m_clock.Now(); }
    void RegisterCancellable(Cancellable*) override { }
    void UnregisterCancellable(Cancellable*) override { }
    void SaveTaskList() override { }
    const std::filesystem::path& DataFolder() const override { return m_dataFolder; }

private:
    std::ostream& m_out;
    Task m_task;
    std::filesystem::path m_dataFolder;
    const Clock& m_clock;
    const std::atomic<bool>* m_interrupted;
    std::size_t m_errors = 0;
    bool m_lost = false;
};

} // namespace kelvanto
