#pragma once

#include "mysql/Connection.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kelvanto::test
{

// A scripted result set: column descriptions and rows (nullopt = SQL NULL).
struct FakeResult
{
    std::vector<FieldInfo> fields;
    std::vector<std::vector<std::optional<std::string>>> rows;
};

// A Connection whose answers are scripted per exact query text, for the version rules of
// servers that cannot be run here (3.23, 4.0, 4.1.0). It records every query sent.
// A query that was not scripted succeeds without a result set.
class FakeConnection : public Connection
{
public:
    explicit FakeConnection(unsigned long version = 100611, std::string serverInfo = "10.6.11-MariaDB");

    // The query succeeds and gives this result set (StoreResult/UseResult hand out a copy).
    void Answer(const std::string& sql, FakeResult result);
    // The query fails with this error.
    void Fail(const std::string& sql, unsigned number, std::string text);
    // ListFields(table) answers these columns; an unscripted table gives nullptr.
    void SetFields(const std::string& table, std::vector<FieldInfo> fields);
    // ListDatabases answers these names; unscripted it fails.
    void SetDatabases(std::vector<std::string> names);
    // ListTables answers these names while the database is selected; unscripted it fails.
    void SetTables(const std::string& database, std::vector<std::string> names);
    // SelectDatabase(database) fails with this error; other names succeed.
    void FailSelect(const std::string& database, unsigned number, std::string text);
    // The status bits that the session reports from now on (see ServerStatus).
    void SetServerStatusBits(unsigned status) { m_status = status; }

    // Every query sent, in order.
    const std::vector<std::string>& Queries() const { return m_queries; }
    // How often the given query was sent.
    int CountOf(const std::string& sql) const;
    const std::string& SelectedDatabase() const { return m_selected; }
    bool MultiStatements() const { return m_multiStatements; }
    bool Cancelled() const { return m_cancelled; }

    bool Query(std::string_view sql) override;
    std::unique_ptr<ResultSet> StoreResult() override;
    std::unique_ptr<ResultSet> UseResult() override;
    std::unique_ptr<ResultSet> ListFields(std::string_view table) override;
    std::optional<std::vector<std::string>> ListDatabases() override;
    std::optional<std::vector<std::string>> ListTables() override;
    bool SelectDatabase(std::string_view name) override;
    void AppendEscaped(std::string& out, std::string_view value) override;
    unsigned ServerStatusBits() const override { return m_status; }
    std::string CharacterSetName() const override { return m_charset; }
    // Recorded as the query "SET NAMES <name>", which a test may script to fail.
    bool SetCharacterSet(std::string_view name) override;
    bool SetMultiStatements(bool on) override
    {
        m_multiStatements = on;
        return true;
    }
    unsigned long ServerVersion() const override { return m_version; }
    std::string ServerInfo() const override { return m_serverInfo; }
    unsigned ErrorNumber() const override { return m_errorNumber; }
    std::string ErrorText() const override { return m_errorText; }
    void Cancel() noexcept override { m_cancelled = true; }

private:
    struct Failure
    {
        unsigned number = 0;
        std::string text;
    };

    void SetError(unsigned number, std::string text);

    unsigned long m_version;
    std::string m_serverInfo;
    std::map<std::string, FakeResult> m_answers;
    std::map<std::string, Failure> m_failures;
    std::map<std::string, std::vector<FieldInfo>> m_fields;
    std::optional<std::vector<std::string>> m_databases;
    std::map<std::string, std::vector<std::string>> m_tables;
    std::map<std::string, Failure> m_selectFailures;
    std::vector<std::string> m_queries;
    std::optional<FakeResult> m_pending;
    std::string m_selected;
    unsigned m_errorNumber = 0;
    std::string m_errorText;
    bool m_cancelled = false;
    unsigned m_status = 0;
    std::string m_charset = "utf8mb4";
    bool m_multiStatements = false;
};

} // namespace kelvanto::test
