#pragma once

#include "model/Task.h"
#include "mysql/Connection.h"
#include "schedule/RunContext.h"

#include <optional>

#include <cstdint>
#include <string>
#include <vector>

namespace kelvanto
{

// What opening a run's snapshot gave.
struct SnapshotStart
{
    bool opened = false;
    // "binary log <file>, position <n>[, GTID <set>]" at the snapshot, or empty when unknown.
    std::string position;
    // The same position in pieces, for the run's manifest; empty file when unknown.
    std::string binlogFile;
    std::uint64_t binlogPosition = 0;
    // One line each, for the run's log: why the position is unknown.
    std::vector<std::string> warnings;
    std::string error; // why the snapshot could not be opened
};

// Opens one consistent snapshot on `connection`, which the run then reads every table through:
// REPEATABLE READ and START TRANSACTION WITH CONSISTENT SNAPSHOT. On a server that has the
// status variables Binlog_snapshot_file / Binlog_snapshot_position (MariaDB) the position of
// the snapshot comes from them and BINLOG_GTID_POS(), without any lock. Elsewhere FLUSH TABLES
// WITH READ LOCK is held just while the snapshot opens and the position is read, when the
// account may take it (RELOAD); without it the snapshot opens alone. Nothing may end the transaction afterwards (LOCK
// TABLES, FLUSH, DDL on the connection), or the reads leave the snapshot.
SnapshotStart OpenSnapshot(Connection& connection);

// The chosen tables of `databases` whose storage engine has no transactions, as
// "database.table": the snapshot does not cover their rows.
std::vector<std::string> NonTransactionalTables(Connection& connection, const std::vector<DatabaseItem>& databases);

// The Warning line for those tables; empty when there are none.
std::string NonTransactionalWarning(const std::vector<std::string>& tables);

// The snapshot of a run that asked for one, opened on its source `connection` after its
// working list was built (and FLUSH LOGS sent): turns off the switches that would end the
// snapshot's transaction (FLUSH TABLE, with a Warning line; the per-table LOCK TABLES, which
// the snapshot replaces), opens it, and logs its position, the warnings and the tables it
// does not cover. Nullopt, with an error line, when it could not be opened.
std::optional<SnapshotStart> StartRunSnapshot(
    RunContext& context, Connection& connection, BackupSettings& settings, const std::vector<DatabaseItem>& databases);

// The line of a dump's header for the snapshot.
std::string SnapshotHeaderNote(const SnapshotStart& start);

} // namespace kelvanto
