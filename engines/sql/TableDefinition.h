#pragma once

#include "model/Result.h"
#include "mysql/Connection.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvanto
{

// Reads the definition of a table, view or temporary table of the current database with
// "SHOW CREATE TABLE `name`" (always backquoted). Succeeds when the query gave a result
// set, even an empty one: the text is then empty. The text is column 1 of the first row
// without the CR and LF that lay its clauses out (those inside quoted names and texts
// stay, so that a name holding a line end is written as the server gives it), with a
// leading "CREATE TABLE" turned into "CREATE TABLE IF NOT EXISTS".
Result<std::string> ReadTableDefinition(Connection& connection, std::string_view name);

// Rebuilds "CREATE TABLE IF NOT EXISTS ..." from the column list of a table, for servers
// that cannot show it (below 32320). Fails when no column can be rendered.
Result<std::string> RebuildTableDefinition(Connection& connection, std::string_view name, std::string_view tableType,
    const std::vector<FieldInfo>& columns, bool quoting);

// The definition of a table: read from the server with useShowCreate, rebuilt otherwise.
// One trailing ';' is removed.
Result<std::string> GetTableDefinition(Connection& connection, std::string_view name, std::string_view tableType,
    const std::vector<FieldInfo>& columns, bool quoting, bool useShowCreate);

// What "SHOW TABLE STATUS LIKE '<name>'" tells of a table of the current database: its
// storage engine (column 1 of the first row, empty when there is none) and the server's
// estimate of its row count (the "Rows" column: exact for some engines, approximate for
// InnoDB, NULL for views; 0 when absent).
struct TableStatus
{
    std::string type;
    std::uint64_t rowsEstimate = 0;
};
TableStatus ReadTableStatus(Connection& connection, std::string_view name);

} // namespace kelvanto
