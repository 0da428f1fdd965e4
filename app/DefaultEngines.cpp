#include "app/DefaultEngines.h"

#include "engines/BackupToFiles.h"
#include "mysql/OpenConnection.h"

namespace kelvanto
{

EngineTable MakeDefaultEngines()
{
    EngineTable engines;
    engines[TaskType::BackupToFiles] = MakeBackupToFilesEngine(MakeMariaDbConnector());
    return engines;
}

} // namespace kelvanto
