#pragma once

#include "model/ConnectionTimeouts.h"
#include "mysql/Connection.h"
#include "schedule/RunContext.h"

#include <chrono>
#include <cstdint>
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
// (once per run; " (timed out after N s)" follows when the call lasted the read or write
// time-out, which the library reports as a loss) and marks the run's connection lost, so
// that the engine leaves at its next cancellation check and the run fails instead of going
// on through the remaining objects. A statement that waited the session's whole
// lock_wait_timeout for a lock (error 1205) ends the run the same way, with "Waited too long
// for a lock on the MySQL server (lock_wait_timeout N s)!  Error NO. 1205  <text>".
// A failure while a stop of the run is under way is the stop's doing (the runner broke the
// query or the connection: 1317, 1927, 2013) and is left to the stop.
class WatchedConnection final : public Connection
{
public:
    // `timeouts`: those the connection was opened with, to tell a time-out from a loss.
    WatchedConnection(RunContext& context, std::unique_ptr<Connection> inner, const ConnectionTimeouts& timeouts = {});

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

    // Notes when a call to the server begins, and looks at the last error after it failed;
    // the result sets call them too.
    void BeginCall();
    void CheckFailure();

private:
    bool Checked(bool succeeded);
    std::unique_ptr<ResultSet> Watched(std::unique_ptr<ResultSet> result);
    // Whether the call that failed lasted at least `seconds` (never when it is 0).
    bool LastedAtLeast(std::int32_t seconds) const;
    std::string TimedOutNote() const;

    RunContext& m_context;
    std::unique_ptr<Connection> m_inner;
    const ConnectionTimeouts m_timeouts;
    const bool m_timed; // some time-out is set: the calls are timed
    std::chrono::steady_clock::time_point m_callStarted;
};

// The connector that an engine's run opens its connections with: each connection the given
// connector opens comes back watched for loss in this run's context.
Connector WatchConnections(RunContext& context, Connector connector);

} // namespace kelvanto
