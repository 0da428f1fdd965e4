#include "engines/copy/ServerCopyRecords.h"

#include "engines/backup/BackupToFilesRecords.h"
#include "engines/run/WatchedConnection.h"
#include "engines/sql/ColumnSelection.h"
#include "engines/sql/RowValues.h"

#include <algorithm>
#include <cstdint>
#include <memory>

namespace kelvanto
{

namespace
{

// Ten rows within what the destination takes (within what the smallest packet takes when that
// is not known), or every row that fits in the user's size, never above what the destination takes.
MultiRowStatement CopyStatement(std::optional<std::size_t> statementLimit, std::int64_t maxInsertBytes)
{
    if (maxInsertBytes <= 0)
        return MultiRowStatement(statementLimit.value_or(BackupToFilesRecords::kMaxStatementBytes));
    const auto chosen = static_cast<std::size_t>(maxInsertBytes);
    return MultiRowStatement(
        statementLimit ? std::min(chosen, *statementLimit) : chosen, MultiRowStatement::kAsManyAsFit);
}

} // namespace

ServerCopyRecords::ServerCopyRecords(RunContext& context, Connection& source, Connection& destination,
    const BackupSettings& settings, const ServerCopySwitches& switches, const ServerCopyMember& member,
    std::optional<std::size_t> statementLimit, std::int64_t maxInsertBytes)
    : m_context(context)
    , m_source(source)
    , m_destination(destination)
    , m_settings(settings)
    , m_switches(switches)
    , m_member(member)
    , m_statementLimit(statementLimit)
    , m_maxInsertBytes(maxInsertBytes)
    , m_insertSettings(settings)
    , m_statement(CopyStatement(statementLimit, maxInsertBytes))
{
    m_insertSettings.allowKeywordColumns = switches.columnQuoting ? 1 : 0;
}

bool ServerCopyRecords::Collect()
{
    if (!m_awaiting)
        return true;
    m_awaiting = false;
    if (m_destination.ReadQueryResult()) {
        m_rowsAccepted += m_awaitingRows;
        return true;
    }
    if (m_failure.empty())
        m_failure = m_awaitingFailure + ServerErrorCause(m_destination);
    return false;
}

bool ServerCopyRecords::Send(std::string_view statement, std::uint64_t rows, const std::string& failureLine)
{
    if (!Collect())
        return false;
    if (m_statementLimit && statement.size() > *m_statementLimit) {
        m_oversized = statement.size();
        m_failure = failureLine;
        return false;
    }
    if (!m_destination.SendQuery(statement)) {
        m_failure = failureLine + ServerErrorCause(m_destination);
        return false;
    }
    m_awaiting = true;
    m_awaitingRows = rows;
    m_awaitingFailure = failureLine;
    return true;
}

bool ServerCopyRecords::Failed(const std::string& line)
{
    if (m_context.QuitRequested())
        return false;
    m_context.Log(LogLevel::Error, line);
    return true;
}

bool ServerCopyRecords::Copy(
    const std::string& name, const std::string& quoted, bool& sourceLocked, RunProgress progress)
{
    const ColumnSelection selection = ReadColumnSelection(m_source, name, m_switches.source);
    if (!m_source.Query("SELECT " + selection.SelectList() + " FROM " + quoted))
        return Failed("Failed to get all records of the table " + name + " !" + ServerErrorCause(m_source));
    if (m_context.QuitRequested())
        return false;
    std::unique_ptr<ResultSet> result = m_source.UseResult();
    if (!result)
        return Failed(m_member.NoResultLine(name));
    if (m_context.QuitRequested())
        return false;

    if (m_switches.keyDisabling)
        m_destination.Query("ALTER TABLE " + quoted + " DISABLE KEYS");
    if (m_settings.addLockTables == 1)
        m_destination.Query("LOCK TABLES " + quoted + " WRITE");
    if (m_settings.addAutocommit == 1)
        m_destination.Query("SET AUTOCOMMIT=0");

    const std::vector<FieldInfo>& fields = result->Fields();
    const bool multiRow = m_settings.multiRowInsert == 1;
    const std::string singleRowFailure = "Failed to insert a record to the table " + name + "!";
    const std::string multiRowFailure = "Failed to insert multi-rows records to the table " + name + "!";
    const auto sendBatch = [&](std::string_view statement) {
        return Send(statement, static_cast<std::uint64_t>(m_statement.pendingRows()), multiRowFailure);
    };
    m_statement.Start(BackupToFilesRecords::StatementPrefix(m_insertSettings, quoted, fields, selection.byName));
    m_rowsAccepted = 0;
    m_failure.clear();
    m_oversized = 0;
    std::string renderError;
    RowView row;
    while (result->FetchRow(row)) {
        if (!multiRow)
            m_statement.DropRows();
        const std::size_t rowStart = m_statement.text().size();
        if (!RenderRowValues(row, fields, m_source, m_statement.text(), &renderError)) {
            m_failure = "Failed to copy the records of the table " + name + "! - " + renderError;
            break;
        }
        const bool sent
            = multiRow ? m_statement.RowAdded(rowStart, sendBatch) : Send(m_statement.text(), 1, singleRowFailure);
        if (!sent)
            break;
        ++progress.rowsDone;
        m_context.ReportProgress(progress);
        if (m_context.QuitRequested())
            return false;
    }
    // The end of the rows and a broken read look alike; only the connection tells them apart.
    if (m_failure.empty() && m_source.ErrorNumber() != 0) {
        m_failure = "Failed to read the records of the table " + name + "!" + ServerErrorCause(m_source);
    }
    result.reset();
    // A row longer than the user's size went alone (one that the destination refuses is an error below).
    const std::size_t oversized = m_statement.firstOversized();
    if (multiRow && m_maxInsertBytes > 0 && oversized > 0 && (!m_statementLimit || oversized <= *m_statementLimit))
        m_context.Log(LogLevel::Warning, OversizedRowsLine(name, m_maxInsertBytes, oversized));
    if (m_failure.empty() && multiRow && m_statement.pendingRows() > 0
        && Send(m_statement.Pending(), static_cast<std::uint64_t>(m_statement.pendingRows()),
            "Failed to insert multi-row records to the table " + name + "!"))
        m_statement.PendingSent();
    // Nothing else goes to the destination before the answer to the last statement.
    Collect();
    if (!m_failure.empty()) {
        // A stop broke the copy: the stop says so. A lost connection still tells how far
        // the rows came.
        if (m_context.QuitRequested() && !m_context.ConnectionLost())
            return false;
        m_context.Log(LogLevel::Error, m_failure);
        if (m_oversized > 0) {
            m_context.Log(LogLevel::Error,
                "The statement of " + std::to_string(m_oversized) + " bytes for the table " + name
                    + " is longer than the destination server accepts (max_allowed_packet)!");
        }
        m_context.Log(LogLevel::Error, m_member.RowsStoppedLine(name, m_rowsAccepted));
        if (m_context.ConnectionLost())
            return false;
    }

    Close(quoted, sourceLocked);
    if (m_failure.empty())
        m_context.Log(LogLevel::General, m_member.RowsDoneLine(m_rowsAccepted));
    return !m_context.QuitRequested();
}

void ServerCopyRecords::Close(const std::string& quoted, bool& sourceLocked)
{
    if (sourceLocked) {
        m_source.Query("UNLOCK TABLES");
        sourceLocked = false;
    }
    if (m_settings.addLockTables == 1)
        m_destination.Query("UNLOCK TABLES");
    if (m_switches.keyDisabling)
        m_destination.Query("ALTER TABLE " + quoted + " ENABLE KEYS");
    if (m_settings.addAutocommit == 1)
        m_destination.Query("COMMIT");
}

} // namespace kelvanto
