#include "engines/sql/CreateDatabase.h"

#include "model/Text.h"
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

// Column `column` of the first row of a query's result, trimmed; "" when there is none.
std::string FirstRowValue(Connection& connection, const std::string& query, std::size_t column)
{
    if (!connection.Query(query))
        return {};
    std::unique_ptr<ResultSet> result = connection.StoreResult();
    RowView row;
    if (!result || !result->FetchRow(row) || row.count <= column || row.isNull(column))
        return {};
    return std::string(TrimBlanks(row.value(column)));
}

} // namespace

std::string NonDefaultDatabaseCollation(Connection& connection, std::string_view charset)
{
    if (connection.ServerVersion() <= 40100 || charset.empty())
        return {};
    const std::string collation = FirstRowValue(connection, "SELECT @@COLLATION_DATABASE", 0);
    if (collation.empty())
        return {};
    // Charset, Description, Default collation, Maxlen
    const std::string charsetDefault
        = FirstRowValue(connection, "SHOW CHARACTER SET LIKE '" + LikeLiteral(charset) + "'", 2);
    if (charsetDefault.empty() || charsetDefault == collation)
        return {};
    return collation;
}

std::string CreateDatabaseStatement(std::string_view database, bool quoting, const ServerFeatures& features,
    std::string_view databaseCharset, std::string_view databaseCollation)
{
    std::string statement = features.createIfNotExists ? "CREATE DATABASE IF NOT EXISTS " : "CREATE DATABASE ";
    statement += QuoteName(database, quoting);
    if (features.charsetAware && features.databaseCharsetClause && !databaseCharset.empty()) {
        statement += " DEFAULT CHARACTER SET ";
        statement += databaseCharset;
        if (!databaseCollation.empty()) {
            statement += " COLLATE ";
            statement += databaseCollation;
        }
    }
    return statement;
}

std::string BuildCreateDatabaseBlock(std::string_view database, int fileType, bool quoting,
    const ServerFeatures& features, std::string_view databaseCharset, std::string_view eol,
    std::string_view databaseCollation)
{
    const std::string name = QuoteName(database, quoting);
    const std::string statement
        = CreateDatabaseStatement(database, quoting, features, databaseCharset, databaseCollation);

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
