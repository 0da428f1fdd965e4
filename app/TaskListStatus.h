#pragma once

#include "app/JsonText.h"
#include "model/Options.h"
#include "model/Task.h"
#include "schedule/RunProgress.h"

#include <optional>
#include <string>

namespace kelvanto
{

class Application;
class TaskNotices;

// The task list as the window's rows show it, for the command line and the control socket:
// name, type, schedule, status, last and next run (in the options' display formats), and
// for a running task the progress of its run when it reported some.
Json TaskRowJson(const Task& task, const Options& options, const std::optional<RunProgress>& progress);
// Every task in list order; progress from `notices` when given (a scheduler's live list).
Json TaskListJson(const Application& app, const TaskNotices* notices);

// "sakila.rental: 1200 of about 16044 rows (7%)", or without an estimate
// "sakila.rental: 1200 rows"; the text a desktop window shows for a running task too.
std::string ProgressText(const RunProgress& progress);

Json ProgressJson(const RunProgress& progress);

} // namespace kelvanto
