#pragma once

#include "schedule/RunContext.h"

namespace kelvanto
{

// The engine of every task type that has one, talking to real MariaDB/MySQL servers.
EngineTable MakeDefaultEngines();

} // namespace kelvanto
