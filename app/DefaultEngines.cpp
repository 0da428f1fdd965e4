#include "app/DefaultEngines.h"

#include "engines/BackupToFiles.h"
#include "engines/RestoreRun.h"
#include "engines/ScriptRun.h"
#include "mysql/OpenConnection.h"

namespace kelvanto
{

EngineTable MakeDefaultEngines()
{
    EngineTable engines;
    engines[TaskType::BackupToFiles] = MakeBackupToFilesEngine(MakeMariaDbConnector());
    engines[TaskType::ExecuteScript] = MakeExecuteScriptEngine(MakeMariaDbConnector());
    engines[TaskType::RestoreFromFiles] = MakeRestoreFromFilesEngine(MakeMariaDbConnector());
    return engines;
}

} // namespace kelvanto
