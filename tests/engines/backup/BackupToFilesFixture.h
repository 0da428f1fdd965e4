#pragma once

#include "engines/backup/BackupToFiles.h"
#include "model/SafeFolder.h"
#include "model/Task.h"
#include "mysql/Connection.h"
#include "tests/support/FakeConnection.h"
#include "tests/support/FakeRunContext.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace kelvanto::test
{

using Values = std::vector<std::optional<std::string>>;

inline FieldInfo Field(std::string name, int type, unsigned flags = 0, unsigned long length = 0)
{
    FieldInfo field;
    field.name = std::move(name);
    field.type = type;
    field.flags = flags;
    field.length = length;
    return field;
}

inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline int CountOf(const std::string& text, const std::string& piece)
{
    int count = 0;
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size()))
        ++count;
    return count;
}

// The connection the engine owns for one run. It forwards to a FakeConnection that the
// test keeps (so that the queries can be read after the run), answers a query differently
// on each sending when a sequence is scripted, and can break a streamed read after some rows.
class ForwardingConnection : public Connection
{
public:
    struct Script
    {
        std::map<std::string, std::deque<FakeResult>> sequences;
        // The streamed result of the query breaks after this many rows.
        std::map<std::string, std::size_t> failReadAfterRows;
        // The error that the broken read leaves (by default the loss of the connection).
        std::pair<unsigned, std::string> readError {2013, "Lost connection to MySQL server during query"};
    };

    ForwardingConnection(FakeConnection& fake, Script& script)
        : m_fake(fake)
        , m_script(script)
    { }

    bool Query(std::string_view sql) override
    {
        m_readFailed = false;
        m_lastQuery = std::string(sql);
        auto sequence = m_script.sequences.find(std::string(sql));
        if (sequence != m_script.sequences.end() && !sequence->second.empty()) {
            m_fake.Answer(sequence->first, sequence->second.front());
            if (sequence->second.size() > 1)
                sequence->second.pop_front();
        }
        return m_fake.Query(sql);
    }
    std::unique_ptr<ResultSet> StoreResult() override { return m_fake.StoreResult(); }
    std::unique_ptr<ResultSet> UseResult() override
    {
        std::unique_ptr<ResultSet> result = m_fake.UseResult();
        auto breaking = m_script.failReadAfterRows.find(m_lastQuery);
        if (!result || breaking == m_script.failReadAfterRows.end())
            return result;
        return std::make_unique<BreakingResult>(std::move(result), breaking->second, m_readFailed);
    }
    std::unique_ptr<ResultSet> ListFields(std::string_view table) override { return m_fake.ListFields(table); }
    std::optional<std::vector<std::string>> ListDatabases() override { return m_fake.ListDatabases(); }
    std::optional<std::vector<std::string>> ListTables() override { return m_fake.ListTables(); }
    bool SelectDatabase(std::string_view name) override { return m_fake.SelectDatabase(name); }
    void AppendEscaped(std::string& out, std::string_view value) override { m_fake.AppendEscaped(out, value); }
    unsigned long ServerVersion() const override { return m_fake.ServerVersion(); }
    std::string ServerInfo() const override { return m_fake.ServerInfo(); }
    unsigned ErrorNumber() const override { return m_readFailed ? m_script.readError.first : m_fake.ErrorNumber(); }
    std::string ErrorText() const override { return m_readFailed ? m_script.readError.second : m_fake.ErrorText(); }
    void Cancel() noexcept override { m_fake.Cancel(); }

private:
    class BreakingResult : public ResultSet
    {
    public:
        BreakingResult(std::unique_ptr<ResultSet> inner, std::size_t rows, bool& failed)
            : m_inner(std::move(inner))
            , m_left(rows)
            , m_failed(failed)
        { }
        const std::vector<FieldInfo>& Fields() const override { return m_inner->Fields(); }
        bool FetchRow(RowView& row) override
        {
            if (m_left == 0) {
                m_failed = true;
                return false;
            }
            --m_left;
            return m_inner->FetchRow(row);
        }

    private:
        std::unique_ptr<ResultSet> m_inner;
        std::size_t m_left;
        bool& m_failed;
    };

    FakeConnection& m_fake;
    Script& m_script;
    bool m_readFailed = false;
    std::string m_lastQuery;
};

// A task with one database "shop" on a modern server, dumped into one SQL file.
class BackupToFilesFixture : public ::testing::Test
{
protected:
    BackupToFilesFixture()
    {
        task.name = "Nightly";
        task.source.host = "localhost";
        task.backupSettings.fileMode = 1;
        task.backupSettings.singleFilePath = DumpPath().string();
        task.backupSettings.unixLineEnds = 1;
        UseServer(100611, "10.6.11-MariaDB");
    }

    std::filesystem::path DumpPath() const { return dir.path() / "dump.sql"; }
    // Where a file is while it is written: under the task's temporary name beside it.
    std::filesystem::path TemporaryOf(const std::filesystem::path& path) const
    {
        return path.parent_path() / PartialName(path.filename().string(), PartialTag(task.logFileName));
    }
    // Every temporary file left anywhere in the test's folder.
    std::vector<std::string> PartialsLeft() const
    {
        std::vector<std::string> left;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
            if (IsPartialPath(entry.path().string()))
                left.push_back(entry.path().string());
        }
        return left;
    }

    void UseServer(unsigned long version, const std::string& info)
    {
        fake = std::make_unique<FakeConnection>(version, info);
        if (version >= 40100) {
            fake->Answer(
                "SELECT @@CHARACTER_SET_SERVER", FakeResult {{Field("@@c", FieldType::VarString)}, {{"utf8mb4"}}});
            fake->Answer(
                "SELECT @@CHARACTER_SET_DATABASE", FakeResult {{Field("@@c", FieldType::VarString)}, {{" latin1 "}}});
        }
    }

    // A table as the server shows it; `quoted` is the name as statements carry it.
    void AddTable(const std::string& name, const std::string& quoted, const std::string& definition,
        std::vector<FieldInfo> fields, std::vector<Values> rows)
    {
        fake->Answer("SHOW CREATE TABLE " + quoted,
            FakeResult {{Field("Table", 253), Field("Create Table", 253)}, {{name, definition}}});
        fake->Answer("SHOW TABLE STATUS LIKE '" + name + "'",
            FakeResult {{Field("Name", 253), Field("Engine", 253)}, {{name, "InnoDB"}}});
        fake->SetFields(name, fields);
        fake->Answer("SELECT * FROM " + quoted, FakeResult {fields, std::move(rows)});
    }

    void AddItemsTable(std::vector<Values> rows)
    {
        AddTable("items", "`items`", "CREATE TABLE `items` (\n  `id` int(11) NOT NULL,\n  `name` varchar(20)\n)",
            {Field("id", FieldType::Long, FieldFlag::NotNull | FieldFlag::PrimaryKey, 11),
                Field("name", FieldType::VarString)},
            std::move(rows));
    }

    static TableItem Table(const std::string& name, std::uint8_t kind = 1) { return TableItem {2, kind, "shop", name}; }

    void ChooseTables(std::vector<TableItem> tables) { task.databases = {DatabaseItem {2, "shop", std::move(tables)}}; }

    Connector MakeConnector()
    {
        return [this](const ServerConnection& settings) -> ConnectResult {
            connectedTo.push_back(settings.host);
            if (refuse)
                return *refuse;
            return std::unique_ptr<Connection>(std::make_unique<ForwardingConnection>(*fake, script));
        };
    }

    RunOutcome Run()
    {
        context = std::make_unique<FakeRunContext>(task, dir.path());
        return RunBackupToFiles(*context, MakeConnector());
    }

    // A run whose cancellation check answers true from the given check on.
    RunOutcome RunQuittingAfter(std::size_t checks)
    {
        context = std::make_unique<FakeRunContext>(task, dir.path());
        context->QuitAfterChecks(checks);
        return RunBackupToFiles(*context, MakeConnector());
    }

    // A run through the given sink; `prepare` sees the context before the run starts.
    RunOutcome RunWith(FileSink& sink, const std::function<void(FakeRunContext&)>& prepare = {})
    {
        context = std::make_unique<FakeRunContext>(task, dir.path());
        if (prepare)
            prepare(*context);
        return RunBackupToFiles(*context, MakeConnector(), sink);
    }

    std::vector<std::string> LogTexts() const { return context->LogTexts(); }

    TempDir dir;
    Task task;
    std::unique_ptr<FakeConnection> fake;
    ForwardingConnection::Script script;
    std::vector<std::string> connectedTo;
    std::optional<ConnectError> refuse;
    std::unique_ptr<FakeRunContext> context;
};

} // namespace kelvanto::test
