#pragma once

#include "mysql/Connection.h"
#include "mysql/ServerFeatures.h"

#include <string>
#include <string_view>

namespace kelvanto
{

// "CREATE DATABASE [IF NOT EXISTS] <name>" as the server of `features` takes it, with
// " DEFAULT CHARACTER SET <charset>" (and " COLLATE <collation>" when one is given) when the
// server knows character sets and the charset is not empty.
std::string CreateDatabaseStatement(std::string_view database, bool quoting, const ServerFeatures& features,
    std::string_view databaseCharset, std::string_view databaseCollation = {});

// The CREATE DATABASE and USE block written in front of a table: for fileType 1 the two
// SQL lines and an empty line, for fileType 2 the mysql_query and mysql_select_db PHP lines.
// A non-empty `databaseCollation` follows the character set as " COLLATE " + collation.
std::string BuildCreateDatabaseBlock(std::string_view database, int fileType, bool quoting,
    const ServerFeatures& features, std::string_view databaseCharset, std::string_view eol,
    std::string_view databaseCollation = {});

// The default collation of the current database when it is not the default collation of
// `charset` (a database created utf8mb4_bin), else "". Asks "SELECT @@COLLATION_DATABASE" and
// "SHOW CHARACTER SET LIKE '<charset>'"; servers before 4.1.1 and failed queries give "".
std::string NonDefaultDatabaseCollation(Connection& connection, std::string_view charset);

} // namespace kelvanto
