#pragma once

#include "model/Task.h"

#include <vector>

namespace kelvanto
{

// The databases and tables a backup run walks: the task's own list, plus every database of
// the server that it lacks (newDatabases, with all its tables) and every table of a listed
// database that it lacks (newTables). Names are compared exactly; the task's order comes
// first, the server's order after it.
std::vector<DatabaseItem> MergeWorkingList(
    std::vector<DatabaseItem> chosen, std::vector<DatabaseItem> server, bool newDatabases, bool newTables);

} // namespace kelvanto
