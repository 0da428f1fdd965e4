#pragma once

#include "mysql/ServerFeatures.h"

#include <string>
#include <string_view>

namespace kelvanto
{

// The CREATE DATABASE and USE block written in front of a table: for fileType 1 the two
// SQL lines and an empty line, for fileType 2 the mysql_query and mysql_select_db PHP lines.
std::string BuildCreateDatabaseBlock(std::string_view database, int fileType, bool quoting,
    const ServerFeatures& features, std::string_view databaseCharset, std::string_view eol);

} // namespace kelvanto
