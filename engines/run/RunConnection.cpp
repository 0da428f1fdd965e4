#include "engines/run/RunConnection.h"

#include "engines/run/WatchedConnection.h"
#include "engines/sql/MultiRowStatement.h"
#include "model/ConnectionTimeouts.h"
#include "mysql/ConnectAbort.h"
#include "mysql/ServerProbes.h"

#include <utility>
#include <variant>

namespace kelvanto
{

ConnectControl RunConnectControl(RunContext& context)
{
    const Task task = context.TaskCopy();
    return ConnectControl {RunTimeouts(task.type, task.extras.timeouts), nullptr};
}

ConnectResult ConnectForRun(
    RunContext& context, const Connector& connector, const ServerConnection& settings, bool* stopped)
{
    ConnectAbort abort;
    ConnectControl control = RunConnectControl(context);
    control.abort = &abort;
    ConnectResult result;
    {
        const CancellableRegistration registration(context, abort);
        result = connector(settings, control);
    }
    if (stopped)
        *stopped = abort.Cancelled() && std::holds_alternative<ConnectError>(result);
    return result;
}

OpenedConnection OpenRunConnection(RunContext& context, const Connector& connector, const ServerConnection& settings,
    std::string_view role, std::string_view failureHead)
{
    context.Log(
        LogLevel::General, "Connecting to the " + std::string(role) + " MySQL server (" + settings.host + ")... ");
    OpenedConnection opened;
    ConnectResult result = ConnectForRun(context, connector, settings, &opened.stopped);
    if (auto* connection = std::get_if<std::unique_ptr<Connection>>(&result))
        opened.connection = std::move(*connection);
    if (!opened.connection && !opened.stopped) {
        const ConnectError* error = std::get_if<ConnectError>(&result);
        context.Log(LogLevel::Error,
            std::string(failureHead) + "  Error NO. " + std::to_string(error ? error->number : 0) + "  "
                + (error ? error->text : std::string()));
    }
    return opened;
}

RunConnection::RunConnection(RunContext& context)
    : m_context(context)
{ }

bool RunConnection::Open(const Connector& connector, const ServerConnection& settings, std::string_view role)
{
    Close();
    OpenedConnection opened
        = OpenRunConnection(m_context, connector, settings, role, "Failed to connect to the MySQL server!");
    m_stoppedWhileOpening = opened.stopped;
    m_connection = std::move(opened.connection);
    if (!m_connection)
        return false;
    m_registration.emplace(m_context, *m_connection);
    return true;
}

void RunConnection::LogConnected()
{
    m_context.Log(
        LogLevel::General, "Successfully connected to the MySQL server!  MySQL version: " + m_connection->ServerInfo());
}

bool RunConnection::Execute(std::string_view statement)
{
    return m_connection->Query(statement) && m_connection->DiscardResults();
}

bool RunConnection::SelectDatabase(std::string_view name)
{
    return m_connection && m_connection->SelectDatabase(name);
}

unsigned RunConnection::ServerStatusBits() const
{
    return m_connection ? m_connection->ServerStatusBits() : 0;
}

std::string RunConnection::CharacterSetName() const
{
    return m_connection ? m_connection->CharacterSetName() : std::string();
}

bool RunConnection::SetCharacterSet(std::string_view name)
{
    return m_connection && m_connection->SetCharacterSet(name);
}

bool RunConnection::SetMultiStatements(bool on)
{
    return m_connection && m_connection->SetMultiStatements(on);
}

std::optional<std::size_t> RunConnection::LongestStatement()
{
    const std::optional<std::size_t> packet = QueryNumber(*m_connection, "SELECT @@max_allowed_packet");
    if (!packet)
        return std::nullopt;
    return MultiRowStatement::LongestStatementFor(*packet) + 1;
}

std::string RunConnection::ErrorCause() const
{
    return m_connection ? ServerErrorCause(*m_connection) : std::string();
}

unsigned RunConnection::ErrorNumber() const
{
    return m_connection ? m_connection->ErrorNumber() : 0;
}

std::vector<std::string> RunConnection::FirstColumn(std::string_view sql)
{
    std::vector<std::string> values;
    if (!m_connection || !m_connection->Query(sql))
        return values;
    const std::unique_ptr<ResultSet> result = m_connection->StoreResult();
    RowView row;
    while (result && result->FetchRow(row)) {
        if (row.count > 0 && !row.isNull(0))
            values.emplace_back(row.value(0));
    }
    return values;
}

void RunConnection::AppendEscaped(std::string& out, std::string_view value)
{
    if (m_connection)
        m_connection->AppendEscaped(out, value);
}

void RunConnection::Close()
{
    m_registration.reset();
    m_connection.reset();
}

std::string_view StatementToSend(std::string_view statement)
{
    if (!statement.empty() && statement.back() == ';')
        statement.remove_suffix(1);
    return statement;
}

} // namespace kelvanto
