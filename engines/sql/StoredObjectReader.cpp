#include "engines/sql/StoredObjectReader.h"

#include "mysql/SqlNames.h"

#include <memory>

namespace kelvanto
{

namespace
{

std::string Literal(Connection& connection, std::string_view value)
{
    std::string text = "'";
    connection.AppendEscaped(text, value);
    text += '\'';
    return text;
}

std::string Field(const RowView& row, std::size_t index)
{
    return index < row.count ? std::string(row.value(index)) : std::string();
}

// Rows of an information_schema query, each as its columns' texts.
Result<std::vector<std::vector<std::string>>> Rows(Connection& connection, const std::string& sql)
{
    if (!connection.Query(sql))
        return Error {connection.ErrorText()};
    std::unique_ptr<ResultSet> result = connection.StoreResult();
    if (!result)
        return Error {connection.ErrorText()};
    std::vector<std::vector<std::string>> rows;
    RowView row;
    while (result->FetchRow(row)) {
        std::vector<std::string> values;
        for (std::size_t i = 0; i < row.count; ++i)
            values.push_back(Field(row, i));
        rows.push_back(std::move(values));
    }
    return rows;
}

// Reads the definition of `object`; the reason when that is impossible.
Result<void> ReadDefinition(Connection& connection, const std::string& database, StoredObject& object)
{
    if (!object.characterSetClient.empty()
        && !connection.Query("SET character_set_results = " + Literal(connection, object.characterSetClient)))
        return Error {connection.ErrorText()};
    if (!connection.Query(std::string(TextsOf(object.kind).showCreate) + QuoteName(database, true) + "."
            + QuoteName(object.name, true)))
        return Error {connection.ErrorText()};
    std::unique_ptr<ResultSet> result = connection.StoreResult();
    RowView row;
    if (!result || !result->FetchRow(row))
        return Error {"no definition: " + connection.ErrorText()};
    const std::vector<FieldInfo>& fields = result->Fields();
    for (std::size_t i = 0; i < fields.size() && i < row.count; ++i) {
        if (fields[i].name != TextsOf(object.kind).definitionColumn)
            continue;
        // The server hides the body from an account that may not see it.
        if (row.isNull(i) || row.value(i).empty())
            return Error {"the account may not read its definition"};
        object.definition = std::string(row.value(i));
        return {};
    }
    return Error {"no definition"};
}

} // namespace

DatabaseObjects ReadDatabaseObjects(Connection& connection, const std::string& database, StoredObjectChoice choice)
{
    DatabaseObjects objects;
    if (!choice.any())
        return objects;
    const std::string schema = Literal(connection, database);
    // Each list in the same columns: name, kind, table, sql_mode, character set, collation, time zone.
    struct Listing
    {
        bool chosen;
        const char* what;
        std::string sql;
    };
    const Listing listings[] = {
        {choice.triggers, "triggers",
            "SELECT TRIGGER_NAME, 'TRIGGER', EVENT_OBJECT_TABLE, SQL_MODE, CHARACTER_SET_CLIENT, COLLATION_CONNECTION, "
            "''"
            " FROM information_schema.TRIGGERS WHERE TRIGGER_SCHEMA = "
                + schema + " ORDER BY EVENT_OBJECT_TABLE, ACTION_ORDER"},
        {choice.routines, "routines",
            "SELECT ROUTINE_NAME, ROUTINE_TYPE, '', SQL_MODE, CHARACTER_SET_CLIENT, COLLATION_CONNECTION, ''"
            " FROM information_schema.ROUTINES WHERE ROUTINE_SCHEMA = "
                + schema + " AND ROUTINE_TYPE IN ('FUNCTION', 'PROCEDURE') ORDER BY ROUTINE_TYPE, ROUTINE_NAME"},
        {choice.events, "events",
            "SELECT EVENT_NAME, 'EVENT', '', SQL_MODE, CHARACTER_SET_CLIENT, COLLATION_CONNECTION, TIME_ZONE"
            " FROM information_schema.EVENTS WHERE EVENT_SCHEMA = "
                + schema + " ORDER BY EVENT_NAME"},
    };
    std::vector<StoredObject> listed;
    for (const Listing& listing : listings) {
        if (!listing.chosen)
            continue;
        auto rows = Rows(connection, listing.sql);
        if (!rows) {
            objects.failures.push_back(std::string(listing.what) + ": " + rows.error());
            continue;
        }
        for (std::vector<std::string>& row : *rows) {
            if (row.size() < 7)
                continue;
            const StoredObjectKind kind = row[1] == "TRIGGER" ? StoredObjectKind::Trigger
                : row[1] == "EVENT"                           ? StoredObjectKind::Event
                : row[1] == "FUNCTION"                        ? StoredObjectKind::Function
                                                              : StoredObjectKind::Procedure;
            listed.push_back({kind, std::move(row[0]), std::move(row[2]), std::move(row[3]), std::move(row[4]),
                std::move(row[5]), std::move(row[6]), {}});
        }
    }
    if (listed.empty())
        return objects;

    // The connection's own setting, put back once the definitions are read.
    std::string savedResults;
    bool savedNull = true;
    if (connection.Query("SELECT @@character_set_results")) {
        std::unique_ptr<ResultSet> result = connection.StoreResult();
        RowView row;
        if (result && result->FetchRow(row) && row.count > 0 && !row.isNull(0)) {
            savedResults = std::string(row.value(0));
            savedNull = false;
        }
    }
    for (StoredObject& object : listed) {
        Result<void> read = ReadDefinition(connection, database, object);
        if (!read) {
            objects.failures.push_back(
                std::string(KindWord(object.kind)) + " " + database + "." + object.name + ": " + read.error());
            continue;
        }
        if (object.kind == StoredObjectKind::Trigger)
            objects.triggersByTable[object.table].push_back(std::move(object));
        else if (object.kind == StoredObjectKind::Event)
            objects.events.push_back(std::move(object));
        else
            objects.routines.push_back(std::move(object));
    }
    connection.Query(
        "SET character_set_results = " + (savedNull ? std::string("NULL") : Literal(connection, savedResults)));
    return objects;
}

} // namespace kelvanto
