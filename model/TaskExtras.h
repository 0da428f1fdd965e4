#pragma once

#include "model/Task.h"

namespace kelvanto
{

// The extras that a task created from now on (wizard, JSON import, control socket) starts
// with; a task without an entry in the extras file keeps TaskExtras{} (every setting off).
TaskExtras NewTaskExtras(TaskType type);

} // namespace kelvanto
