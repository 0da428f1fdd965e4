#pragma once

#include "schedule/TaskServerOwner.h"

#include <atomic>
#include <mutex>
#include <set>
#include <string>

namespace kelvanto
{

// Hears when a run ends, so that the service saves the task list then: the run's time and
// backup history are on disk at once, not only at the next command or at quit, and a crash
// or a kill loses none of them (nor the record of backup files that rotation must expire).
class RunEndWatch final : public TaskServerOwner
{
public:
    void TaskStatusChanged(const std::string& taskId, TaskStatus status) override;
    // True (once) when a run ended since the last call.
    bool TakeRunEnded() { return m_runEnded.exchange(false); }

private:
    std::mutex m_mutex;
    std::set<std::string> m_running;
    std::atomic<bool> m_runEnded {false};
};

} // namespace kelvanto
