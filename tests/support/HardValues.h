#pragma once

#include "mysql/Connection.h"

#include <string>

namespace kelvanto::test
{

// The hard-values sample for round trips: every column type the server has, edge values of
// each, every byte, utf8mb4, quotes, backslashes, NUL, line breaks, NULL against the text
// 'NULL', names with blanks, reserved words and backquotes; an INVISIBLE column beside VIRTUAL
// and STORED generated ones; rows of 1 MiB; in a utf8mb4_bin database. Five tables and two views.

// The script that creates and fills `database` in a session at +05:30 in non-strict mode
// (zero dates), for the mariadb client.
std::string HardValuesScript(const std::string& database);

// A connector that leaves the session at the given zone before the engine gets it, as a
// server whose own time zone it is would.
Connector ShiftedZoneConnector(const std::string& zone = "+05:30");

} // namespace kelvanto::test
