#include "model/TaskExtras.h"

namespace kelvanto
{

TaskExtras NewTaskExtras(TaskType type)
{
    TaskExtras extras;
    switch (type) {
    case TaskType::BackupToFiles:
    case TaskType::BackupToServer:
    case TaskType::BackupToDatabase:
    case TaskType::RestoreFromServer:
    case TaskType::RestoreFromDatabase:
        extras.consistentSnapshot = true;
        extras.routines = true;
        extras.triggers = true;
        extras.events = true;
        break;
    case TaskType::ExportTables:
        extras.consistentSnapshot = true;
        extras.exportUnixLineEnds = true;
        break;
    case TaskType::ExecuteScript:
    case TaskType::RestoreFromFiles:
        break;
    }
    return extras;
}

} // namespace kelvanto
