#pragma once

#include "model/ConnectionTimeouts.h"
#include "model/Task.h"
#include "schedule/RunContext.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace kelvanto
{

// Field type codes as the client library reports them.
namespace FieldType
{
constexpr int Decimal = 0, Tiny = 1, Short = 2, Long = 3, Float = 4, Double = 5, Null = 6, Timestamp = 7, LongLong = 8,
              Int24 = 9, Date = 10, Time = 11, DateTime = 12, Year = 13, NewDate = 14, VarChar = 15, Bit = 16,
              Json = 245, NewDecimal = 246, Enum = 247, Set = 248, TinyBlob = 249, MediumBlob = 250, LongBlob = 251,
              Blob = 252, VarString = 253, String = 254, Geometry = 255;
}

// Field flag bits as the client library reports them.
namespace FieldFlag
{
constexpr unsigned NotNull = 1, PrimaryKey = 2, Unsigned = 32, ZeroFill = 64, AutoIncrement = 512;
}

// Status bits of the session as the server reports them after each statement.
namespace ServerStatus
{
constexpr unsigned NoBackslashEscapes = 512, AnsiQuotes = 32768;
}

// One column description (mysql_list_fields / mysql_fetch_fields).
struct FieldInfo
{
    std::string name;
    std::optional<std::string> def; // default value text, absent when the library gives none
    unsigned long length = 0;
    unsigned flags = 0;
    int type = 0;
};

// One fetched row; valid until the next FetchRow on its result.
struct RowView
{
    const char* const* values = nullptr; // values[i] == nullptr for SQL NULL
    const unsigned long* lengths = nullptr;
    std::size_t count = 0;

    bool isNull(std::size_t i) const { return values[i] == nullptr; }
    std::string_view value(std::size_t i) const
    {
        return values[i] ? std::string_view(values[i], lengths[i]) : std::string_view();
    }
};

class ResultSet
{
public:
    virtual ~ResultSet() = default;
    virtual const std::vector<FieldInfo>& Fields() const = 0;
    // The next row; false at the end or on a read error (the connection's error tells which).
    virtual bool FetchRow(RowView& row) = 0;
};

// The small interface through which the engines talk to a server. The real
// implementation wraps MariaDB Connector/C; a scripted fake stands in for servers
// older than any that can be run here.
class Connection : public Cancellable
{
public:
    // mysql_real_query with an explicit length.
    virtual bool Query(std::string_view sql) = 0;
    // A statement sent without waiting for the server's answer (mysql_send_query), so that the
    // caller can do other work while the server runs it; the answer is collected with
    // ReadQueryResult() before the connection is used for anything else. This default sends
    // and waits at once, and a refusal shows here.
    virtual bool SendQuery(std::string_view sql) { return Query(sql); }
    // The answer to the statement of SendQuery() (mysql_read_query_result): false when refused.
    virtual bool ReadQueryResult() { return true; }
    // Reads and throws away every result of the statement just sent (each of its result
    // sets, row by row, as a CALL of a procedure gives several), so that the connection is
    // ready for the next statement. False when one of them failed; the error tells why.
    // Call it only after a Query that succeeded and whose results are not wanted. This
    // default reads the one result a connection without multiple results can give.
    virtual bool DiscardResults();
    // The result of the last query, buffered (mysql_store_result) or streamed
    // (mysql_use_result); nullptr when the statement gave none.
    virtual std::unique_ptr<ResultSet> StoreResult() = 0;
    virtual std::unique_ptr<ResultSet> UseResult() = 0;
    // The column list of a table of the current database (mysql_list_fields); nullptr on failure.
    virtual std::unique_ptr<ResultSet> ListFields(std::string_view table) = 0;
    // mysql_list_dbs / mysql_list_tables in server order; nullopt on failure.
    virtual std::optional<std::vector<std::string>> ListDatabases() = 0;
    virtual std::optional<std::vector<std::string>> ListTables() = 0;
    virtual bool SelectDatabase(std::string_view name) = 0;
    // The session's status bits (see ServerStatus) as the server last reported them; 0 when
    // the connection cannot tell.
    virtual unsigned ServerStatusBits() const { return 0; }
    // The connection's character set (mysql_character_set_name); empty when unknown.
    virtual std::string CharacterSetName() const { return {}; }
    // Sets the connection's character set as mysql_set_character_set does (SET NAMES, and
    // the set that escaping follows). `name` is a character set name, never quoted text.
    virtual bool SetCharacterSet(std::string_view name) { return Query("SET NAMES " + std::string(name)); }
    // Lets one query text hold several statements (mysql_set_server_option); their results
    // come one after the other (DiscardResults reads them all). False when refused.
    virtual bool SetMultiStatements(bool on)
    {
        (void)on;
        return false;
    }
    // Appends value escaped by mysql_real_escape_string for this connection's character set.
    virtual void AppendEscaped(std::string& out, std::string_view value) = 0;
    // major * 10000 + minor * 100 + patch
    virtual unsigned long ServerVersion() const = 0;
    virtual std::string ServerInfo() const = 0;
    virtual unsigned ErrorNumber() const = 0;
    virtual std::string ErrorText() const = 0;
};

struct ConnectError
{
    unsigned number = 0;
    std::string text;
};

using ConnectResult = std::variant<std::unique_ptr<Connection>, ConnectError>;

class ConnectAbort;

// How one connection is to be opened: its time-outs, and what ends the attempt early.
struct ConnectControl
{
    ConnectionTimeouts timeouts = InteractiveTimeouts();
    // Cancelled from any thread, it ends the attempt at once; may be null.
    ConnectAbort* abort = nullptr;
};

// A callable that opens a connection with the settings and the control, or with the settings
// alone (a scripted fake, which has no use for the control).
template <class F>
concept ConnectsWithControl = std::is_invocable_r_v<ConnectResult, F&, const ServerConnection&, const ConnectControl&>;
template <class F>
concept ConnectsWithSettingsAlone
    = !ConnectsWithControl<F> && std::is_invocable_r_v<ConnectResult, F&, const ServerConnection&>;

// Opens a connection with a task's settings; engines receive one so that tests can hand out
// scripted fakes. Called with the settings alone it opens with the control's defaults (the
// program's connections outside a run); a run passes its own control.
class Connector
{
public:
    using Function = std::function<ConnectResult(const ServerConnection&, const ConnectControl&)>;

    Connector() = default;
    // (A Connector itself is copied and moved by its own constructors, which win over these.)
    template <ConnectsWithControl F>
    Connector(F function)
        : m_function(std::move(function))
    { }
    template <ConnectsWithSettingsAlone F>
    Connector(F function)
        : m_function([function = std::move(function)](const ServerConnection& settings, const ConnectControl&) mutable {
            return ConnectResult(function(settings));
        })
    { }

    ConnectResult operator()(const ServerConnection& settings) const { return m_function(settings, ConnectControl {}); }
    ConnectResult operator()(const ServerConnection& settings, const ConnectControl& control) const
    {
        return m_function(settings, control);
    }
    explicit operator bool() const { return static_cast<bool>(m_function); }

private:
    Function m_function;
};

} // namespace kelvanto
