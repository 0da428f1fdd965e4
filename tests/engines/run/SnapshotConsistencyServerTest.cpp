// One snapshot for the whole run: a writer moves an amount from a table of one database to a
// table of another in one transaction, at the moment the run has read the first table and is
// about to read the second (a hook in the source connection, so the timing is fixed, not
// lucky). With consistentSnapshot the restored total is the invariant; without it the backup
// holds the amount twice, which shows that the test can fail. For a dump restored with the
// stock client, for a copy and for an export to text files.
#include "engines/export/ExportFileName.h"
#include "engines/export/ExportTables.h"
#include "mysql/MySqlLibrary.h"
#include "mysql/OpenConnection.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/RoundTripEngine.h"
#include "tests/support/ServerSession.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <variant>

namespace kelvanto::test
{
namespace
{

// A real connection whose statements pass through unchanged; `before` is called once, before
// the first row read (SELECT ... FROM) in database `database`.
class HookedConnection : public Connection
{
public:
    HookedConnection(std::unique_ptr<Connection> real, std::string database, std::function<void()> before)
        : m_real(std::move(real))
        , m_database(std::move(database))
        , m_before(std::move(before))
    { }

    bool Query(std::string_view sql) override
    {
        if (m_before && m_current == m_database && sql.rfind("SELECT ", 0) == 0
            && sql.find(" FROM `acct`") != std::string_view::npos) {
            m_before();
            m_before = nullptr;
        }
        return m_real->Query(sql);
    }
    bool SendQuery(std::string_view sql) override { return m_real->SendQuery(sql); }
    bool ReadQueryResult() override { return m_real->ReadQueryResult(); }
    bool DiscardResults() override { return m_real->DiscardResults(); }
    std::unique_ptr<ResultSet> StoreResult() override { return m_real->StoreResult(); }
    std::unique_ptr<ResultSet> UseResult() override { return m_real->UseResult(); }
    std::unique_ptr<ResultSet> ListFields(std::string_view table) override { return m_real->ListFields(table); }
    std::optional<std::vector<std::string>> ListDatabases() override { return m_real->ListDatabases(); }
    std::optional<std::vector<std::string>> ListTables() override { return m_real->ListTables(); }
    bool SelectDatabase(std::string_view name) override
    {
        m_current = std::string(name);
        return m_real->SelectDatabase(name);
    }
    void AppendEscaped(std::string& out, std::string_view value) override { m_real->AppendEscaped(out, value); }
    unsigned long ServerVersion() const override { return m_real->ServerVersion(); }
    std::string ServerInfo() const override { return m_real->ServerInfo(); }
    unsigned ErrorNumber() const override { return m_real->ErrorNumber(); }
    std::string ErrorText() const override { return m_real->ErrorText(); }
    void Cancel() noexcept override { m_real->Cancel(); }

private:
    std::unique_ptr<Connection> m_real;
    std::string m_database;
    std::string m_current;
    std::function<void()> m_before;
};

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

enum class Kind { Dump, Copy, Export };

struct Row
{
    const char* name;
    Kind kind;
    bool snapshot;
    const char* total; // of both tables, as restored
};

void PrintTo(const Row& row, std::ostream* os)
{
    *os << row.name;
}

class SnapshotConsistency : public ::testing::TestWithParam<Row>
{ };

TEST_P(SnapshotConsistency, RestoredTotal)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    const Row& row = GetParam();
    const bool copy = row.kind == Kind::Copy;
    RoundTripDatabase first("kv_snap_a", {source, target});
    RoundTripDatabase second("kv_snap_b", {source, target});
    const std::string a = QuoteName(first.name());
    const std::string b = QuoteName(second.name());
    std::string output;
    ASSERT_EQ(RunMariadbClient(source,
                  "CREATE DATABASE " + a + "; CREATE DATABASE " + b
                      + ";\n"
                        "CREATE TABLE "
                      + a
                      + ".acct (id INT PRIMARY KEY, amount INT) ENGINE=InnoDB;\n"
                        "CREATE TABLE "
                      + b
                      + ".acct (id INT PRIMARY KEY, amount INT) ENGINE=InnoDB;\n"
                        "CREATE TABLE "
                      + a
                      + ".notes (id INT) ENGINE=MyISAM;\n"
                        "INSERT INTO "
                      + a + ".acct VALUES (1, 100); INSERT INTO " + b + ".acct VALUES (1, 100);\n",
                  &output),
        0)
        << output;

    // The transfer, on a session of its own, between the reads of the two tables.
    std::unique_ptr<Connection> writer = Open(SettingsFor(source));
    ASSERT_TRUE(writer);
    // A lock held by the run would make the writer wait: it gives up instead of hanging the test.
    writer->Query("SET SESSION lock_wait_timeout = 5");
    writer->Query("SET SESSION innodb_lock_wait_timeout = 5");
    bool transferred = false;
    const auto transfer = [&] {
        transferred = writer->Query("START TRANSACTION")
            && writer->Query("UPDATE " + a + ".acct SET amount = amount - 30")
            && writer->Query("UPDATE " + b + ".acct SET amount = amount + 30") && writer->Query("COMMIT");
    };
    const Connector real = MakeMariaDbConnector();
    const Connector hooked = [&](const ServerConnection& settings) -> ConnectResult {
        ConnectResult result = real(settings);
        auto* connection = std::get_if<std::unique_ptr<Connection>>(&result);
        if (settings.port != source.port || !connection || !*connection)
            return result;
        return std::make_unique<HookedConnection>(std::move(*connection), second.name(), transfer);
    };

    // The binary log file before the run: FLUSH LOGS, sent before the snapshot, moves on from it.
    const bool binaryLog = FirstValue(*writer, "SELECT @@log_bin") == "1";
    const std::string fileBefore = binaryLog ? FirstValue(*writer, "SHOW MASTER STATUS") : "";
    std::vector<DatabaseItem> databases;
    for (const RoundTripDatabase* database : {&first, &second})
        databases.push_back(DatabaseItem {2, database->name(), ListObjectsForTask(source, database->name())});
    TempDir dir;
    EngineDump run;
    if (row.kind == Kind::Export) {
        // Each account table to a text file of its own; the total is read back from the files.
        Task task;
        task.type = TaskType::ExportTables;
        task.source = SettingsFor(source);
        task.extras.consistentSnapshot = row.snapshot;
        task.exportSettings.fileType = 4;
        task.exportSettings.directory = (dir.path() / "exports").string();
        task.exportSettings.fieldsTerminatedBy = "\t";
        task.exportSettings.linesTerminatedBy = "\n";
        for (const RoundTripDatabase* database : {&first, &second})
            task.exportTables.push_back(TableItem {2, 1, database->name(), "acct"});
        FakeRunContext context(task, dir.path());
        InitMySqlLibrary();
        run.outcome = RunExportTables(context, hooked);
        run.log = context.LogLines();
        int total = 0;
        for (std::size_t i = 0; i < task.exportTables.size(); ++i) {
            const std::string text = ReadBytes(BuildExportFileName(task.exportSettings, task.exportTables, i));
            total += std::stoi(text.substr(text.find('\t') + 1));
        }
        ASSERT_EQ(run.outcome, RunOutcome::Finished) << run.logText();
        ASSERT_TRUE(transferred) << writer->ErrorText();
        const std::string log = run.logText();
        EXPECT_EQ(log.find("Opened a consistent snapshot of the source server") != std::string::npos, row.snapshot)
            << log;
        EXPECT_EQ(std::to_string(total), row.total);
        return;
    }
    if (copy) {
        Task task = MakeCopyTask(TaskType::BackupToServer, source, target, databases);
        task.extras.consistentSnapshot = row.snapshot;
        task.backupSettings.flushLogs = 1;
        task.backupSettings.flushTables = 1; // ends a snapshot: must not be sent with one
        run = RunCopyEngine(task, hooked);
    } else {
        Task task = MakeDumpTask(source, first.name(), databases[0].tables, dir.path(), 1, false);
        task.databases.push_back(databases[1]);
        task.extras.consistentSnapshot = row.snapshot;
        task.backupSettings.flushLogs = 1;
        task.backupSettings.flushTables = 1;
        // Would end a snapshot too; without one it would hold the writer up until the read is done.
        task.backupSettings.lockTables = row.snapshot ? 1 : 0;
        run = RunDumpEngine(task, dir.path() / "data", hooked);
    }
    ASSERT_EQ(run.outcome, RunOutcome::Finished) << run.logText();
    EXPECT_EQ(run.errors(), "");
    ASSERT_TRUE(transferred) << writer->ErrorText();
    if (!copy) {
        ASSERT_TRUE(first.DropOn(target) && second.DropOn(target));
        for (const std::string& file : run.files)
            ASSERT_EQ(RunMariadbClientOnFile(target, file, &output), 0) << output;
        ASSERT_EQ(run.files.size(), 1u);
    }
    const std::string log = run.logText();
    const std::string header = copy ? std::string() : ReadBytes(run.files[0]);
    EXPECT_EQ(header.find("-- Consistent snapshot") != std::string::npos, row.snapshot && !copy);
    if (row.snapshot && binaryLog) {
        // The position of the snapshot, in the newest file, in the log and in the dump's header.
        const std::string fileAfter = FirstValue(*writer, "SHOW MASTER STATUS");
        EXPECT_NE(fileAfter, fileBefore);
        EXPECT_NE(
            log.find("Opened a consistent snapshot of the source server at binary log " + fileAfter + ", position "),
            std::string::npos)
            << log;
        if (!copy) {
            EXPECT_NE(
                header.find("-- Consistent snapshot at binary log " + fileAfter + ", position "), std::string::npos);
            // And in the run's manifest, when the run wrote one.
            const std::string manifest = ReadBytes(run.files[0] + ".manifest.json");
            EXPECT_TRUE(manifest.find("\"file\": \"" + fileAfter + "\"") != std::string::npos
                || manifest.find("\"file\":\"" + fileAfter + "\"") != std::string::npos)
                << manifest;
        }
    } else if (row.snapshot) {
        EXPECT_NE(log.find("The binary log of the source server is off"), std::string::npos) << log;
    }
    EXPECT_EQ(log.find("FLUSH TABLE is not sent") != std::string::npos, row.snapshot) << log;
    EXPECT_EQ(log.find("not transactional, so the snapshot does not cover them: " + first.name() + ".notes")
            != std::string::npos,
        row.snapshot)
        << log;

    std::unique_ptr<Connection> check = Open(SettingsFor(target));
    ASSERT_TRUE(check);
    EXPECT_EQ(FirstValue(*check, "SELECT (SELECT amount FROM " + a + ".acct) + (SELECT amount FROM " + b + ".acct)"),
        row.total);
}

INSTANTIATE_TEST_SUITE_P(Runs, SnapshotConsistency,
    ::testing::Values(Row {"DumpWithSnapshot", Kind::Dump, true, "200"},
        Row {"DumpWithoutSnapshot", Kind::Dump, false, "230"}, Row {"CopyWithSnapshot", Kind::Copy, true, "200"},
        Row {"CopyWithoutSnapshot", Kind::Copy, false, "230"}, Row {"ExportWithSnapshot", Kind::Export, true, "200"},
        Row {"ExportWithoutSnapshot", Kind::Export, false, "230"}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace kelvanto::test
