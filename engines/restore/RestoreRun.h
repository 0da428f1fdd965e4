#pragma once

#include "mysql/Connection.h"
#include "schedule/RunContext.h"

namespace kelvanto
{

// One run of a "Restore from SQL files" task on the task's worker thread: connects to the
// destination server and replays the task's files in list order over that one connection,
// each read through a buffer and cut into statements as it is read, every statement sent as
// soon as it is complete. The task's restore options decide whether a failed statement or
// an unreadable file ends the run (without "Finished"). Returns Cancelled when a stop was
// requested (the runner then logs "User canceled!").
// With restoreThreads above 1, the files of one backup run that its own manifest describes,
// each selecting its database itself, are restored over several connections instead (see
// PlanParallelRestore, RunParallelRestore); otherwise a line says why they stay on one.
RunOutcome RunRestoreFromFiles(RunContext& context, const Connector& connector);

// The engine of the task type.
Engine MakeRestoreFromFilesEngine(Connector connector);

} // namespace kelvanto
