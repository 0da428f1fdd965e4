#pragma once

#include "mysql/Connection.h"

#include <string>

namespace kelvanto::test
{

// The hard-values database for round trips: every column type the server has, edge values of
// each, every byte, utf8mb4, quotes, backslashes, NUL, line breaks, NULL against the text
// 'NULL', names with blanks, reserved words and backquotes, an INVISIBLE column beside VIRTUAL
// and STORED generated ones, views, a utf8mb4_bin database and rows of 1 MiB. Tables `types`,
// `select`, `tab``le with blank`, `gen` and `big`; views `view of ``select``` and `type view`.
// The script creates and fills it in a session at +05:30, in non-strict mode (zero dates).
std::string HardValuesScript(const std::string& database);

// A connector that puts every session it opens in the given time zone before the engine gets
// it, as a server whose own time zone that is would.
Connector ShiftedZoneConnector(const std::string& zone);

} // namespace kelvanto::test
