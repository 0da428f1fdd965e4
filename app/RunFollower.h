#pragma once

#include "schedule/Clock.h"
#include "schedule/RunProgress.h"
#include "schedule/RunResult.h"
#include "schedule/TaskServerOwner.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <variant>

namespace kelvanto
{

// Follows one run of one task through the runner's notices: the lines it writes, its
// progress and its end. Notices arrive on worker threads; the follower's own thread takes
// them in order with Next(). A task stopped before its run began ends as Cancelled.
class RunFollower final : public TaskServerOwner
{
public:
    struct Line
    {
        LogLevel level;
        std::string message;
        TimeStamp time; // when the line was heard
    };
    // How the run ended: the runner's end line ("Run ended: ...") decides; a run that
    // ended without one failed, and a task stopped before its run began was cancelled.
    struct End
    {
        RunEnd end;
    };
    using Event = std::variant<Line, RunProgress, End>;

    RunFollower(std::string taskId, const Clock& clock);

    // The next event, waiting up to `timeout`; nullopt when none came. After the End event
    // no more come.
    std::optional<Event> Next(std::chrono::milliseconds timeout);
    // True once the run has begun (the task went Running).
    bool Began() const;

    void TaskStatusChanged(const std::string& taskId, TaskStatus status) override;
    void TaskLogWritten(const std::string& taskId, LogLevel level, std::string_view message) override;
    void TaskProgress(const std::string& taskId, const RunProgress& progress) override;

private:
    void Push(Event event);

    const std::string m_taskId;
    const Clock& m_clock;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Event> m_events;
    bool m_began = false;
    bool m_ended = false;
    std::optional<RunEnd> m_end;
};

} // namespace kelvanto
