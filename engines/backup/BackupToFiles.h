#pragma once

#include "engines/io/FileSink.h"
#include "mysql/Connection.h"
#include "schedule/RunContext.h"

namespace kelvanto
{

// One run of a "Backup to SQL/PHP files" task on the task's worker thread. Logs every step
// and its own last line ("Finished" or the error that ended the run); returns Cancelled
// when a stop was requested (the runner then logs "User canceled!").
RunOutcome RunBackupToFiles(RunContext& context, const Connector& connector);
// The same, writing through the given sink.
RunOutcome RunBackupToFiles(RunContext& context, const Connector& connector, FileSink& sink);

// The engine of the task type: the run above, and the expiry of old backup copies on every
// waiting cycle.
Engine MakeBackupToFilesEngine(Connector connector);

} // namespace kelvanto
