#include "schedule/ReplaceTaskList.h"

#include "schedule/TaskServer.h"

#include <string>

namespace kelvanto
{

Result<void> ReplaceTaskList(TaskServer& server, std::vector<Task> tasks, TaskServerOwner* owner)
{
    if (tasks.empty())
        return Ok();
    const bool wasStarted = server.IsStarted();
    if (wasStarted) {
        server.StopAll();
    } else {
        while (server.Count() > 0)
            server.RemoveTask(server.Count() - 1);
    }
    for (const Task& task : tasks)
        server.AddTask(task);
    if (wasStarted) {
        const int result = server.StartAll(owner);
        if (result != 0)
            return Error {"Failed to start the task list (" + std::to_string(result) + ")"};
    }
    return Ok();
}

} // namespace kelvanto
