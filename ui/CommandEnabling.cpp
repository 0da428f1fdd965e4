#include "ui/CommandEnabling.h"

namespace kelvanto
{

namespace
{

bool Startable(const CommandEnabling::TaskState& task)
{
    return task.status == TaskStatus::Stopped && !task.manual;
}

bool Stoppable(const CommandEnabling::TaskState& task)
{
    return task.status == TaskStatus::Waiting || task.status == TaskStatus::Running;
}

} // namespace

CommandEnabling CommandEnabling::compute(
    const std::vector<TaskState>& tasks, const std::vector<std::size_t>& selected, std::size_t rowsShown)
{
    CommandEnabling enabling;
    enabling.editTask = selected.size() == 1;
    enabling.deleteTasks = !selected.empty();
    for (const std::size_t row : selected) {
        if (row >= tasks.size())
            continue;
        enabling.start = enabling.start || Startable(tasks[row]);
        enabling.stop = enabling.stop || Stoppable(tasks[row]);
        enabling.runImmediately = enabling.runImmediately || tasks[row].status != TaskStatus::Running;
    }
    for (const TaskState& task : tasks) {
        enabling.startAll = enabling.startAll || Startable(task);
        enabling.stopAll = enabling.stopAll || Stoppable(task);
    }
    enabling.deleteAll = !tasks.empty();
    enabling.saveAs = rowsShown > 0 && !tasks.empty();
    return enabling;
}

} // namespace kelvanto
