#pragma once

#include "mysql/Connection.h"
#include "schedule/RunContext.h"

namespace kelvanto
{

// One run of an "Execute SQL script" task on the task's worker thread: connects to the
// source server and sends the task's statements one after the other, as they were stored
// (they were cut from the script when the task was made, and are not cut again). A failed statement is
// logged and the run goes on; the run ends with "Executed: N statements" and "Finished".
// Returns Cancelled when a stop was requested (the runner then logs "User canceled!").
RunOutcome RunExecuteScript(RunContext& context, const Connector& connector);

// The engine of the task type.
Engine MakeExecuteScriptEngine(Connector connector);

} // namespace kelvanto
