#pragma once

#include "schedule/Clock.h"
#include "schedule/TaskServerOwner.h"

#include <chrono>
#include <condition_variable>
#include <iosfwd>
#include <mutex>
#include <string>

namespace kelvanto
{

// The runner's owner during a foreground run: prints the log lines of one task as they are
// written and follows its status, so that the main thread can wait for the run to end.
class RunObserver final : public TaskServerOwner
{
public:
    RunObserver(std::ostream& out, const Clock& clock);

    // The options' date and time display formats for the printed lines (1 and 1 until set).
    void SetDisplayFormats(int dateFormat, int timeFormat);

    // The task to follow; notices about other tasks are ignored.
    void Follow(const std::string& taskId);

    void TaskStatusChanged(const std::string& taskId, TaskStatus status) override;
    void TaskLogWritten(const std::string& taskId, LogLevel level, std::string_view message) override;

    // Waits up to `timeout` for a notice; true once a run began and has ended since.
    bool WaitForRunEnd(std::chrono::milliseconds timeout);
    bool RunBegan() const;
    // The last line the run wrote ("Finished", an error line, "User canceled!").
    LogLevel LastLevel() const;
    std::string LastMessage() const;

private:
    std::ostream& m_out;
    const Clock& m_clock;
    int m_dateFormat = 1;
    int m_timeFormat = 1;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_taskId;
    bool m_began = false;
    bool m_ended = false;
    LogLevel m_lastLevel = LogLevel::General;
    std::string m_lastMessage;
};

} // namespace kelvanto
