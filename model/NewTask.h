#pragma once

#include "model/Task.h"

namespace kelvanto
{

// The task that a task created from now on (wizard, JSON import, control socket) starts from.
// A default Task holds what a stored record means where it lacks a setting, so that stored
// tasks keep their behaviour; a new task differs from it where Linux users expect otherwise:
// SQL files end their lines with LF, and so do TEXT, XML and HTML exports (see NewTaskExtras).
Task NewTask(TaskType type);

} // namespace kelvanto
