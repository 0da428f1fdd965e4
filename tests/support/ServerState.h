#pragma once

#include "tests/support/TestServer.h"

#include <map>
#include <string>
#include <vector>

namespace kelvanto::test
{

// What a restore left on a server, for comparing two restores of the same file: every
// database whose name begins with a prefix, with for each table its definition, row count and
// rows (every column, invisible ones too, in HEX, ordered by all columns), and every trigger,
// view, routine and event by its definition and settings as information_schema gives them.
// Each entry is one line of text keyed by what it describes ("table db.t rows").
struct ServerState
{
    std::string error; // non-empty when the state could not be taken
    std::map<std::string, std::string> entries;
    std::map<std::string, std::vector<std::string>> rows; // by "db.table"
};

// The state of the databases named `prefix`... on the server, read in a session at time zone
// +00:00 (TIMESTAMP values as stored).
ServerState TakeServerState(const TestServerAddress& server, const std::string& prefix);

// Human-readable differences (the first differing rows of a table); empty when equal.
std::vector<std::string> CompareServerStates(const ServerState& client, const ServerState& engine);

// Drops every database named `prefix`...; false when one could not be dropped.
bool DropDatabasesWithPrefix(const TestServerAddress& server, const std::string& prefix);

} // namespace kelvanto::test
