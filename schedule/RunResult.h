#pragma once

#include "model/TimeStamp.h"
#include "schedule/RunContext.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kelvanto
{

class TaskLog;

// How a run ended, decided once by the runner and reported alike everywhere: the exit code
// of a foreground run, the control socket, the journal, the backup history, the task list.
//   Succeeded            the engine finished and no line of the run was an Error line;
//   CompletedWithErrors  the engine finished (every file whole) but some object logged an
//                        Error line;
//   Failed               the engine gave up (a file not written whole, a refused or lost
//                        connection, nothing to work on) or threw;
//   Cancelled            a stop ended the run.
enum class RunResult {
    Succeeded,
    CompletedWithErrors,
    Failed,
    Cancelled,
};

// The end of one run: its result and the number of Error lines the run logged before it.
struct RunEnd
{
    RunResult result = RunResult::Failed;
    std::size_t errors = 0;

    bool operator==(const RunEnd&) const = default;
};

// The rule: a lost connection fails the run whatever the engine made of it; otherwise the
// engine's Failed and Cancelled stand, and a finished run succeeded only without Error lines.
RunResult DecideRunResult(RunOutcome engine, std::size_t errorLines, bool connectionLost);

// The runner's own last line of a run: "Run ended: succeeded", "Run ended: completed with
// errors (3)", "Run ended: failed", "Run ended: failed (2)" (with the Error lines the run
// logged), "Run ended: cancelled".
std::string RunEndLine(const RunEnd& end);
// The level of that line: General, Error for both kinds of failure, Warning when cancelled.
LogLevel RunEndLevel(RunResult result);
// The reverse of RunEndLine; nullopt for any other line.
std::optional<RunEnd> ParseRunEndLine(std::string_view line);

// The latest run that a task's log holds: its end line and when it was written. A run whose
// "Running..." line has no end line after it is still going, or was cut off (the program
// was killed): `ended` is false and `end` says Failed. nullopt for a task that never ran or
// whose log was emptied since.
struct LastRun
{
    RunEnd end;
    TimeStamp time;
    bool ended = true;
};
std::optional<LastRun> LastRunOf(const TaskLog& log, std::string_view logFileName);

// The line with which the runner begins every run.
inline constexpr std::string_view kRunBeginLine = "Running...";

// The word of the task list and of `kelvanto-cli list`: "OK", "Errors (3)", "Failed",
// "Cancelled".
std::string RunEndWord(const RunEnd& end);
// The name of a result in the control protocol: "succeeded", "completed-with-errors",
// "failed", "cancelled"; and back (nullopt for anything else).
const char* RunResultName(RunResult result);
std::optional<RunResult> RunResultFromName(std::string_view name);

} // namespace kelvanto
