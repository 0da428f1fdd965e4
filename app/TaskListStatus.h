#pragma once

#include "app/JsonText.h"
#include "model/Options.h"
#include "model/Task.h"
#include "schedule/RunProgress.h"
#include "schedule/RunResult.h"

#include <optional>
#include <string>

namespace kelvanto
{

class Application;
class TaskLog;
class TaskNotices;

// The last result that the task list shows for a task, read from its log: the latest run's
// end; a run without an end line that is not going on any more (the program was killed
// during it) shows as failed. nullopt for a task that never ran, whose log was emptied, or
// whose first run is going on now.
std::optional<LastRun> ShownLastRun(const TaskLog& log, const Task& task);
// The same rule for the latest run already read from the log.
std::optional<LastRun> ShownLastRun(std::optional<LastRun> last, const Task& task);

// The task list as the window's rows show it, for the command line and the control socket:
// name, type, schedule, status, last and next run (in the options' display formats), the
// last result ("lastResult": "OK", "Errors (3)", "Failed", "Cancelled" or "" when none, with
// "outcome", "errors" and "lastResultTime" when there is one), for a running task the
// progress of its run when it reported some, and for a task whose extras could not be read
// why ("extrasProblem": such a task does not run).
Json TaskRowJson(const Task& task, const Options& options, const std::optional<RunProgress>& progress,
    const std::optional<LastRun>& last = std::nullopt);
// Every task in list order; progress from `notices` when given (a scheduler's live list).
Json TaskListJson(const Application& app, const TaskNotices* notices);

// The progress of a run in words, as the command line and the desktop window show it:
// "sakila.rental: 1200 of about 16044 rows (7%)", without an estimate "sakila.rental: 1200
// rows"; a script's "statement 3 of 120"; a file's "sakila.sql: 1200 statements (35%)".
std::string ProgressText(const RunProgress& progress);

Json ProgressJson(const RunProgress& progress);
// The reverse of ProgressJson; members that are missing or not counts read as 0.
RunProgress ProgressFromJson(const Json& progress);

} // namespace kelvanto
