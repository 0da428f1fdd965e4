#pragma once

#include "engines/restore/ParallelRestorePlan.h"
#include "model/Task.h"
#include "mysql/Connection.h"
#include "schedule/RunContext.h"

namespace kelvanto
{

// A restore spread over up to the task's restoreThreads connections, each opened like the
// single connection of a restore: the plan's files of tables are replayed in parallel, each
// connection taking the next file in the manifest's order, then the files of routines, views
// and events one after the other on the first connection. Each connection selects the
// database that the file selects itself (the plan read it from the file) before the file is
// replayed; a database that does not exist yet is created and selected by the file. A
// failure that ends the run (the task's restore options decide, as on one connection) stops
// the other connections at their next statement and the run fails; a stop request ends
// them all. `connector` opens plain connections; each worker watches its own.
RunOutcome RunParallelRestore(
    RunContext& context, const Connector& connector, const Task& task, const ParallelRestorePlan& plan);

} // namespace kelvanto
