#include "model/NewTask.h"

#include "model/TaskExtras.h"

namespace kelvanto
{

Task NewTask(TaskType type)
{
    Task task;
    task.type = type;
    task.backupSettings.unixLineEnds = 1;
    task.extras = NewTaskExtras(type);
    return task;
}

} // namespace kelvanto
