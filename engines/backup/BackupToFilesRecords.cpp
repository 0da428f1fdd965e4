#include "engines/backup/BackupToFilesRecords.h"

#include "engines/run/WatchedConnection.h"
#include "engines/sql/RowValues.h"
#include "mysql/SqlNames.h"

#include <cstdint>
#include <memory>

namespace kelvanto
{

namespace
{

// Ten rows within what the smallest packet takes, or every row that fits in a statement that
// a server whose max_allowed_packet is the user's size takes; the ";" that the writer adds
// counts too.
MultiRowStatement FileStatement(std::int64_t maxInsertBytes)
{
    if (maxInsertBytes <= 0)
        return MultiRowStatement(BackupToFilesRecords::kMaxStatementBytes - 1);
    const std::size_t longest = MultiRowStatement::LongestStatementFor(static_cast<std::size_t>(maxInsertBytes));
    return MultiRowStatement(longest > 0 ? longest - 1 : 0, MultiRowStatement::kAsManyAsFit);
}

} // namespace

BackupToFilesRecords::BackupToFilesRecords(RunContext& context, Connection& connection, DumpWriter& writer,
    const BackupSettings& settings, const ServerFeatures& features, std::int64_t maxInsertBytes)
    : m_context(context)
    , m_connection(connection)
    , m_writer(writer)
    , m_settings(settings)
    , m_features(features)
    , m_maxInsertBytes(maxInsertBytes)
    , m_statement(FileStatement(maxInsertBytes))
{ }

std::string BackupToFilesRecords::StatementPrefix(
    const BackupSettings& settings, const std::string& quoted, const std::vector<FieldInfo>& fields, bool byName)
{
    std::string prefix = settings.useReplace == 1 ? "REPLACE" : "INSERT";
    if (settings.insertDelayed == 1)
        prefix += " DELAYED";
    if (settings.insertIgnore == 1)
        prefix += " IGNORE";
    prefix += " INTO ";
    prefix += quoted;
    const bool completeInsert = settings.completeInsert == 1;
    if (completeInsert || byName) {
        // Column names follow their own option, not the name quoting of the run.
        const bool backquote = settings.allowKeywordColumns == 1 || !completeInsert;
        prefix += '(';
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i > 0)
                prefix += ',';
            prefix += QuoteName(fields[i].name, backquote);
        }
        prefix += ')';
    }
    prefix += " VALUES ";
    return prefix;
}

bool BackupToFilesRecords::RowsWritten(const std::string& file)
{
    if (m_writer.Flush())
        return true;
    m_context.Log(LogLevel::Error,
        (m_settings.multiRowInsert == 1 ? "Failed to write multi-rows records to the backup file! - "
                                        : "Failed to write a record to the backup file! - ")
            + file + m_writer.FailureCause());
    return false;
}

bool BackupToFilesRecords::Write(
    const std::string& file, const std::string& name, const std::string& quoted, RunProgress progress)
{
    const auto logError = [this](const std::string& text) { m_context.Log(LogLevel::Error, text); };
    m_tally.Reset();

    const ColumnSelection selection = ReadColumnSelection(m_connection, name, m_features);
    if (!m_connection.Query("SELECT " + selection.SelectList() + " FROM " + quoted)) {
        // A stop that outlasted the runner's patience cancels the query: that is the
        // stop, not a table that cannot be read.
        if (m_context.QuitRequested())
            return false;
        logError("Failed to get all records of the table " + name + " !" + ServerErrorCause(m_connection));
        return true;
    }
    if (m_context.QuitRequested())
        return false;
    std::unique_ptr<ResultSet> result = m_connection.UseResult();
    if (!result) {
        logError("There are not any records in the table " + name);
        return true;
    }
    if (m_context.QuitRequested())
        return false;

    if (m_settings.disableKeys == 1 && !m_writer.AppendStatement(file, "ALTER TABLE " + quoted + " DISABLE KEYS")) {
        logError("Failed to write DISABLE KEYS to the backup file! - " + file + m_writer.FailureCause());
        return true;
    }
    if (m_settings.addLockTables == 1 && !m_writer.AppendStatement(file, "LOCK TABLES " + quoted + " WRITE")) {
        logError("Failed to write LOCK TABLES to the backup file! - " + file + m_writer.FailureCause());
        return true;
    }
    if (m_settings.addAutocommit == 1 && !m_writer.AppendStatement(file, "SET AUTOCOMMIT=0;")) {
        logError("Failed to write SET AUTOCOMMIT to the backup file! - " + file + m_writer.FailureCause());
        return true;
    }

    // The rows are gathered in the sink and written a buffer at a time; every failure among
    // them is a row's failure, reported with the rows' line wherever it shows.
    const std::vector<FieldInfo>& fields = result->Fields();
    const std::string prefix = StatementPrefix(m_settings, quoted, fields, selection.byName);
    const bool multiRow = m_settings.multiRowInsert == 1;
    const auto gather = [this, &file](std::string_view statement) { return m_writer.GatherStatement(file, statement); };
    std::uint64_t records = 0;
    std::string renderError;
    m_statement.Start(prefix);
    RowView row;
    while (result->FetchRow(row)) {
        if (!multiRow)
            m_statement.DropRows();
        const std::size_t rowStart = m_statement.text().size();
        if (!RenderRowValues(row, fields, m_connection, m_statement.text(), &renderError)) {
            if (RowsWritten(file))
                logError("Failed to back up the records of the table " + name + "! - " + renderError);
            return true;
        }
        m_tally.Add(std::string_view(m_statement.text()).substr(rowStart));
        if (!multiRow) {
            if (!gather(m_statement.text())) {
                logError("Failed to write a record to the backup file! - " + file + m_writer.FailureCause());
                return true;
            }
        } else if (!m_statement.RowAdded(rowStart, gather)) {
            logError("Failed to write multi-rows records to the backup file! - " + file + m_writer.FailureCause());
            return true;
        }
        ++records;
        progress.rowsDone = records;
        m_context.ReportProgress(progress);
        if (m_context.QuitRequested()) {
            RowsWritten(file);
            return false;
        }
    }
    if (!RowsWritten(file))
        return true;
    if (multiRow && m_maxInsertBytes > 0 && m_statement.firstOversized() > 0)
        m_context.Log(LogLevel::Warning, OversizedRowsLine(name, m_maxInsertBytes, m_statement.firstOversized() + 1));
    // The end of the rows and a broken read look alike; only the connection tells them
    // apart. A table cut short must not be reported as backed up.
    if (m_context.QuitRequested())
        return false;
    if (m_connection.ErrorNumber() != 0) {
        logError("Failed to read the records of the table " + name + "!  Error NO. "
            + std::to_string(m_connection.ErrorNumber()) + "  " + m_connection.ErrorText());
        return true;
    }
    result.reset();

    if (multiRow && m_statement.pendingRows() > 0) {
        if (!m_writer.AppendStatement(file, m_statement.Pending())) {
            logError("Failed to write multi-row records to the backup file! - " + file + m_writer.FailureCause());
            return true;
        }
        m_statement.PendingSent();
    }

    if (m_settings.lockTables == 1)
        m_connection.Query("UNLOCK TABLES");
    if (m_settings.addLockTables == 1 && !m_writer.AppendStatement(file, "UNLOCK TABLES")) {
        logError("Failed to write UNLOCK TABLES to the backup file! - " + file + m_writer.FailureCause());
        return true;
    }
    if (m_settings.disableKeys == 1 && !m_writer.AppendStatement(file, "ALTER TABLE " + quoted + " ENABLE KEYS")) {
        logError("Failed to write ENABLE KEYS to the backup file! - " + file + m_writer.FailureCause());
        return true;
    }
    if (m_settings.addAutocommit == 1 && !m_writer.AppendStatement(file, "COMMIT")) {
        logError("Failed to write COMMIT to the backup file! - " + file + m_writer.FailureCause());
        return true;
    }
    m_context.Log(LogLevel::General, "Backup the records from the table OK - " + std::to_string(records) + " records");
    return !m_context.QuitRequested();
}

} // namespace kelvanto
