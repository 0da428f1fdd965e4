#include "engines/backup/BackupToFiles.h"

#include "engines/backup/BackupToFilesRun.h"
#include "engines/backupset/BackupRotation.h"
#include "engines/run/WatchedConnection.h"

#include <utility>

namespace kelvanto
{

RunOutcome RunBackupToFiles(RunContext& context, const Connector& connector)
{
    FileSink files;
    return RunBackupToFiles(context, connector, files);
}

RunOutcome RunBackupToFiles(RunContext& context, const Connector& connector, FileSink& sink)
{
    const Connector watched = WatchConnections(context, connector);
    BackupToFilesRun run(context, watched, connector, sink);
    return run.Run();
}

Engine MakeBackupToFilesEngine(Connector connector)
{
    Engine engine;
    engine.run
        = [connector = std::move(connector)](RunContext& context) { return RunBackupToFiles(context, connector); };
    engine.whileWaiting = [](RunContext& context) {
        ExpireBackupCopies(context);
        // A waiting worker sleeps until its next run: it wakes for the next copy to expire.
        const Task task = context.TaskCopy();
        context.WakeWhileWaitingAt(NextCopyExpiry(task.backupHistory, task.backupSettings));
    };
    return engine;
}

} // namespace kelvanto
