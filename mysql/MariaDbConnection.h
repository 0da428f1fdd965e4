#pragma once

#include "model/Task.h"
#include "mysql/Connection.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

struct st_mysql;

namespace kelvanto
{

// A Connection over MariaDB Connector/C. It owns its client handle and closes it when it
// goes away. Cancel() may be called from any thread while the owner blocks in a call: it
// asks the server, over a short second connection, to kill this connection's thread, and
// shuts the socket down when that connection cannot be made. Every later call then fails.
// Result sets handed out must be destroyed before the connection.
class MariaDbConnection final : public Connection
{
public:
    struct HandleCloser
    {
        void operator()(st_mysql* handle) const noexcept;
    };
    using Handle = std::unique_ptr<st_mysql, HandleCloser>;

    // Takes an open handle that was connected with the given settings and client flags.
    MariaDbConnection(Handle handle, const ServerConnection& settings, unsigned long clientFlags);
    ~MariaDbConnection() override;
    MariaDbConnection(const MariaDbConnection&) = delete;
    MariaDbConnection& operator=(const MariaDbConnection&) = delete;

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

    // The server's id of this connection's thread (the target of KILL).
    unsigned long ThreadId() const { return m_threadId; }
    bool WasCancelled() const { return m_cancelled.load(); }

private:
    bool KillFromSecondConnection() noexcept;
    std::optional<std::vector<std::string>> NamesOf(std::unique_ptr<ResultSet> result);

    Handle m_handle;
    const ServerConnection m_settings;
    const unsigned long m_clientFlags;
    const unsigned long m_threadId;
    const unsigned long m_version;
    const std::string m_serverInfo;
    std::atomic<bool> m_cancelled {false};
    // Keeps the handle alive while another thread cancels through it.
    std::mutex m_cancelMutex;
};

} // namespace kelvanto
