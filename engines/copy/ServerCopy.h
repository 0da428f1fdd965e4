#pragma once

#include "mysql/Connection.h"
#include "schedule/RunContext.h"

namespace kelvanto
{

// One run of a task that copies databases straight from one server to another (task types
// 2, 3, 7 and 8) on the task's worker thread. Logs every step and its own last line
// ("Finished" or the error that ended the run); returns Cancelled when a stop was requested
// (the runner then logs "User canceled!").
RunOutcome RunServerCopy(RunContext& context, const Connector& connector);

// The engine of those task types.
Engine MakeServerCopyEngine(Connector connector);

} // namespace kelvanto
