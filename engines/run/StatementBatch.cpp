#include "engines/run/StatementBatch.h"

#include "engines/run/RunConnection.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>

namespace kelvanto
{

namespace
{

constexpr unsigned kDeadlock = 1213;
constexpr unsigned kLockWaitTimeout = 1205;

// What a statement means to the batch, by its first word.
enum class Kind : unsigned char {
    Plain, // joins the batch
    ImplicitCommit, // commits by itself (or must not join the batch): the batch is committed first
    Begin, // the file begins a transaction of its own
    End, // the file's COMMIT or ROLLBACK
    AutocommitOff, // the file's SET autocommit=0
    AutocommitOn, // the file's SET autocommit=1 (or another value)
};

bool IsSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// Skips blanks and comments; enters a versioned comment (/*!40000 ... */), whose text the
// server runs.
std::size_t SkipToWord(std::string_view text, std::size_t at)
{
    while (at < text.size()) {
        if (IsSpace(text[at])) {
            ++at;
        } else if (text.substr(at, 3) == "/*!") {
            at += 3;
            while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) != 0)
                ++at;
        } else if (text.substr(at, 2) == "/*") {
            const std::size_t end = text.find("*/", at + 2);
            at = end == std::string_view::npos ? text.size() : end + 2;
        } else if (text.substr(at, 2) == "--" || text[at] == '#') {
            const std::size_t end = text.find('\n', at);
            at = end == std::string_view::npos ? text.size() : end + 1;
        } else {
            break;
        }
    }
    return at;
}

std::string UpperWord(std::string_view text, std::size_t& at)
{
    at = SkipToWord(text, at);
    std::string word;
    while (at < text.size() && (std::isalnum(static_cast<unsigned char>(text[at])) != 0 || text[at] == '_'))
        word += static_cast<char>(std::toupper(static_cast<unsigned char>(text[at++])));
    return word;
}

// SET [SESSION | @@session. | @@] autocommit = value, as the file writes it.
Kind SetKind(std::string_view text, std::size_t at)
{
    std::string upper;
    for (std::size_t i = at; i < text.size(); ++i)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
    const std::size_t name = upper.find("AUTOCOMMIT");
    if (name == std::string::npos)
        return Kind::Plain;
    std::size_t value = upper.find_first_not_of(" \t\r\n:=", name + 10);
    if (value == std::string::npos)
        return Kind::AutocommitOn;
    const std::string_view rest = std::string_view(upper).substr(value);
    for (const std::string_view off : {"0", "OFF", "FALSE"}) {
        if (rest.substr(0, off.size()) == off
            && (rest.size() == off.size() || !std::isalnum(static_cast<unsigned char>(rest[off.size()]))))
            return Kind::AutocommitOff;
    }
    return Kind::AutocommitOn;
}

Kind KindOf(std::string_view statement)
{
    std::size_t at = 0;
    const std::string word = UpperWord(statement, at);
    if (word == "COMMIT")
        return Kind::End;
    if (word == "ROLLBACK") {
        // ROLLBACK [WORK] TO [SAVEPOINT] name ends no transaction.
        std::string next = UpperWord(statement, at);
        if (next == "WORK")
            next = UpperWord(statement, at);
        return next == "TO" ? Kind::ImplicitCommit : Kind::End;
    }
    // BEGIN NOT ATOMIC is a compound statement, START SLAVE no transaction: both go alone.
    if (word == "BEGIN")
        return UpperWord(statement, at) == "NOT" ? Kind::ImplicitCommit : Kind::Begin;
    if (word == "START")
        return UpperWord(statement, at) == "TRANSACTION" ? Kind::Begin : Kind::ImplicitCommit;
    if (word == "SET")
        return SetKind(statement, at);
    for (const char* implicit :
        {"ALTER", "CREATE", "DROP", "RENAME", "TRUNCATE", "LOCK", "UNLOCK", "GRANT", "REVOKE", "ANALYZE", "OPTIMIZE",
            "REPAIR", "FLUSH", "RESET", "INSTALL", "UNINSTALL", "CACHE", "LOAD", "STOP", "SAVEPOINT", "RELEASE"}) {
        if (word == implicit)
            return word == "LOAD" && UpperWord(statement, at) != "INDEX" ? Kind::Plain : Kind::ImplicitCommit;
    }
    return Kind::Plain;
}

// An identifier as the statement writes it: `quoted` (with `` for a backquote) or bare.
std::string Identifier(std::string_view text, std::size_t& at)
{
    std::string name;
    if (at < text.size() && text[at] == '`') {
        for (++at; at < text.size(); ++at) {
            if (text[at] == '`') {
                if (at + 1 < text.size() && text[at + 1] == '`') {
                    name += '`';
                    ++at;
                    continue;
                }
                ++at;
                break;
            }
            name += text[at];
        }
        return name;
    }
    while (at < text.size()
        && (std::isalnum(static_cast<unsigned char>(text[at])) != 0 || text[at] == '_' || text[at] == '$'))
        name += text[at++];
    return name;
}

// The table an INSERT, REPLACE, UPDATE or single-table DELETE writes: "db.table" or
// "table"; empty for any other statement.
std::string WrittenTable(std::string_view statement)
{
    std::size_t at = 0;
    const std::string verb = UpperWord(statement, at);
    if (verb != "INSERT" && verb != "REPLACE" && verb != "UPDATE" && verb != "DELETE")
        return {};
    for (;;) {
        std::size_t next = at;
        const std::string word = UpperWord(statement, next);
        const bool modifier = word == "LOW_PRIORITY" || word == "DELAYED" || word == "HIGH_PRIORITY" || word == "IGNORE"
            || word == "QUICK" || word == "INTO" || word == "FROM";
        if (!modifier)
            break;
        at = next;
    }
    at = SkipToWord(statement, at);
    std::string name = Identifier(statement, at);
    if (!name.empty() && at < statement.size() && statement[at] == '.') {
        ++at;
        name += "." + Identifier(statement, at);
    }
    return name;
}

} // namespace

StatementBatch::StatementBatch(std::int32_t commitEvery, Hooks hooks)
    : m_commitEvery(commitEvery)
    , m_hooks(std::move(hooks))
{ }

bool StatementBatch::Send(std::string_view statement, std::size_t number)
{
    if (!Batching())
        return m_hooks.execute(statement);
    const Kind kind = KindOf(statement);
    if (m_fileTransaction || kind != Kind::Plain) {
        // The file's own transaction control, or a statement that commits by itself: the
        // open batch is committed first, the statement goes alone.
        if (!m_fileTransaction && m_open && !Commit())
            return false;
        const bool executed = m_hooks.execute(statement);
        if (kind == Kind::Begin || kind == Kind::AutocommitOff)
            m_fileTransaction = true;
        if (kind == Kind::End || kind == Kind::AutocommitOn)
            m_fileTransaction = false;
        if (kind == Kind::AutocommitOff)
            m_autocommitOff = true;
        if (kind == Kind::AutocommitOn)
            m_autocommitOff = false;
        return executed;
    }
    return SendInBatch(statement, number);
}

bool StatementBatch::SendInBatch(std::string_view statement, std::size_t number)
{
    if (!m_open) {
        if (!m_autocommitOff && !m_hooks.execute("SET autocommit=0"))
            return false;
        m_autocommitOff = true;
        m_open = true;
    }
    bool executed = m_hooks.execute(statement);
    if (!executed) {
        const unsigned error = m_hooks.errorNumber();
        if (error == kDeadlock || error == kLockWaitTimeout)
            executed = Retry(statement);
    }
    if (!executed)
        return false; // the failed statement left nothing to undo
    m_keptBytes += statement.size();
    m_kept.push_back(Kept {std::string(statement), number});
    const std::string table = WrittenTable(statement);
    if (!table.empty() && std::find(m_tables.begin(), m_tables.end(), table) == m_tables.end())
        m_tables.push_back(table);
    if (m_kept.size() >= static_cast<std::size_t>(m_commitEvery) || m_keptBytes >= kMaxKeptBytes)
        return Commit();
    return true;
}

bool StatementBatch::Retry(std::string_view statement)
{
    // A deadlock has rolled the whole batch back, a lock wait time-out only the statement:
    // the rollback makes both the same, and the batch is sent again from its start.
    m_hooks.execute("ROLLBACK");
    m_hooks.log(LogLevel::Warning,
        "Deadlock or lock wait time-out: the open batch of " + std::to_string(m_kept.size() + 1)
            + " statements is sent again");
    for (const Kept& kept : m_kept) {
        if (!m_hooks.execute(kept.statement))
            return false;
    }
    return m_hooks.execute(statement);
}

bool StatementBatch::Commit()
{
    if (!m_open)
        return true;
    const bool committed = m_hooks.execute("COMMIT");
    EndBatch();
    return committed;
}

void StatementBatch::RollBack()
{
    if (!m_open)
        return;
    m_hooks.execute("ROLLBACK");
    if (!m_kept.empty()) {
        const std::string count = std::to_string(m_kept.size());
        m_hooks.log(LogLevel::Warning,
            "Rolled back the uncommitted batch: " + count + (m_kept.size() == 1 ? " statement" : " statements")
                + " undone (NO. " + std::to_string(m_kept.front().number) + " to NO. "
                + std::to_string(m_kept.back().number) + ")");
    }
    if (!m_tables.empty() && m_hooks.cannotRollBack) {
        const std::vector<std::string> kept = m_hooks.cannotRollBack(m_tables);
        std::string names;
        for (const std::string& name : kept)
            names += (names.empty() ? "" : ", ") + name;
        if (!names.empty())
            m_hooks.log(LogLevel::Warning, "These tables cannot roll back and keep the undone changes: " + names);
    }
    EndBatch();
}

void StatementBatch::EndBatch()
{
    m_kept.clear();
    m_tables.clear();
    m_keptBytes = 0;
    m_open = false;
}

StatementBatch::Hooks BatchHooks(RunContext& context, RunConnection& connection)
{
    return StatementBatch::Hooks {[&connection](std::string_view statement) { return connection.Execute(statement); },
        [&connection] { return connection.ErrorNumber(); },
        [&context](LogLevel level, const std::string& line) { context.Log(level, line); },
        [&connection](const std::vector<std::string>& tables) {
            std::string sql = "SELECT CONCAT(t.TABLE_SCHEMA, '.', t.TABLE_NAME) FROM information_schema.TABLES t "
                              "JOIN information_schema.ENGINES e ON e.ENGINE = t.ENGINE "
                              "WHERE e.TRANSACTIONS <> 'YES' AND (";
            for (std::size_t i = 0; i < tables.size(); ++i) {
                const std::size_t dot = tables[i].find('.');
                sql += i == 0 ? "(t.TABLE_SCHEMA = " : " OR (t.TABLE_SCHEMA = ";
                if (dot == std::string::npos) {
                    sql += "DATABASE()";
                } else {
                    sql += "'";
                    connection.AppendEscaped(sql, std::string_view(tables[i]).substr(0, dot));
                    sql += "'";
                }
                sql += " AND t.TABLE_NAME = '";
                connection.AppendEscaped(
                    sql, dot == std::string::npos ? tables[i] : std::string_view(tables[i]).substr(dot + 1));
                sql += "')";
            }
            return connection.FirstColumn(sql + ") ORDER BY 1");
        }};
}

} // namespace kelvanto
