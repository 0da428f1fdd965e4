#pragma once

#include "engines/backup/DumpWriter.h"
#include "engines/sql/ColumnSelection.h"
#include "engines/sql/MultiRowStatement.h"
#include "engines/sql/RowTally.h"
#include "model/Task.h"
#include "mysql/Connection.h"
#include "mysql/ServerFeatures.h"
#include "schedule/RunContext.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelvanto
{

// The records part of one table of a dump: streams the rows with one unbuffered SELECT
// and appends them as single-row or multi-row INSERT (or REPLACE) statements, surrounded by
// the DISABLE KEYS, LOCK TABLES and AUTOCOMMIT lines that the options ask for.
class BackupToFilesRecords
{
public:
    // The longest statement, its ";" included, that a server whose max_allowed_packet is
    // 4 MiB (the smallest default of the servers in use) accepts.
    static constexpr std::size_t kMaxStatementBytes = MultiRowStatement::LongestStatementFor(4 * 1024 * 1024);

    // `maxInsertBytes`: 0 for ten rows per multi-row statement, else the longest statement
    // that the user wants in the file (the rows that fit, however many).
    BackupToFilesRecords(RunContext& context, Connection& connection, DumpWriter& writer,
        const BackupSettings& settings, const ServerFeatures& features, std::int64_t maxInsertBytes);

    // Writes the records of table `name` (`quoted` as statements carry it) into `file`.
    // Failures are logged and end the table; returns false only on a stop request.
    // `progress` names the table and holds the server's row estimate; the rows done are
    // reported through the run context as they are written.
    bool Write(const std::string& file, const std::string& name, const std::string& quoted, RunProgress progress);
    // The row count and content checksum of the rows that the last Write rendered.
    const RowTally& lastTable() const { return m_tally; }

    // "INSERT ... INTO <table>[(columns)] VALUES " as the options ask for. A table read by
    // name always gets its column list, backquoted unless complete INSERTs say otherwise.
    static std::string StatementPrefix(const BackupSettings& settings, const std::string& quoted,
        const std::vector<FieldInfo>& fields, bool byName = false);

private:
    // Ends the rows gathered in the sink; false (logged with the rows' line) when they
    // could not be written.
    bool RowsWritten(const std::string& file);

    RunContext& m_context;
    Connection& m_connection;
    DumpWriter& m_writer;
    const BackupSettings& m_settings;
    ServerFeatures m_features;
    std::int64_t m_maxInsertBytes;
    // Reused for every statement of the run; the ";" that the writer adds counts too.
    MultiRowStatement m_statement;
    RowTally m_tally;
};

} // namespace kelvanto
