#include "mysql/ServerProbes.h"

#include "model/Text.h"
#include "mysql/ServerFeatures.h"
#include "mysql/SqlNames.h"

#include <charconv>
#include <cstdio>

namespace kelvanto
{

namespace
{

std::string ErrorMessage(const char* headline, unsigned number, const std::string& text)
{
    std::string message = headline;
    message += "\n\nError NO. ";
    message += std::to_string(number);
    message += '\n';
    message += text;
    return message;
}

Result<std::unique_ptr<Connection>> Open(const Connector& connector, const ServerConnection& settings)
{
    ConnectResult result = connector(settings);
    if (auto* error = std::get_if<ConnectError>(&result))
        return Error {ErrorMessage("Failed to connect to the MySQL server!", error->number, error->text)};
    auto connection = std::move(std::get<std::unique_ptr<Connection>>(result));
    if (!connection)
        return Error {ErrorMessage("Failed to connect to the MySQL server!", 0, "")};
    return connection;
}

} // namespace

std::string NegotiateCharset(Connection& connection, bool useDatabaseCharset)
{
    if (connection.ServerVersion() < 40100)
        return {};
    const std::string_view query
        = useDatabaseCharset ? "SELECT @@CHARACTER_SET_DATABASE" : "SELECT @@CHARACTER_SET_SERVER";
    std::string name;
    if (connection.Query(query)) {
        if (auto result = connection.StoreResult()) {
            RowView row;
            if (result->FetchRow(row) && row.count > 0)
                name = TrimBlanks(row.value(0));
        }
    }
    if (!name.empty())
        connection.Query("SET NAMES '" + name + "'");
    return name;
}

int DetectTableKind(Connection& connection, std::string_view name, bool quoting)
{
    if (connection.ServerVersion() < 32320)
        return 1;
    const std::string query = "SHOW CREATE TABLE " + QuoteName(name, quoting);
    if (!connection.Query(query))
        return 0;
    auto result = connection.StoreResult();
    if (!result || result->Fields().empty())
        return 0;
    const std::string& column = result->Fields().front().name;
    if (column == "Table")
        return 1;
    if (column == "View")
        return 2;
    return 0;
}

Result<std::vector<TableItem>> ListTablesWithKinds(Connection& connection, const std::string& database)
{
    auto names = connection.ListTables();
    if (!names) {
        return Error {ErrorMessage(
            "Failed to list the tables of the database!", connection.ErrorNumber(), connection.ErrorText())};
    }
    const bool quoting = ServerFeatures::ForVersion(connection.ServerVersion()).quoteNames;
    std::vector<TableItem> tables;
    tables.reserve(names->size());
    for (auto& name : *names) {
        TableItem item;
        item.checkState = 2;
        item.kind = static_cast<std::uint8_t>(DetectTableKind(connection, name, quoting));
        item.database = database;
        item.name = std::move(name);
        tables.push_back(std::move(item));
    }
    return tables;
}

Result<std::vector<DatabaseItem>> ListDatabasesWithTables(Connection& connection, bool negotiateCharset)
{
    auto names = connection.ListDatabases();
    if (!names) {
        return Error {ErrorMessage("Failed to list the databases!", connection.ErrorNumber(), connection.ErrorText())};
    }
    std::vector<DatabaseItem> databases;
    databases.reserve(names->size());
    for (auto& name : *names) {
        DatabaseItem item;
        item.checkState = 2;
        item.name = std::move(name);
        if (connection.SelectDatabase(item.name)) {
            if (negotiateCharset)
                NegotiateCharset(connection, true);
            if (auto tables = ListTablesWithKinds(connection, item.name))
                item.tables = std::move(*tables);
        }
        databases.push_back(std::move(item));
    }
    return databases;
}

Result<std::vector<TableItem>> ProbeDatabaseTables(const Connector& connector, const ServerConnection& settings)
{
    auto opened = Open(connector, settings);
    if (!opened)
        return Error {opened.error()};
    Connection& connection = **opened;
    NegotiateCharset(connection, false);
    if (!connection.SelectDatabase(settings.database)) {
        return Error {ErrorMessage("Failed to use the database!", connection.ErrorNumber(), connection.ErrorText())};
    }
    NegotiateCharset(connection, true);
    return ListTablesWithKinds(connection, settings.database);
}

Result<std::vector<DatabaseItem>> ProbeAllDatabases(const Connector& connector, const ServerConnection& settings)
{
    auto opened = Open(connector, settings);
    if (!opened)
        return Error {opened.error()};
    Connection& connection = **opened;
    NegotiateCharset(connection, false);
    return ListDatabasesWithTables(connection, true);
}

std::optional<std::size_t> QueryNumber(Connection& connection, std::string_view sql)
{
    if (!connection.Query(sql))
        return std::nullopt;
    std::unique_ptr<ResultSet> result = connection.StoreResult();
    RowView row;
    if (!result || !result->FetchRow(row) || row.count == 0 || row.isNull(0))
        return std::nullopt;
    const std::string_view text = row.value(0);
    std::size_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

} // namespace kelvanto
