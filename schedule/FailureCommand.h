#pragma once

#include "schedule/RunContext.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace kelvanto
{

// What the command run after a run that did not succeed is told, through its environment.
// The task's name and the first error reach it as one line each (line ends become spaces).
struct FailureReport
{
    std::string task; // KELVANTO_TASK: the task's name
    std::string outcome; // KELVANTO_OUTCOME: "failed" or "completed-with-errors"
    std::string firstError; // KELVANTO_FIRST_ERROR: the run's first Error line
    std::string log; // KELVANTO_LOG: the run's lines as text
};

// How long the command may take, and how long it has to end after SIGTERM.
struct FailureCommandLimits
{
    std::chrono::milliseconds timeLimit {std::chrono::seconds(60)};
    std::chrono::milliseconds termGrace {std::chrono::seconds(2)};
};

// The one log line that says how the command ended.
struct FailureCommandEnd
{
    LogLevel level = LogLevel::Warning;
    std::string line;
};

// Runs a task's onFailure command: argv[0] is looked up in PATH and started with
// posix_spawn (no shell), in a process group of its own, with the inherited environment plus
// the report, stdin from /dev/null, stdout and stderr on this process's stderr and no other
// descriptor. Waits for it on the calling thread until it ends; past the time limit, or once
// `stopRequested` answers true (polled while waiting), the group gets SIGTERM and, after the
// grace time, SIGKILL. The child is always reaped.
FailureCommandEnd RunFailureCommand(const std::vector<std::string>& argv, const FailureReport& report,
    const std::function<bool()>& stopRequested, const FailureCommandLimits& limits = {});

} // namespace kelvanto
