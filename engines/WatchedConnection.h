#pragma once

#include "mysql/Connection.h"
#include "schedule/RunContext.h"

#include <memory>
#include <string>

namespace kelvanto
{

// Client errors that mean the connection to the server is gone (2002, 2003, 2006, 2013,
// 2026, 2055), as opposed to a statement the server refused.
bool IsConnectionLoss(unsigned errorNumber);

// The cause that a failure line of a statement carries: "  Error NO. <n>  <text>" from the
// connection's last error; empty when the connection reports none.
std::string ServerErrorCause(const Connection& connection);

// A failure line about a statement or a name, "<head><subject><cause>", that keeps the cause
// within the log's record: a long subject is shortened (at a character boundary, marked
// with "...") rather than the cause cut off.
std::string LineWithCause(std::string_view head, std::string_view subject, std::string_view cause);

// A connection of a run that notices when it is lost. After any call that failed with a
// loss error it writes "Lost the connection to the MySQL server!  Error NO. <n>  <text>"
// (once per run) and marks the run's connection lost, so that the engine leaves at its next
// cancellation check and the run fails instead of going on through the remaining objects.
// A failure while a stop of the run is under way is the stop's doing (the runner broke the
// query or the connection: 1317, 1927, 2013) and is left to the stop.
class WatchedConnection final : public Connection
{
public:
    WatchedConnection(RunContext& context, std::unique_ptr<Connection> inner);

    bool Query(std::string_view sql) override;
    bool SendQuery(std::string_view sql) override;
    bool ReadQueryResult() override;
    bool DiscardResults() override;
    std::unique_ptr<ResultSet> StoreResult() override;
    std::unique_ptr<ResultSet> UseResult() override;
    std::unique_ptr<ResultSet> ListFields(std::string_view table) override;
    std::optional<std::vector<std::string>> ListDatabases() override;
    std::optional<std::vector<std::string>> ListTables() override;
    bool SelectDatabase(std::string_view name) override;
    unsigned ServerStatusBits() const override;
    std::string CharacterSetName() const override;
    bool SetCharacterSet(std::string_view name) override;
    bool SetMultiStatements(bool on) override;
    void AppendEscaped(std::string& out, std::string_view value) override;
    unsigned long ServerVersion() const override;
    std::string ServerInfo() const override;
    unsigned ErrorNumber() const override;
    std::string ErrorText() const override;
    void Cancel() noexcept override;

    // Looks at the last error after a call failed; the result sets call it too.
    void CheckLoss();

private:
    bool Checked(bool succeeded);
    std::unique_ptr<ResultSet> Watched(std::unique_ptr<ResultSet> result);

    RunContext& m_context;
    std::unique_ptr<Connection> m_inner;
};

// The connector that an engine's run opens its connections with: each connection the given
// connector opens comes back watched for loss in this run's context.
Connector WatchConnections(RunContext& context, Connector connector);

} // namespace kelvanto
