#include "engines/run/SnapshotSession.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <set>

namespace kelvanto
{

namespace
{

// The rows of a query as name -> value of its first two columns.
std::map<std::string, std::string> Pairs(Connection& connection, const std::string& sql)
{
    std::map<std::string, std::string> pairs;
    if (!connection.Query(sql))
        return pairs;
    std::unique_ptr<ResultSet> result = connection.StoreResult();
    RowView row;
    while (result && result->FetchRow(row)) {
        if (row.count >= 2)
            pairs[std::string(row.value(0))] = std::string(row.value(1));
    }
    return pairs;
}

// The first row of a query by column name; empty when it gave none.
std::map<std::string, std::string> FirstRow(Connection& connection, const std::string& sql)
{
    std::map<std::string, std::string> values;
    if (!connection.Query(sql))
        return values;
    std::unique_ptr<ResultSet> result = connection.StoreResult();
    RowView row;
    if (!result || !result->FetchRow(row))
        return values;
    const std::vector<FieldInfo>& fields = result->Fields();
    for (std::size_t i = 0; i < fields.size() && i < row.count; ++i)
        values[fields[i].name] = std::string(row.value(i));
    return values;
}

// Whether the server tells a snapshot's binary log position by itself (MariaDB's
// Binlog_snapshot_file and Binlog_snapshot_position), so that no global lock is needed.
bool HasSnapshotPosition(Connection& connection)
{
    return !Pairs(connection, "SHOW STATUS LIKE 'Binlog_snapshot_file'").empty();
}

std::string PositionText(const std::string& file, const std::string& position, const std::string& gtid)
{
    std::string text = "binary log " + file + ", position " + position;
    if (!gtid.empty())
        text += ", GTID " + gtid;
    return text;
}

bool Begin(Connection& connection, SnapshotStart& start)
{
    if (!connection.Query("START TRANSACTION WITH CONSISTENT SNAPSHOT")) {
        start.error = "START TRANSACTION WITH CONSISTENT SNAPSHOT failed: " + connection.ErrorText();
        return false;
    }
    start.opened = true;
    return true;
}

void OpenOnMariaDb(Connection& connection, SnapshotStart& start)
{
    if (!Begin(connection, start))
        return;
    std::map<std::string, std::string> status = Pairs(connection, "SHOW STATUS LIKE 'Binlog_snapshot_%'");
    const std::string file = status["Binlog_snapshot_file"];
    const std::string position = status["Binlog_snapshot_position"];
    if (file.empty()) {
        start.warnings.emplace_back(
            "The binary log of the source server is off: the backup carries no binary log position.");
        return;
    }
    std::string gtid;
    std::string sql = "SELECT BINLOG_GTID_POS('";
    connection.AppendEscaped(sql, file);
    sql += "', ";
    sql += position.empty() ? "0" : position;
    sql += ")";
    if (connection.Query(sql)) {
        std::unique_ptr<ResultSet> result = connection.StoreResult();
        RowView row;
        if (result && result->FetchRow(row) && row.count > 0 && !row.isNull(0))
            gtid = std::string(row.value(0));
    }
    start.position = PositionText(file, position, gtid);
    start.binlogFile = file;
    start.binlogPosition = std::strtoull(position.c_str(), nullptr, 10);
}

void OpenWithGlobalLock(Connection& connection, SnapshotStart& start)
{
    // Held only while the snapshot opens and the position is read.
    const bool locked = connection.Query("FLUSH TABLES WITH READ LOCK");
    if (!locked) {
        start.warnings.push_back("The account may not take FLUSH TABLES WITH READ LOCK (RELOAD privilege): the "
                                 "snapshot opened without it and the backup carries no binary log position.");
    }
    if (!Begin(connection, start)) {
        if (locked)
            connection.Query("UNLOCK TABLES");
        return;
    }
    if (!locked)
        return;
    std::map<std::string, std::string> status = FirstRow(connection, "SHOW MASTER STATUS");
    if (status.empty())
        status = FirstRow(connection, "SHOW BINARY LOG STATUS");
    connection.Query("UNLOCK TABLES");
    if (status["File"].empty()) {
        start.warnings.emplace_back(
            "The binary log of the source server is off: the backup carries no binary log position.");
        return;
    }
    start.position = PositionText(status["File"], status["Position"], status["Executed_Gtid_Set"]);
    start.binlogFile = status["File"];
    start.binlogPosition = std::strtoull(status["Position"].c_str(), nullptr, 10);
}

} // namespace

SnapshotStart OpenSnapshot(Connection& connection)
{
    SnapshotStart start;
    if (!connection.Query("SET SESSION TRANSACTION ISOLATION LEVEL REPEATABLE READ")) {
        start.error = "SET SESSION TRANSACTION ISOLATION LEVEL REPEATABLE READ failed: " + connection.ErrorText();
        return start;
    }
    if (HasSnapshotPosition(connection))
        OpenOnMariaDb(connection, start);
    else
        OpenWithGlobalLock(connection, start);
    return start;
}

std::vector<std::string> NonTransactionalTables(Connection& connection, const std::vector<DatabaseItem>& databases)
{
    std::vector<std::string> tables;
    for (const DatabaseItem& database : databases) {
        if (database.checkState == 0)
            continue;
        std::set<std::string> chosen;
        for (const TableItem& table : database.tables) {
            if (table.checkState != 0)
                chosen.insert(table.name);
        }
        std::string sql = "SELECT t.TABLE_NAME FROM information_schema.TABLES t"
                          " LEFT JOIN information_schema.ENGINES e ON e.ENGINE = t.ENGINE"
                          " WHERE t.TABLE_TYPE = 'BASE TABLE' AND (e.TRANSACTIONS IS NULL OR e.TRANSACTIONS <> 'YES')"
                          " AND t.TABLE_SCHEMA = '";
        connection.AppendEscaped(sql, database.name);
        sql += "' ORDER BY t.TABLE_NAME";
        if (!connection.Query(sql))
            continue;
        std::unique_ptr<ResultSet> result = connection.StoreResult();
        RowView row;
        while (result && result->FetchRow(row)) {
            if (row.count > 0 && chosen.count(std::string(row.value(0))) > 0)
                tables.push_back(database.name + "." + std::string(row.value(0)));
        }
    }
    return tables;
}

std::string NonTransactionalWarning(const std::vector<std::string>& tables)
{
    if (tables.empty())
        return {};
    std::string line = "These tables are not transactional, so the snapshot does not cover them: ";
    for (std::size_t i = 0; i < tables.size(); ++i) {
        if (i > 0)
            line += ", ";
        line += tables[i];
    }
    return line;
}

std::optional<SnapshotStart> StartRunSnapshot(
    RunContext& context, Connection& connection, BackupSettings& settings, const std::vector<DatabaseItem>& databases)
{
    if (settings.flushTables == 1) {
        context.Log(LogLevel::Warning, "FLUSH TABLE is not sent: it would end the consistent snapshot.");
        settings.flushTables = 0;
    }
    settings.lockTables = 0;
    SnapshotStart start = OpenSnapshot(connection);
    for (const std::string& warning : start.warnings)
        context.Log(LogLevel::Warning, warning);
    if (!start.opened) {
        context.Log(LogLevel::Error, "Failed to open a consistent snapshot of the source server! - " + start.error);
        return std::nullopt;
    }
    context.Log(LogLevel::General,
        "Opened a consistent snapshot of the source server"
            + (start.position.empty() ? std::string() : " at " + start.position));
    const std::string uncovered = NonTransactionalWarning(NonTransactionalTables(connection, databases));
    if (!uncovered.empty())
        context.Log(LogLevel::Warning, uncovered);
    return start;
}

std::string SnapshotHeaderNote(const SnapshotStart& start)
{
    return start.position.empty() ? std::string("Consistent snapshot; binary log position unknown")
                                  : "Consistent snapshot at " + start.position;
}

} // namespace kelvanto
