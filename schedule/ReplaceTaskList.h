#pragma once

#include "model/Result.h"
#include "model/Task.h"

#include <vector>

namespace kelvanto
{

class TaskServer;
class TaskServerOwner;

// Puts a loaded task list into the runner. An empty list changes nothing and succeeds.
// Otherwise a started server is stopped (StopAll empties it), a stopped one is emptied,
// every task is added in order (each gets a fresh taskId), and a server that had been
// started is started again with owner; when that fails the load fails and the new tasks
// stay in the list.
Result<void> ReplaceTaskList(TaskServer& server, std::vector<Task> tasks, TaskServerOwner* owner);

} // namespace kelvanto
