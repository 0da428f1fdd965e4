#include "tests/support/FakeConnection.h"

namespace kelvanto::test
{

namespace
{

class FakeResultSet final : public ResultSet
{
public:
    explicit FakeResultSet(FakeResult result)
        : m_result(std::move(result))
    { }

    const std::vector<FieldInfo>& Fields() const override { return m_result.fields; }

    bool FetchRow(RowView& row) override
    {
        if (m_next >= m_result.rows.size())
            return false;
        const auto& values = m_result.rows[m_next++];
        m_pointers.assign(values.size(), nullptr);
        m_lengths.assign(values.size(), 0);
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (values[i]) {
                m_pointers[i] = values[i]->data();
                m_lengths[i] = values[i]->size();
            }
        }
        row.values = m_pointers.data();
        row.lengths = m_lengths.data();
        row.count = values.size();
        return true;
    }

private:
    FakeResult m_result;
    std::size_t m_next = 0;
    std::vector<const char*> m_pointers;
    std::vector<unsigned long> m_lengths;
};

} // namespace

FakeConnection::FakeConnection(unsigned long version, std::string serverInfo)
    : m_version(version)
    , m_serverInfo(std::move(serverInfo))
{ }

void FakeConnection::Answer(const std::string& sql, FakeResult result)
{
    m_answers[sql] = std::move(result);
}

void FakeConnection::Fail(const std::string& sql, unsigned number, std::string text)
{
    m_failures[sql] = Failure {number, std::move(text)};
}

void FakeConnection::SetFields(const std::string& table, std::vector<FieldInfo> fields)
{
    m_fields[table] = std::move(fields);
}

void FakeConnection::SetDatabases(std::vector<std::string> names)
{
    m_databases = std::move(names);
}

void FakeConnection::SetTables(const std::string& database, std::vector<std::string> names)
{
    m_tables[database] = std::move(names);
}

void FakeConnection::FailSelect(const std::string& database, unsigned number, std::string text)
{
    m_selectFailures[database] = Failure {number, std::move(text)};
}

int FakeConnection::CountOf(const std::string& sql) const
{
    int count = 0;
    for (const auto& query : m_queries)
        count += query == sql ? 1 : 0;
    return count;
}

void FakeConnection::SetError(unsigned number, std::string text)
{
    m_errorNumber = number;
    m_errorText = std::move(text);
}

bool FakeConnection::Query(std::string_view sql)
{
    const std::string text(sql);
    m_queries.push_back(text);
    m_pending.reset();
    if (auto failure = m_failures.find(text); failure != m_failures.end()) {
        SetError(failure->second.number, failure->second.text);
        return false;
    }
    SetError(0, "");
    if (auto answer = m_answers.find(text); answer != m_answers.end())
        m_pending = answer->second;
    return true;
}

std::unique_ptr<ResultSet> FakeConnection::StoreResult()
{
    if (!m_pending)
        return nullptr;
    auto result = std::make_unique<FakeResultSet>(std::move(*m_pending));
    m_pending.reset();
    return result;
}

std::unique_ptr<ResultSet> FakeConnection::UseResult()
{
    return StoreResult();
}

std::unique_ptr<ResultSet> FakeConnection::ListFields(std::string_view table)
{
    auto fields = m_fields.find(std::string(table));
    if (fields == m_fields.end()) {
        SetError(1146, "Table '" + std::string(table) + "' doesn't exist");
        return nullptr;
    }
    SetError(0, "");
    return std::make_unique<FakeResultSet>(FakeResult {fields->second, {}});
}

std::optional<std::vector<std::string>> FakeConnection::ListDatabases()
{
    if (!m_databases) {
        SetError(1227, "Access denied");
        return std::nullopt;
    }
    SetError(0, "");
    return m_databases;
}

std::optional<std::vector<std::string>> FakeConnection::ListTables()
{
    auto tables = m_tables.find(m_selected);
    if (tables == m_tables.end()) {
        SetError(1046, "No database selected");
        return std::nullopt;
    }
    SetError(0, "");
    return tables->second;
}

bool FakeConnection::SelectDatabase(std::string_view name)
{
    const std::string database(name);
    if (auto failure = m_selectFailures.find(database); failure != m_selectFailures.end()) {
        SetError(failure->second.number, failure->second.text);
        return false;
    }
    SetError(0, "");
    m_selected = database;
    return true;
}

bool FakeConnection::SetCharacterSet(std::string_view name)
{
    if (!Query("SET NAMES " + std::string(name)))
        return false;
    m_charset = name;
    return true;
}

void FakeConnection::AppendEscaped(std::string& out, std::string_view value)
{
    // What mysql_real_escape_string does for a single-byte character set.
    for (char c : value) {
        switch (c) {
        case '\0':
            out += "\\0";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\'':
            out += "\\'";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\032':
            out += "\\Z";
            break;
        default:
            out += c;
        }
    }
}

} // namespace kelvanto::test
