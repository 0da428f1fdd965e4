// The export worker against a scripted connection: its log lines, what each failure skips,
// the files it leaves, and a stop at every cancellation check.
#include "engines/export/ExportTables.h"

#include "engines/io/CompressedInput.h"
#include "tests/engines/backup/BackupToFilesFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvanto::test
{
namespace
{

class ExportTablesTest : public ::testing::Test
{
public:
    ExportTablesTest()
    {
        task.type = TaskType::ExportTables;
        task.source.host = "db.example";
        task.exportSettings.fileType = 1;
        task.exportSettings.directory = (dir.path() / "out").string() + "/";
        task.exportSettings.fieldsTerminatedBy = ",";
        task.exportSettings.fieldsEnclosedBy = "\"";
        task.exportSettings.linesTerminatedBy = "\n";
        task.exportSettings.columnNamesOnTop = 1;
        const std::vector<FieldInfo> fields {Field("id", FieldType::Long), Field("name", FieldType::VarString)};
        fake.SetFields("items", fields);
        fake.Answer("SELECT * FROM `items`", FakeResult {fields, {{"1", "a"}, {"2", std::nullopt}}});
        task.exportTables = {TableItem {2, 1, "shop", "items"}};
    }

    RunOutcome Run(std::size_t quitAfterChecks = SIZE_MAX)
    {
        context = std::make_unique<FakeRunContext>(task, dir.path());
        if (quitAfterChecks != SIZE_MAX)
            context->QuitAfterChecks(quitAfterChecks);
        const Connector connector = [this](const ServerConnection&) -> ConnectResult {
            if (refuse)
                return *refuse;
            return std::unique_ptr<Connection>(std::make_unique<ForwardingConnection>(fake, script));
        };
        return RunExportTables(*context, connector);
    }

    std::string File(const std::string& name) const { return ReadFile(dir.path() / "out" / name); }

    TempDir dir;
    Task task;
    FakeConnection fake;
    ForwardingConnection::Script script;
    std::optional<ConnectError> refuse;
    std::unique_ptr<FakeRunContext> context;
};

TEST_F(ExportTablesTest, EachEntryIsLoggedAndWrittenToItsOwnFile)
{
    fake.FailSelect("gone", 1049, "Unknown database 'gone'");
    task.exportTables.push_back(TableItem {2, 2, "gone", "v"});
    task.exportTables.push_back(TableItem {2, 1, "shop", "missing"});
    task.exportTables.push_back(TableItem {2, 1, "shop", "items"});
    ASSERT_EQ(Run(), RunOutcome::Finished);
    const std::string out = (dir.path() / "out").string();
    EXPECT_EQ(context->LogText(),
        "Connecting to the source MySQL server (db.example)... \n"
        "Successfully connected to the MySQL server!  MySQL version: 10.6.11-MariaDB\n"
        "Exporting 4 selected tables and views...\n"
        "Exporting the table shop.items to "
            + out
            + "/shop_items.csv ...\n"
              "Exported 2 records from the table shop.items\n"
              "Exporting the view gone.v to "
            + out
            + "/gone_v.csv ...\n"
              "Can't use database (gone)!\n"
              "Exporting the table shop.missing to "
            + out
            + "/shop_missing.csv ...\n"
              "Failed to list fields!\n"
              "Exporting the table shop.items to "
            + out
            + "/shop_items.csv ...\n"
              "Exported 2 records from the table shop.items\n"
              "Exported 2 tables and views\n"
              "Finished\n");
    EXPECT_EQ(File("shop_items.csv"), "\"id\",\"name\"\n\"1\",\"a\"\n\"2\",\"\"\n");
    EXPECT_EQ(context->ProgressReports().back(), (RunProgress {"shop.items", 2, 0}));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "out" / "gone_v.csv"));
    EXPECT_EQ(File("shop_missing.csv"), "");
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "Data"));
    EXPECT_EQ(fake.CountOf("SET NAMES 'latin1'"), 0);
}

TEST_F(ExportTablesTest, CompressedExportsCarryTheSuffixAndDecompressToThePlainFile)
{
    for (const auto& [kind, suffix] : {std::pair {Compression::Zstd, ".zst"}, std::pair {Compression::Gzip, ".gz"}}) {
        SCOPED_TRACE(suffix);
        task.extras.compression = kind;
        ASSERT_EQ(Run(), RunOutcome::Finished);
        const std::string path = (dir.path() / "out" / "shop_items.csv").string() + suffix;
        std::string decoded;
        const Result<DecodedFile> file = DecodeFile(path, [&](std::string_view piece) { decoded += piece; });
        ASSERT_TRUE(file.ok()) << file.error();
        EXPECT_EQ(file->compression, kind);
        EXPECT_EQ(decoded, "\"id\",\"name\"\n\"1\",\"a\"\n\"2\",\"\"\n");
    }
}

TEST_F(ExportTablesTest, FailuresThatEndTheRunOrTheEntry)
{
    struct Row
    {
        const char* name;
        std::function<void(ExportTablesTest&)> setUp;
        RunOutcome outcome;
        std::string lastLines; // the log's last two lines
    };
    const Row rows[] = {
        {"empty list", [](ExportTablesTest& t) { t.task.exportTables.clear(); }, RunOutcome::Failed,
            "|There are not any tables or views in the export queue!"},
        {"empty directory", [](ExportTablesTest& t) { t.task.exportSettings.directory.clear(); }, RunOutcome::Failed,
            "|Export directory name is empty!"},
        {"connection refused",
            [](ExportTablesTest& t) {
                t.refuse = ConnectError {2003, "Can't connect"};
            },
            RunOutcome::Failed,
            "Connecting to the source MySQL server (db.example)... |Failed to connect to the MySQL server!  Error NO. "
            "2003  Can't connect"},
        {"query refused", [](ExportTablesTest& t) { t.fake.Fail("SELECT * FROM `items`", 1142, "denied"); },
            RunOutcome::Finished, "Failed to select all records!|Exported 0 tables and views"},
        {"no result set", [](ExportTablesTest& t) { t.fake.Answer("SELECT * FROM `items`", {}); }, RunOutcome::Finished,
            "Exported 0 records from the table shop.items|Exported 1 tables and views"},
        {"file cannot be created",
            [](ExportTablesTest& t) { t.task.exportSettings.directory = (t.dir.path() / "no" / "such").string(); },
            RunOutcome::Failed,
            "Failed to create the export file - " + (dir.path() / "no" / "such" / "shop_items.csv").string()
                + "! - Cannot open the folder " + (dir.path() / "no" / "such").string()
                + ": No such file or directory|Exported 0 tables and views"},
        {"read refused after a row",
            [](ExportTablesTest& t) {
                t.script.failReadAfterRows["SELECT * FROM `items`"] = 1;
                t.script.readError = {1317, "Query execution was interrupted"};
            },
            RunOutcome::Finished,
            "Failed to read the records of the table items!  Error NO. 1317  Query execution was interrupted|Exported "
            "0 "
            "tables and views"},
        // A lost connection ends the run at once: the runner reports it failed.
        {"connection lost after a row",
            [](ExportTablesTest& t) { t.script.failReadAfterRows["SELECT * FROM `items`"] = 1; }, RunOutcome::Cancelled,
            "Exporting the table shop.items to " + (dir.path() / "out" / "shop_items.csv").string()
                + " ...|Lost the connection to the MySQL server!  Error NO. 2013  Lost connection to MySQL server "
                  "during "
                  "query"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ExportTablesTest& t = *this;
        t.fake = FakeConnection();
        t.script = {};
        t.refuse.reset();
        const std::vector<FieldInfo> fields {Field("id", FieldType::Long)};
        t.fake.SetFields("items", fields);
        t.fake.Answer("SELECT * FROM `items`", FakeResult {fields, {{"1"}, {"2"}}});
        t.task.exportTables = {TableItem {2, 1, "shop", "items"}};
        t.task.exportSettings.directory = (dir.path() / "out").string() + "/";
        row.setUp(t);
        ASSERT_EQ(Run(), row.outcome);
        std::vector<std::string> log = context->LogTexts();
        if (!log.empty() && log.back() == "Finished")
            log.pop_back();
        log.insert(log.begin(), "");
        EXPECT_EQ(log[log.size() - 2] + "|" + log.back(), row.lastLines);
    }
}

// A stop at any check ends the run as cancelled: no "Finished", the connection closed and
// unregistered, and no export file left open.
TEST_F(ExportTablesTest, StopAtEveryCheckEndsTheRun)
{
    task.exportTables.push_back(TableItem {2, 2, "shop", "items"});
    ASSERT_EQ(Run(), RunOutcome::Finished);
    const std::size_t checks = context->QuitChecks();
    ASSERT_GT(checks, 12u);
    for (std::size_t at = 0; at < checks; ++at) {
        SCOPED_TRACE(at);
        ASSERT_EQ(Run(at), RunOutcome::Cancelled);
        EXPECT_EQ(context->QuitChecks(), at + 1);
        EXPECT_TRUE(context->Registered().empty());
        const std::vector<std::string> log = context->LogTexts();
        EXPECT_EQ(std::find(log.begin(), log.end(), "Finished"), log.end());
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            const auto target = std::filesystem::read_symlink(entry.path(), error);
            EXPECT_EQ(target.string().find(dir.path().string()), std::string::npos) << target;
        }
    }
}

} // namespace
} // namespace kelvanto::test
