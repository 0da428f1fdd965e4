#pragma once

#include "model/Task.h"
#include "schedule/RunContext.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>

namespace kelvanto
{

// The context of an engine run inside another run (the restore that verifies a backup): it
// hands the inner engine a task of its own, writes the inner engine's lines to the outer
// run's log (all but its closing "Finished", which belongs to the outer run), and follows
// the outer run's stop. A connection the inner engine loses ends the inner run only; the
// outer run learns of it through Lost(). Task changes and task-list saves go nowhere.
class NestedRunContext final : public RunContext
{
public:
    NestedRunContext(RunContext& outer, Task task);

    Task TaskCopy() const override { return m_task; }
    void UpdateTask(const std::function<void(Task&)>& change) override { change(m_task); }
    bool QuitRequested() override { return m_lost || m_outer.QuitRequested(); }
    void Log(LogLevel level, std::string_view message) override;
    std::size_t ErrorLines() const override { return m_errors; }
    void MarkConnectionLost() override { m_lost = true; }
    bool ConnectionLost() const override { return m_lost; }
    TimeStamp Now() const override { return m_outer.Now(); }
    void RegisterCancellable(Cancellable* object) override { m_outer.RegisterCancellable(object); }
    void UnregisterCancellable(Cancellable* object) override { m_outer.UnregisterCancellable(object); }
    void SaveTaskList() override { }
    const std::filesystem::path& DataFolder() const override { return m_outer.DataFolder(); }
    void ReportProgress(const RunProgress& progress) override { m_outer.ReportProgress(progress); }

    // Whether the outer run was asked to stop (as opposed to the inner run ending by a loss).
    bool OuterQuit() { return m_outer.QuitRequested(); }

private:
    RunContext& m_outer;
    Task m_task;
    std::size_t m_errors = 0;
    bool m_lost = false;
};

} // namespace kelvanto
