#pragma once

#include "model/Task.h"
#include "mysql/Connection.h"

#include <string>

#include <vector>

namespace kelvanto
{

// The databases and tables a backup run walks: the task's own list, plus every database of
// the server that it lacks (newDatabases, with all its tables) and every table of a listed
// database that it lacks (newTables). Names are compared exactly; the task's order comes
// first, the server's order after it.
std::vector<DatabaseItem> MergeWorkingList(
    std::vector<DatabaseItem> chosen, std::vector<DatabaseItem> server, bool newDatabases, bool newTables);

// The working list of a run: the task's `chosen` databases, merged with every database and
// table of the server (listed on `connection`) when allNewDatabases or allNewTables is on.
// When the server cannot be listed, the task's list alone, with the reason in *error.
std::vector<DatabaseItem> BuildWorkingList(
    Connection& connection, std::vector<DatabaseItem> chosen, const BackupSettings& settings, std::string& error);

} // namespace kelvanto
