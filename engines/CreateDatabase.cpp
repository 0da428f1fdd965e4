#include "engines/CreateDatabase.h"

#include "mysql/SqlNames.h"

namespace kelvanto
{

namespace
{

// Text made safe inside a PHP single-quoted string: backslashes doubled, apostrophes backslashed.
std::string PhpQuoted(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size() + 4);
    for (char c : text) {
        if (c == '\\' || c == '\'')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

} // namespace

std::string BuildCreateDatabaseBlock(std::string_view database, int fileType, bool quoting,
    const ServerFeatures& features, std::string_view databaseCharset, std::string_view eol)
{
    const std::string name = QuoteName(database, quoting);
    std::string statement = features.createIfNotExists ? "CREATE DATABASE IF NOT EXISTS " : "CREATE DATABASE ";
    statement += name;
    if (features.charsetAware && features.databaseCharsetClause && !databaseCharset.empty()) {
        statement += " DEFAULT CHARACTER SET ";
        statement += databaseCharset;
    }

    std::string block;
    if (fileType == 2) {
        // The statement is escaped as well: a name with an apostrophe would otherwise end
        // the PHP string in the middle of the statement.
        const std::string phpName = PhpQuoted(database);
        block += "  mysql_query('";
        block += PhpQuoted(statement);
        block += ";',$conn) or die('Failed to create database ";
        block += phpName;
        block += "!');";
        block += eol;
        block += "  mysql_select_db('";
        block += phpName;
        block += "',$conn) or die('Failed to select database ";
        block += phpName;
        block += "!');";
        block += eol;
        return block;
    }
    block += statement;
    block += ';';
    block += eol;
    block += "USE ";
    block += name;
    block += ';';
    block += eol;
    block += eol;
    return block;
}

} // namespace kelvanto
