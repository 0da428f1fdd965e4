#include "app/DefaultEngines.h"

#include "engines/backup/BackupToFiles.h"
#include "engines/copy/ServerCopy.h"
#include "engines/export/ExportTables.h"
#include "engines/restore/RestoreRun.h"
#include "engines/script/ScriptRun.h"
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
