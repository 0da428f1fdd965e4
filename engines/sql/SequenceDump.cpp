#include "engines/sql/SequenceDump.h"

#include "mysql/SqlNames.h"

#include <memory>

namespace kelvanto
{

namespace
{

// An integer as the server prints it: an optional '-' and digits.
bool IsInteger(std::string_view text)
{
    if (!text.empty() && text.front() == '-')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

} // namespace

std::set<std::string> ReadSequenceNames(Connection& connection, const std::string& database)
{
    std::set<std::string> names;
    // Sequences came with MariaDB 10.3; other servers are not asked.
    if (connection.ServerVersion() < 100300 || connection.ServerInfo().find("MariaDB") == std::string::npos)
        return names;
    std::string sql = "SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_TYPE = 'SEQUENCE'"
                      " AND TABLE_SCHEMA = '";
    connection.AppendEscaped(sql, database);
    sql += '\'';
    if (!connection.Query(sql))
        return names;
    std::unique_ptr<ResultSet> result = connection.StoreResult();
    RowView row;
    while (result && result->FetchRow(row)) {
        if (row.count > 0 && !row.isNull(0))
            names.emplace(row.value(0));
    }
    return names;
}

Result<std::vector<std::string>> SequenceStatements(
    Connection& connection, const std::string& name, const std::string& quoted, bool structure)
{
    std::vector<std::string> statements;
    if (structure) {
        if (!connection.Query("SHOW CREATE SEQUENCE " + QuoteName(name, true)))
            return Error {connection.ErrorText()};
        std::unique_ptr<ResultSet> result = connection.StoreResult();
        RowView row;
        if (!result || !result->FetchRow(row) || row.count < 2 || row.isNull(1))
            return Error {"no definition of the sequence"};
        std::string definition(row.value(1));
        constexpr std::string_view kCreate = "CREATE SEQUENCE ";
        if (definition.compare(0, kCreate.size(), kCreate) == 0)
            definition.insert(kCreate.size(), "IF NOT EXISTS ");
        statements.push_back(std::move(definition));
    }
    if (!connection.Query("SELECT next_not_cached_value, cycle_count FROM " + QuoteName(name, true)))
        return Error {connection.ErrorText()};
    std::unique_ptr<ResultSet> result = connection.StoreResult();
    RowView row;
    if (!result || !result->FetchRow(row) || row.count < 2 || !IsInteger(row.value(0)) || !IsInteger(row.value(1)))
        return Error {"no state of the sequence"};
    statements.push_back(
        "DO SETVAL(" + quoted + ", " + std::string(row.value(0)) + ", 0, " + std::string(row.value(1)) + ")");
    return statements;
}

} // namespace kelvanto
