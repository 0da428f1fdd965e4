#pragma once

#include "model/Task.h"

#include <string>

namespace kelvanto::wizard
{

// The summary that the wizard's last page shows before Finish: blocks of a label line and
// value lines (each value line indented by four blanks), one empty line between blocks,
// every line ended by "\r\n". A task with a command to run after a run that did not succeed
// ends with the block "On failure:" and that command line. Empty for a type outside 1-8.
std::string buildTaskSummary(const Task& task);

// The caption of the summary page: "Task Wizard - TITLE - Step 6 of 6" (5 of 5 for the script
// and restore-from-files types), "Task Wizard" for a type outside 1-8.
std::string summaryCaption(TaskType type);

// The chosen databases (checkState not 0) and their chosen tables.
struct ChosenCounts
{
    int databases = 0;
    int tables = 0;
};
ChosenCounts countChosen(const std::vector<DatabaseItem>& databases);

} // namespace kelvanto::wizard
