#pragma once

#include "model/Result.h"
#include "model/Task.h"
#include "mysql/Connection.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvanto
{

// The first column of the first row of a query's result read as a whole unsigned number
// ("SELECT @@max_allowed_packet"); nothing when the query fails or the value is no number.
std::optional<std::size_t> QueryNumber(Connection& connection, std::string_view sql);

// The character-set handshake. Below 40100 nothing is sent and "" is returned. Otherwise
// asks for @@CHARACTER_SET_SERVER (or @@CHARACTER_SET_DATABASE), trims the answer and,
// when it is not empty, sends "SET NAMES '<name>'". Returns the name put in force, or "".
std::string NegotiateCharset(Connection& connection, bool useDatabaseCharset);

// 1 table, 2 view, 0 undetermined, for an object of the current database. Servers below
// 32320 get no query and every object is a table.
int DetectTableKind(Connection& connection, std::string_view name, bool quoting);

// The tables and views of the current database (mysql_list_tables order), each with
// checkState 2 and its kind. Fails when the server cannot list them.
Result<std::vector<TableItem>> ListTablesWithKinds(Connection& connection, const std::string& database);

// Every database of the server in server order, each selected in turn (with a
// database-level handshake when negotiateCharset is set) and listed with its tables; a
// database that cannot be selected or listed comes without tables. Fails when the
// databases cannot be listed. Leaves the last listed database selected.
Result<std::vector<DatabaseItem>> ListDatabasesWithTables(Connection& connection, bool negotiateCharset);

// Probes for the wizard pages: each opens its own connection through the connector,
// does the server-level handshake and closes the connection before returning. Errors
// carry the texts of the pages' message boxes.
Result<std::vector<TableItem>> ProbeDatabaseTables(const Connector& connector, const ServerConnection& settings);
Result<std::vector<DatabaseItem>> ProbeAllDatabases(const Connector& connector, const ServerConnection& settings);

} // namespace kelvanto
