#include "tests/support/ServerState.h"

#include "tests/support/RoundTrip.h"
#include "tests/support/ServerSession.h"

#include <optional>

namespace kelvanto::test
{

namespace
{

using Rows = std::vector<std::vector<std::optional<std::string>>>;

bool Select(Connection& connection, const std::string& sql, Rows& rows, std::string& error)
{
    rows.clear();
    if (!connection.Query(sql)) {
        error = sql + ": " + connection.ErrorText();
        return false;
    }
    const std::unique_ptr<ResultSet> result = connection.StoreResult();
    RowView row;
    while (result && result->FetchRow(row)) {
        std::vector<std::optional<std::string>> values;
        for (std::size_t i = 0; i < row.count; ++i)
            values.push_back(row.isNull(i) ? std::nullopt : std::optional<std::string>(std::string(row.value(i))));
        rows.push_back(std::move(values));
    }
    return true;
}

std::string Literal(const std::string& text)
{
    return HexLiteral(text);
}

std::string Line(const std::vector<std::optional<std::string>>& values)
{
    std::string line;
    for (const auto& value : values)
        line += (value ? "'" + *value + "'" : std::string("NULL")) + " ";
    return line;
}

// One entry per row of an information_schema query, keyed by its first column.
bool AddEntries(Connection& connection, ServerState& state, const std::string& kind, const std::string& sql)
{
    Rows rows;
    if (!Select(connection, sql, rows, state.error))
        return false;
    for (const auto& row : rows)
        state.entries[kind + " " + row.at(0).value_or("NULL")] = Line(row);
    return true;
}

} // namespace

ServerState TakeServerState(const TestServerAddress& server, const std::string& prefix)
{
    ServerState state;
    const std::unique_ptr<Connection> connection = Open(SettingsFor(server));
    if (!connection) {
        state.error = "cannot connect";
        return state;
    }
    Rows schemas;
    if (!connection->Query("SET time_zone = '+00:00', NAMES utf8mb4")
        || !Select(*connection,
            "SELECT SCHEMA_NAME, DEFAULT_CHARACTER_SET_NAME, DEFAULT_COLLATION_NAME FROM information_schema.SCHEMATA "
            "WHERE LEFT(SCHEMA_NAME, "
                + std::to_string(prefix.size()) + ") = " + Literal(prefix) + " ORDER BY 1",
            schemas, state.error))
        return state;
    for (const auto& schema : schemas) {
        const std::string database = *schema.at(0);
        state.entries["database " + database] = Line(schema);
        const auto where = [&](const std::string& column) { return " WHERE " + column + " = " + Literal(database); };
        if (!AddEntries(*connection, state, "trigger " + database,
                "SELECT TRIGGER_NAME, EVENT_MANIPULATION, EVENT_OBJECT_TABLE, ACTION_ORDER, ACTION_STATEMENT, "
                "ACTION_TIMING, SQL_MODE, DEFINER, CHARACTER_SET_CLIENT, COLLATION_CONNECTION, DATABASE_COLLATION "
                "FROM information_schema.TRIGGERS"
                    + where("TRIGGER_SCHEMA"))
            || !AddEntries(*connection, state, "view " + database,
                "SELECT TABLE_NAME, VIEW_DEFINITION, CHECK_OPTION, IS_UPDATABLE, DEFINER, SECURITY_TYPE, "
                "CHARACTER_SET_CLIENT, COLLATION_CONNECTION, ALGORITHM FROM information_schema.VIEWS"
                    + where("TABLE_SCHEMA"))
            || !AddEntries(*connection, state, "routine " + database,
                "SELECT CONCAT(ROUTINE_TYPE, ' ', ROUTINE_NAME), DTD_IDENTIFIER, ROUTINE_DEFINITION, IS_DETERMINISTIC, "
                "SQL_DATA_ACCESS, SECURITY_TYPE, SQL_MODE, ROUTINE_COMMENT, DEFINER, CHARACTER_SET_CLIENT, "
                "COLLATION_CONNECTION, DATABASE_COLLATION FROM information_schema.ROUTINES"
                    + where("ROUTINE_SCHEMA"))
            || !AddEntries(*connection, state, "event " + database,
                "SELECT EVENT_NAME, DEFINER, TIME_ZONE, EVENT_DEFINITION, EVENT_TYPE, INTERVAL_VALUE, INTERVAL_FIELD, "
                "SQL_MODE, STATUS, ON_COMPLETION, EVENT_COMMENT, CHARACTER_SET_CLIENT, COLLATION_CONNECTION "
                "FROM information_schema.EVENTS"
                    + where("EVENT_SCHEMA")))
            return state;
        Rows tables;
        if (!Select(*connection,
                "SELECT TABLE_NAME FROM information_schema.TABLES" + where("TABLE_SCHEMA")
                    + " AND TABLE_TYPE IN ('BASE TABLE', 'SEQUENCE') ORDER BY 1",
                tables, state.error))
            return state;
        for (const auto& table : tables) {
            const std::string name = *table.at(0);
            const std::string key = database + "." + name;
            const std::string quoted = QuoteName(database) + "." + QuoteName(name);
            Rows create;
            Rows columns;
            Rows rows;
            if (!Select(*connection, "SHOW CREATE TABLE " + quoted, create, state.error)
                || !Select(*connection,
                    "SELECT COLUMN_NAME FROM information_schema.COLUMNS" + where("TABLE_SCHEMA")
                        + " AND TABLE_NAME = " + Literal(name) + " ORDER BY ORDINAL_POSITION",
                    columns, state.error))
                return state;
            state.entries["table " + key] = create.empty() ? "" : create.front().at(1).value_or("");
            std::string values;
            for (const auto& column : columns)
                values
                    += std::string(values.empty() ? "" : ", ") + "IFNULL(HEX(" + QuoteName(*column.at(0)) + "), 'N')";
            if (values.empty())
                continue;
            if (!Select(*connection, "SELECT CONCAT_WS(',', " + values + ") AS r FROM " + quoted + " ORDER BY r", rows,
                    state.error))
                return state;
            state.entries["table " + key + " rows"] = std::to_string(rows.size());
            for (const auto& row : rows)
                state.rows[key].push_back(row.at(0).value_or("NULL"));
        }
    }
    return state;
}

std::vector<std::string> CompareServerStates(const ServerState& client, const ServerState& engine)
{
    std::vector<std::string> differences;
    if (!client.error.empty() || !engine.error.empty())
        return {"state not taken: " + client.error + " / " + engine.error};
    for (const auto& [key, value] : client.entries) {
        const auto other = engine.entries.find(key);
        if (other == engine.entries.end())
            differences.push_back(key + ": only after the client: " + value);
        else if (other->second != value)
            differences.push_back(key + ": client " + value + " / engine " + other->second);
    }
    for (const auto& [key, value] : engine.entries) {
        if (client.entries.count(key) == 0)
            differences.push_back(key + ": only after the engine: " + value);
    }
    for (const auto& [table, rows] : client.rows) {
        const auto other = engine.rows.find(table);
        const std::vector<std::string> none;
        const std::vector<std::string>& engineRows = other == engine.rows.end() ? none : other->second;
        std::size_t shown = 0;
        for (std::size_t i = 0; i < std::max(rows.size(), engineRows.size()) && shown < 5; ++i) {
            const std::string a = i < rows.size() ? rows[i] : "<none>";
            const std::string b = i < engineRows.size() ? engineRows[i] : "<none>";
            if (a != b) {
                differences.push_back(
                    "table " + table + " row " + std::to_string(i) + ": client HEX " + a + " / engine HEX " + b);
                ++shown;
            }
        }
    }
    return differences;
}

bool DropDatabasesWithPrefix(const TestServerAddress& server, const std::string& prefix)
{
    const std::unique_ptr<Connection> connection = Open(SettingsFor(server));
    if (!connection)
        return false;
    Rows schemas;
    std::string error;
    if (!Select(*connection,
            "SELECT SCHEMA_NAME FROM information_schema.SCHEMATA WHERE LEFT(SCHEMA_NAME, "
                + std::to_string(prefix.size()) + ") = " + Literal(prefix),
            schemas, error))
        return false;
    bool dropped = true;
    for (const auto& schema : schemas)
        dropped = connection->Query("DROP DATABASE " + QuoteName(*schema.at(0))) && dropped;
    return dropped;
}

} // namespace kelvanto::test
