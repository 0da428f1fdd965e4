#pragma once

#include "engines/sql/ClientSqlReader.h"
#include "model/Result.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvanto
{

namespace SqlSplitter
{
// The largest statement a server takes (max_allowed_packet is at most 1 GiB).
inline constexpr std::size_t kLargestLimit = ClientSqlReader::kLargestLimit;
} // namespace SqlSplitter

// The statement that stands for an item of the client's reading when the statements are
// kept as a list: a statement as it is, a database to select as USE `db`, a character set as
// SET NAMES cs (what mysql_set_character_set sends); nothing for the other kinds.
std::optional<std::string> ItemAsStatement(const ClientSqlReader::Item& item);

// Cuts a script text held in memory into the statements that the stock mariadb client would
// send for it (see ClientSqlReader), the client's commands given as ItemAsStatement makes
// them, on a session in utf8mb4 whose sql_mode has neither NO_BACKSLASH_ESCAPES nor
// ANSI_QUOTES (the text is cut once, when it is taken, not on the session it later runs on).
// A text that the client refuses (a command that reaches outside the server, a backslash
// command it does not know, a NUL byte) is refused with the reason and its line.
Result<std::vector<std::string>> SplitScript(std::string_view text);

// A script text that SplitScript cuts into `statements` again (a statement that ends with ';'
// may come back without it, which the server takes alike): each statement ends with ';' where
// that is enough, else it is written in a DELIMITER block with a delimiter it does not hold.
std::string JoinScript(const std::vector<std::string>& statements);

// "line N: <text>" of an item that refuses a text.
std::string RefusalText(const ClientSqlReader::Item& item);

} // namespace kelvanto
