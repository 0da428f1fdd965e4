#include "engines/ServerCopyRecords.h"

#include "engines/BackupToFilesRecords.h"
#include "engines/ColumnSelection.h"
#include "engines/RowValues.h"

#include <cstdint>
#include <memory>

namespace kelvanto
{

ServerCopyRecords::ServerCopyRecords(RunContext& context, Connection& source, Connection& destination,
    const BackupSettings& settings, const ServerCopySwitches& switches, const ServerCopyMember& member,
    std::optional<std::size_t> statementLimit)
    : m_context(context)
    , m_source(source)
    , m_destination(destination)
    , m_settings(settings)
    , m_switches(switches)
    , m_member(member)
    , m_statementLimit(statementLimit)
    , m_insertSettings(settings)
    , m_statement(statementLimit.value_or(BackupToFilesRecords::kMaxStatementBytes))
{
    m_insertSettings.allowKeywordColumns = switches.columnQuoting ? 1 : 0;
}

bool ServerCopyRecords::Send(std::string_view statement)
{
    if (m_statementLimit && statement.size() > *m_statementLimit) {
        m_oversized = statement.size();
        return false;
    }
    return m_destination.Query(statement);
}

bool ServerCopyRecords::Failed(const std::string& line)
{
    if (m_context.QuitRequested())
        return false;
    m_context.Log(LogLevel::Error, line);
    return true;
}

bool ServerCopyRecords::Copy(const std::string& name, const std::string& quoted, bool& sourceLocked)
{
    const ColumnSelection selection = ReadColumnSelection(m_source, name, m_switches.source);
    if (!m_source.Query("SELECT " + selection.SelectList() + " FROM " + quoted))
        return Failed("Failed to get all records of the table " + name + " !");
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
    const auto send = [this](std::string_view statement) { return Send(statement); };
    m_statement.Start(BackupToFilesRecords::StatementPrefix(m_insertSettings, quoted, fields, selection.byName));
    m_oversized = 0;
    std::uint64_t singleRows = 0;
    std::string failure;
    std::string renderError;
    RowView row;
    while (result->FetchRow(row)) {
        if (!multiRow)
            m_statement.DropRows();
        const std::size_t rowStart = m_statement.text().size();
        if (!RenderRowValues(row, fields, m_source, m_statement.text(), &renderError)) {
            failure = "Failed to copy the records of the table " + name + "! - " + renderError;
            break;
        }
        if (!multiRow) {
            if (!Send(m_statement.text())) {
                failure = "Failed to insert a record to the table " + name + "!";
                break;
            }
            ++singleRows;
        } else if (!m_statement.RowAdded(rowStart, send)) {
            failure = "Failed to insert multi-rows records to the table " + name + "!";
            break;
        }
        if (m_context.QuitRequested())
            return false;
    }
    // The end of the rows and a broken read look alike; only the connection tells them apart.
    if (failure.empty() && m_source.ErrorNumber() != 0) {
        failure = "Failed to read the records of the table " + name + "!  Error NO. "
            + std::to_string(m_source.ErrorNumber()) + "  " + m_source.ErrorText();
    }
    result.reset();
    if (failure.empty() && multiRow && m_statement.pendingRows() > 0) {
        if (Send(m_statement.Pending()))
            m_statement.PendingSent();
        else
            failure = "Failed to insert multi-row records to the table " + name + "!";
    }
    if (!failure.empty()) {
        if (!Failed(failure))
            return false;
        if (m_oversized > 0) {
            m_context.Log(LogLevel::Error,
                "The statement of " + std::to_string(m_oversized) + " bytes for the table " + name
                    + " is longer than the destination server accepts (max_allowed_packet)!");
        }
    }

    Close(quoted, sourceLocked);
    m_context.Log(LogLevel::General, m_member.RowsDoneLine(multiRow ? m_statement.rowsSent() : singleRows));
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
