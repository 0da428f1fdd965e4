#include "app/DefaultEngines.h"

#include "engines/BackupToFiles.h"
#include "engines/ExportTables.h"
#include "engines/RestoreRun.h"
#include "engines/ScriptRun.h"
#include "engines/ServerCopy.h"
#include "mysql/OpenConnection.h"

namespace kelvanto
{

EngineTable MakeDefaultEngines()
{
    EngineTable engines;
    engines[TaskType::BackupToFiles] = MakeBackupToFilesEngine(MakeMariaDbConnector());
    for (TaskType copy : {TaskType::BackupToServer, TaskType::BackupToDatabase, TaskType::RestoreFromServer,
             TaskType::RestoreFromDatabase})
        engines[copy] = MakeServerCopyEngine(MakeMariaDbConnector());
    engines[TaskType::ExportTables] = MakeExportTablesEngine(MakeMariaDbConnector());
    engines[TaskType::ExecuteScript] = MakeExecuteScriptEngine(MakeMariaDbConnector());
    engines[TaskType::RestoreFromFiles] = MakeRestoreFromFilesEngine(MakeMariaDbConnector());
    return engines;
}

} // namespace kelvanto
