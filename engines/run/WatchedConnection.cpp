#include "engines/run/WatchedConnection.h"

#include "schedule/LogRecord.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <utility>
#include <variant>

namespace kelvanto
{

namespace
{

// A result set whose read errors are looked at by its connection.
class WatchedResultSet final : public ResultSet
{
public:
    WatchedResultSet(WatchedConnection& owner, std::unique_ptr<ResultSet> inner)
        : m_owner(owner)
        , m_inner(std::move(inner))
    { }

    const std::vector<FieldInfo>& Fields() const override { return m_inner->Fields(); }
    bool FetchRow(RowView& row) override
    {
        m_owner.BeginCall();
        if (m_inner->FetchRow(row))
            return true;
        // The end of the rows leaves no error number; a broken read does.
        m_owner.CheckFailure();
        return false;
    }

private:
    WatchedConnection& m_owner;
    std::unique_ptr<ResultSet> m_inner;
};

// ER_LOCK_WAIT_TIMEOUT, for a metadata lock (lock_wait_timeout) and a row lock of InnoDB alike.
constexpr unsigned kLockWaitTimeout = 1205;
// How much shorter than a time-out a failed call may have been and still be taken for it
// (the clocks of the library and of this program are read at different moments).
constexpr std::chrono::milliseconds kTimeoutSlack {250};

} // namespace

bool IsConnectionLoss(unsigned errorNumber)
{
    constexpr std::array<unsigned, 6> kLoss {2002, 2003, 2006, 2013, 2026, 2055};
    return std::find(kLoss.begin(), kLoss.end(), errorNumber) != kLoss.end();
}

std::string ServerErrorCause(const Connection& connection)
{
    const unsigned number = connection.ErrorNumber();
    if (number == 0)
        return {};
    const std::string text = connection.ErrorText();
    return "  Error NO. " + std::to_string(number) + (text.empty() ? std::string() : "  " + text);
}

std::string LineWithCause(std::string_view head, std::string_view subject, std::string_view cause)
{
    constexpr std::string_view kCut = "...";
    std::string line(head);
    if (head.size() + subject.size() + cause.size() <= kLogTextSize || cause.empty()) {
        line.append(subject).append(cause);
        return line;
    }
    const std::size_t room = kLogTextSize > head.size() + cause.size() + kCut.size()
        ? kLogTextSize - head.size() - cause.size() - kCut.size()
        : 0;
    std::size_t keep = std::min(room, subject.size());
    // Not inside a UTF-8 sequence: step back over continuation bytes.
    while (keep > 0 && keep < subject.size() && (static_cast<unsigned char>(subject[keep]) & 0xC0) == 0x80)
        --keep;
    line.append(subject.substr(0, keep)).append(kCut).append(cause);
    return line;
}

WatchedConnection::WatchedConnection(
    RunContext& context, std::unique_ptr<Connection> inner, const ConnectionTimeouts& timeouts)
    : m_context(context)
    , m_inner(std::move(inner))
    , m_timeouts(timeouts)
    , m_timed(timeouts.read > 0 || timeouts.write > 0 || timeouts.lockWait > 0)
{ }

void WatchedConnection::BeginCall()
{
    if (m_timed)
        m_callStarted = std::chrono::steady_clock::now();
}

bool WatchedConnection::LastedAtLeast(std::int32_t seconds) const
{
    return m_timed && seconds > 0
        && std::chrono::steady_clock::now() - m_callStarted + kTimeoutSlack >= std::chrono::seconds(seconds);
}

std::string WatchedConnection::TimedOutNote() const
{
    // The library reports a read or write that timed out as a lost connection ("Lost
    // connection to server during query"); the call's length tells the two apart.
    std::int32_t shortest = 0;
    for (const std::int32_t seconds : {m_timeouts.read, m_timeouts.write}) {
        if (seconds > 0 && (shortest == 0 || seconds < shortest))
            shortest = seconds;
    }
    return LastedAtLeast(shortest) ? " (timed out after " + std::to_string(shortest) + " s)" : std::string();
}

void WatchedConnection::CheckFailure()
{
    const unsigned number = m_inner->ErrorNumber();
    // A statement that waited the session's whole lock_wait_timeout for a lock (an InnoDB
    // row lock wait is shorter, and the restore's batches send it again themselves).
    const bool lockWaitRanOut = number == kLockWaitTimeout && LastedAtLeast(m_timeouts.lockWait);
    if ((!IsConnectionLoss(number) && !lockWaitRanOut) || m_context.QuitRequested())
        return;
    if (lockWaitRanOut)
        m_context.Log(LogLevel::Error,
            "Waited too long for a lock on the MySQL server (lock_wait_timeout " + std::to_string(m_timeouts.lockWait)
                + " s)!" + ServerErrorCause(*m_inner));
    else
        m_context.Log(
            LogLevel::Error, "Lost the connection to the MySQL server!" + ServerErrorCause(*m_inner) + TimedOutNote());
    // Either way the run cannot go on: it ends failed.
    m_context.MarkConnectionLost();
}

bool WatchedConnection::Checked(bool succeeded)
{
    if (!succeeded)
        CheckFailure();
    return succeeded;
}

std::unique_ptr<ResultSet> WatchedConnection::Watched(std::unique_ptr<ResultSet> result)
{
    if (!result) {
        // No result is also the answer to a statement that gives none; only an error counts.
        CheckFailure();
        return result;
    }
    return std::make_unique<WatchedResultSet>(*this, std::move(result));
}

bool WatchedConnection::Query(std::string_view sql)
{
    BeginCall();
    return Checked(m_inner->Query(sql));
}

bool WatchedConnection::SendQuery(std::string_view sql)
{
    BeginCall();
    return Checked(m_inner->SendQuery(sql));
}

bool WatchedConnection::ReadQueryResult()
{
    BeginCall();
    return Checked(m_inner->ReadQueryResult());
}

bool WatchedConnection::DiscardResults()
{
    BeginCall();
    return Checked(m_inner->DiscardResults());
}

std::unique_ptr<ResultSet> WatchedConnection::StoreResult()
{
    BeginCall();
    return Watched(m_inner->StoreResult());
}

std::unique_ptr<ResultSet> WatchedConnection::UseResult()
{
    BeginCall();
    return Watched(m_inner->UseResult());
}

std::unique_ptr<ResultSet> WatchedConnection::ListFields(std::string_view table)
{
    BeginCall();
    return Watched(m_inner->ListFields(table));
}

std::optional<std::vector<std::string>> WatchedConnection::ListDatabases()
{
    BeginCall();
    auto names = m_inner->ListDatabases();
    Checked(names.has_value());
    return names;
}

std::optional<std::vector<std::string>> WatchedConnection::ListTables()
{
    BeginCall();
    auto names = m_inner->ListTables();
    Checked(names.has_value());
    return names;
}

bool WatchedConnection::SelectDatabase(std::string_view name)
{
    BeginCall();
    return Checked(m_inner->SelectDatabase(name));
}

unsigned WatchedConnection::ServerStatusBits() const
{
    return m_inner->ServerStatusBits();
}

std::string WatchedConnection::CharacterSetName() const
{
    return m_inner->CharacterSetName();
}

bool WatchedConnection::SetCharacterSet(std::string_view name)
{
    return Checked(m_inner->SetCharacterSet(name));
}

bool WatchedConnection::SetMultiStatements(bool on)
{
    return Checked(m_inner->SetMultiStatements(on));
}

void WatchedConnection::AppendEscaped(std::string& out, std::string_view value)
{
    m_inner->AppendEscaped(out, value);
}

unsigned long WatchedConnection::ServerVersion() const
{
    return m_inner->ServerVersion();
}

std::string WatchedConnection::ServerInfo() const
{
    return m_inner->ServerInfo();
}

unsigned WatchedConnection::ErrorNumber() const
{
    return m_inner->ErrorNumber();
}

std::string WatchedConnection::ErrorText() const
{
    return m_inner->ErrorText();
}

void WatchedConnection::Cancel() noexcept
{
    m_inner->Cancel();
}

Connector WatchConnections(RunContext& context, Connector connector)
{
    return [&context, connector = std::move(connector)](
               const ServerConnection& settings, const ConnectControl& control) -> ConnectResult {
        ConnectResult result = connector(settings, control);
        if (auto* opened = std::get_if<std::unique_ptr<Connection>>(&result); opened && *opened)
            return std::make_unique<WatchedConnection>(context, std::move(*opened), control.timeouts);
        return result;
    };
}

} // namespace kelvanto
