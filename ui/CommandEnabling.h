#pragma once

#include "model/Task.h"

#include <cstddef>
#include <vector>

namespace kelvanto
{

// Which task list commands are enabled, from the tasks and the selected rows.
struct CommandEnabling
{
    bool editTask = false; // also View Log, Properties, Rename Task: exactly one row selected
    bool deleteTasks = false; // also Copy Task(s): at least one row selected
    bool start = false; // a selected task is Stopped and not Manual
    bool stop = false; // a selected task is Waiting or Running
    bool runImmediately = false; // a selected task is not Running
    bool startAll = false; // some task is Stopped and not Manual
    bool stopAll = false; // some task is Waiting or Running
    bool deleteAll = false; // also Select All: the list holds a task
    bool saveAs = false; // the list shows rows and holds tasks
    // New Task and Load From are always enabled.

    bool operator==(const CommandEnabling&) const = default;

    // The state of one task as the rules read it.
    struct TaskState
    {
        TaskStatus status = TaskStatus::Stopped;
        bool manual = true;
    };
    static CommandEnabling compute(
        const std::vector<TaskState>& tasks, const std::vector<std::size_t>& selected, std::size_t rowsShown);
};

} // namespace kelvanto
