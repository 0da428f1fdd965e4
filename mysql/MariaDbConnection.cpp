#include "mysql/MariaDbConnection.h"

#include "mysql/ConnectHandle.h"
#include "mysql/MariaDbResultSet.h"
#include "mysql/RealEscape.h"

#include <mysql.h>

namespace kelvanto
{

namespace
{

// Error of a call refused because the connection was cancelled.
constexpr unsigned kInterruptedError = 1317;
constexpr const char* kInterruptedText = "Query execution was interrupted (the connection was cancelled)";
// Time-outs of the short connection that kills a cancelled one, so that Cancel() returns.
constexpr std::int32_t kKillTimeoutSeconds = 3;

} // namespace

void MariaDbConnection::HandleCloser::operator()(st_mysql* handle) const noexcept
{
    mysql_close(handle);
}

MariaDbConnection::MariaDbConnection(Handle handle, const ServerConnection& settings, unsigned long clientFlags)
    : m_handle(std::move(handle))
    , m_settings(settings)
    , m_clientFlags(clientFlags)
    , m_threadId(mysql_thread_id(m_handle.get()))
    , m_version(mysql_get_server_version(m_handle.get()))
    , m_serverInfo(mysql_get_server_info(m_handle.get()) ? mysql_get_server_info(m_handle.get()) : "")
{ }

MariaDbConnection::~MariaDbConnection()
{
    // Wait for a Cancel() running on another thread before the handle goes away.
    std::lock_guard lock(m_cancelMutex);
    m_handle.reset();
}

bool MariaDbConnection::Query(std::string_view sql)
{
    if (m_cancelled.load())
        return false;
    return mysql_real_query(m_handle.get(), sql.data(), sql.size()) == 0;
}

bool MariaDbConnection::DiscardResults()
{
    MYSQL* mysql = m_handle.get();
    for (;;) {
        if (m_cancelled.load())
            return false;
        if (mysql_field_count(mysql) > 0) {
            // Streamed, so that a large result costs no memory; freeing it reads what is left.
            MYSQL_RES* result = mysql_use_result(mysql);
            if (!result)
                return false;
            while (mysql_fetch_row(result) != nullptr) { }
            // A statement can fail while its rows come (an error after the first rows).
            const bool failed = mysql_errno(mysql) != 0;
            mysql_free_result(result);
            if (failed)
                return false;
        }
        // -1: no more results; 0: the next one is ready; above 0: it failed.
        const int next = mysql_next_result(mysql);
        if (next != 0)
            return next < 0;
    }
}

bool MariaDbConnection::SendQuery(std::string_view sql)
{
    if (m_cancelled.load())
        return false;
    return mysql_send_query(m_handle.get(), sql.data(), sql.size()) == 0;
}

bool MariaDbConnection::ReadQueryResult()
{
    if (m_cancelled.load())
        return false;
    return mysql_read_query_result(m_handle.get()) == 0;
}

std::unique_ptr<ResultSet> MariaDbConnection::StoreResult()
{
    if (m_cancelled.load())
        return nullptr;
    MariaDbResultSet::Handle result(mysql_store_result(m_handle.get()));
    if (!result)
        return nullptr;
    return std::make_unique<MariaDbResultSet>(std::move(result));
}

std::unique_ptr<ResultSet> MariaDbConnection::UseResult()
{
    if (m_cancelled.load())
        return nullptr;
    MariaDbResultSet::Handle result(mysql_use_result(m_handle.get()));
    if (!result)
        return nullptr;
    return std::make_unique<MariaDbResultSet>(std::move(result));
}

std::unique_ptr<ResultSet> MariaDbConnection::ListFields(std::string_view table)
{
    if (m_cancelled.load())
        return nullptr;
    const std::string name(table);
    MariaDbResultSet::Handle result(mysql_list_fields(m_handle.get(), name.c_str(), nullptr));
    if (!result)
        return nullptr;
    return std::make_unique<MariaDbResultSet>(std::move(result));
}

std::optional<std::vector<std::string>> MariaDbConnection::NamesOf(std::unique_ptr<ResultSet> result)
{
    if (!result)
        return std::nullopt;
    std::vector<std::string> names;
    RowView row;
    while (result->FetchRow(row)) {
        if (row.count > 0 && !row.isNull(0))
            names.emplace_back(row.value(0));
    }
    if (mysql_errno(m_handle.get()) != 0)
        return std::nullopt;
    return names;
}

std::optional<std::vector<std::string>> MariaDbConnection::ListDatabases()
{
    if (m_cancelled.load())
        return std::nullopt;
    MariaDbResultSet::Handle result(mysql_list_dbs(m_handle.get(), nullptr));
    if (!result)
        return std::nullopt;
    return NamesOf(std::make_unique<MariaDbResultSet>(std::move(result)));
}

std::optional<std::vector<std::string>> MariaDbConnection::ListTables()
{
    if (m_cancelled.load())
        return std::nullopt;
    MariaDbResultSet::Handle result(mysql_list_tables(m_handle.get(), nullptr));
    if (!result)
        return std::nullopt;
    return NamesOf(std::make_unique<MariaDbResultSet>(std::move(result)));
}

bool MariaDbConnection::SelectDatabase(std::string_view name)
{
    if (m_cancelled.load())
        return false;
    const std::string database(name);
    return mysql_select_db(m_handle.get(), database.c_str()) == 0;
}

unsigned MariaDbConnection::ServerStatusBits() const
{
    unsigned status = 0;
    if (mariadb_get_infov(m_handle.get(), MARIADB_CONNECTION_SERVER_STATUS, &status) != 0)
        return 0;
    return status;
}

std::string MariaDbConnection::CharacterSetName() const
{
    const char* name = mysql_character_set_name(m_handle.get());
    return name ? name : "";
}

bool MariaDbConnection::SetCharacterSet(std::string_view name)
{
    if (m_cancelled.load())
        return false;
    const std::string charset(name);
    return mysql_set_character_set(m_handle.get(), charset.c_str()) == 0;
}

bool MariaDbConnection::SetMultiStatements(bool on)
{
    if (m_cancelled.load())
        return false;
    return mysql_set_server_option(
               m_handle.get(), on ? MYSQL_OPTION_MULTI_STATEMENTS_ON : MYSQL_OPTION_MULTI_STATEMENTS_OFF)
        == 0;
}

void MariaDbConnection::AppendEscaped(std::string& out, std::string_view value)
{
    AppendRealEscaped(m_handle.get(), out, value);
}

unsigned long MariaDbConnection::ServerVersion() const
{
    return m_version;
}

std::string MariaDbConnection::ServerInfo() const
{
    return m_serverInfo;
}

unsigned MariaDbConnection::ErrorNumber() const
{
    const unsigned number = mysql_errno(m_handle.get());
    if (number == 0 && m_cancelled.load())
        return kInterruptedError;
    return number;
}

std::string MariaDbConnection::ErrorText() const
{
    if (mysql_errno(m_handle.get()) == 0 && m_cancelled.load())
        return kInterruptedText;
    return mysql_error(m_handle.get());
}

bool MariaDbConnection::KillFromSecondConnection() noexcept
{
    Handle killer(mysql_init(nullptr));
    if (!killer)
        return false;
    // The same protocol as the connection itself (with useSsl, TLS or nothing), made the same
    // way, with short time-outs: a server that stalls is left to the local cancel.
    const ConnectionTimeouts timeouts {kKillTimeoutSeconds, kKillTimeoutSeconds, kKillTimeoutSeconds, 0};
    if (ConnectHandle(killer.get(), m_settings, m_clientFlags, timeouts, nullptr))
        return false;
    const std::string kill = "KILL CONNECTION " + std::to_string(m_threadId);
    if (mysql_real_query(killer.get(), kill.data(), kill.size()) == 0)
        return true;
    // ER_NO_SUCH_THREAD: the connection is gone already.
    return mysql_errno(killer.get()) == 1094;
}

void MariaDbConnection::Cancel() noexcept
{
    std::lock_guard lock(m_cancelMutex);
    if (!m_handle || m_cancelled.exchange(true))
        return;
    if (!KillFromSecondConnection()) {
        // The server cannot be reached a second time: break the blocking read locally.
        mariadb_cancel(m_handle.get());
    }
}

} // namespace kelvanto
