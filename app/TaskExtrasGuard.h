#pragma once

#include "model/Task.h"
#include "schedule/RunContext.h"

#include <string>

namespace kelvanto
{

// The engines of a program in which a task whose extras could not be read does not run
// without them: its run fails at once, before any connection or file, with one Error line
// that says why (UnreadableExtrasLine). Every other run goes to the engine unchanged.
EngineTable GuardTaskExtras(EngineTable engines);

// "The extra settings of this task cannot be read (PROBLEM): it does not run without them. ..."
std::string UnreadableExtrasLine(const UnreadableExtras& unreadable);

} // namespace kelvanto
