#pragma once

#include "model/Result.h"
#include "mysql/Connection.h"

#include <set>
#include <string>
#include <vector>

namespace kelvanto
{

// The sequences (MariaDB's CREATE SEQUENCE, from 10.3) of `database`; empty on other servers.
std::set<std::string> ReadSequenceNames(Connection& connection, const std::string& database);

// The statements that bring back sequence `name` of the current database as a sequence with
// its state: "CREATE SEQUENCE IF NOT EXISTS ..." as the server shows it (when `structure`),
// then "DO SETVAL(...)" with the next value that the sequence has not handed out yet and its
// cycle count, so that a restored sequence never gives a value twice. `quoted` is the name as
// statements carry it.
Result<std::vector<std::string>> SequenceStatements(
    Connection& connection, const std::string& name, const std::string& quoted, bool structure);

} // namespace kelvanto
