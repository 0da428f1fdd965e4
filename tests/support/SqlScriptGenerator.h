#pragma once

#include <random>
#include <string>

namespace kelvanto::test
{

// Random SQL files for comparing the restore engine with the stock client: a database
// `database` with a table t (id, v TEXT, n BIGINT) filled by INSERT, UPDATE and DELETE
// statements whose texts use quotes of each kind with backslash escapes and doubled quotes,
// comments of the three kinds and executable ones, line breaks (LF and CRLF) at many places,
// inside quotes too, several statements on a line, DELIMITER changes with statements that
// hold ';', triggers, and NO_BACKSLASH_ESCAPES and ANSI_QUOTES switched on and off. Most
// files are accepted by the client; some it refuses.
std::string GenerateSqlScript(std::mt19937_64& random, const std::string& database);

} // namespace kelvanto::test
