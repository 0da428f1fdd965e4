#pragma once

#include "model/Task.h"
#include "mysql/Connection.h"
#include "schedule/RunContext.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvanto
{

// Every connection of a run is opened here: with the time-outs of the run's task
// (RunTimeouts of its type and extras) and an attempt that a stop of the run ends at once (its
// abort is registered with the context while it lasts). *stopped, when given, tells whether
// a stop ended a failed attempt (the run is then cancelled, not failed).
ConnectResult ConnectForRun(
    RunContext& context, const Connector& connector, const ServerConnection& settings, bool* stopped = nullptr);

// The run's time-outs without an abort: for a connection that must be made even after a stop
// (one that undoes what the run created).
ConnectControl RunConnectControl(RunContext& context);

// An engine's connection as it was opened: the connection, or none when the attempt failed
// (its failure line written) or a stop ended it (no line: the runner writes the stop's).
struct OpenedConnection
{
    std::unique_ptr<Connection> connection;
    bool stopped = false;
};

// Writes "Connecting to the <role> MySQL server (<host>)... " and connects through
// ConnectForRun; on failure writes "<failureHead>  Error NO. <n>  <text>" (failureHead as
// "Failed to connect to the MySQL server!").
OpenedConnection OpenRunConnection(RunContext& context, const Connector& connector, const ServerConnection& settings,
    std::string_view role, std::string_view failureHead);

// The one MySQL connection of an engine's run, registered with the run context while it is
// open so that a stop which is not honoured in time breaks a long statement. Closed when
// the object goes away, on every path out of the run.
class RunConnection
{
public:
    explicit RunConnection(RunContext& context);
    ~RunConnection() { Close(); }
    RunConnection(const RunConnection&) = delete;
    RunConnection& operator=(const RunConnection&) = delete;

    // Writes "Connecting to the <role> MySQL server (<host>)... " and connects; on failure
    // writes "Failed to connect to the MySQL server!  Error NO. <n>  <text>" and returns false
    // (OpenOutcome() then says whether the run failed or a stop ended the attempt).
    bool Open(const Connector& connector, const ServerConnection& settings, std::string_view role);
    RunOutcome OpenOutcome() const { return m_stoppedWhileOpening ? RunOutcome::Cancelled : RunOutcome::Failed; }
    // Writes "Successfully connected to the MySQL server!  MySQL version: <server info>".
    void LogConnected();
    // Sends one statement and reads away all of its results; true when the server accepted
    // it and every result came back.
    bool Execute(std::string_view statement);
    // Makes `name` the session's current database; false when the server refused it.
    bool SelectDatabase(std::string_view name);
    // The session's status bits after the last statement (see ServerStatus).
    unsigned ServerStatusBits() const;
    // The connection's character set, and setting it as mysql_set_character_set does.
    std::string CharacterSetName() const;
    bool SetCharacterSet(std::string_view name);
    // Lets one statement text hold several statements, as the stock client does.
    bool SetMultiStatements(bool on);
    // The longest statement text the server takes (from its max_allowed_packet), with one
    // ';' of a stored statement on top; nothing when the server does not say.
    std::optional<std::size_t> LongestStatement();
    // The cause of the last failure, "  Error NO. <n>  <text>"; empty when there is none.
    std::string ErrorCause() const;
    // The server's error number for the last statement that failed (0 when none is open).
    unsigned ErrorNumber() const;
    // The first column of every row of a query's result; empty when the query failed.
    std::vector<std::string> FirstColumn(std::string_view sql);
    // Appends `value` escaped for a quoted string literal of this connection.
    void AppendEscaped(std::string& out, std::string_view value);
    void Close();

private:
    RunContext& m_context;
    // Declared before the registration so that the registration ends first.
    std::unique_ptr<Connection> m_connection;
    std::optional<CancellableRegistration> m_registration;
    bool m_stoppedWhileOpening = false;
};

// The text a worker sends for a stored statement that is not empty: the statement without
// one trailing ';' (";" alone is sent as an empty query, which the server refuses).
std::string_view StatementToSend(std::string_view statement);

} // namespace kelvanto
