#pragma once

#include "model/Task.h"

#include <cstdint>
#include <vector>

namespace kelvanto::wizard
{

// The lists that a server probe reads, with the user's earlier choices carried over by name
// (exact): a database or table that was chosen stays chosen; a table that is new on the
// server is chosen when its whole database was; everything else starts not chosen. Names
// that the server no longer has are dropped: the server's list is what can be chosen.
std::vector<DatabaseItem> carryDatabaseChoices(
    std::vector<DatabaseItem> server, const std::vector<DatabaseItem>& chosen);
std::vector<TableItem> carryTableChoices(
    std::vector<TableItem> server, const std::vector<TableItem>& chosen, bool wholeDatabase);

// A database's checkState from its tables: 2 when every table is chosen (or it has none
// and is ticked itself), 1 when some are, 0 when none are.
std::uint8_t databaseCheckState(const std::vector<TableItem>& tables, bool tickedWithoutTables);

} // namespace kelvanto::wizard
