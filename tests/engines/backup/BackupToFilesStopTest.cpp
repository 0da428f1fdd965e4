#include "engines/backup/BackupToFiles.h"
#include "model/Version.h"

#include "engines/sql/WorkingList.h"
#include "tests/engines/backup/BackupToFilesFixture.h"
#include "tests/support/PerPieceFileSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace kelvanto::test
{
namespace
{

using BackupToFilesStopTest = BackupToFilesFixture;

bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST_F(BackupToFilesStopTest, EarlyStopsLogTheirErrorAndRecordNothing)
{
    const std::string unwritable = (dir.path() / "missing" / "dump.sql").string();
    struct Row
    {
        const char* name;
        std::function<void(Task&, std::optional<ConnectError>&)> setUp;
        std::vector<std::string> log;
    };
    const Row rows[] = {
        {"no databases", [](Task& t, auto&) { t.databases.clear(); },
            {"There are not any databases in the backup queue!"}},
        {"empty backup folder",
            [](Task& t, auto&) {
                t.backupSettings.fileMode = 2;
                t.backupSettings.backupFolder.clear();
            },
            {"Backup directory name is empty!"}},
        {"connection refused",
            [](Task&, std::optional<ConnectError>& refused) {
                refused = ConnectError {2003, "Can't connect to MySQL server on 'localhost' (111)"};
            },
            {"Connecting to the source MySQL server (localhost)... ",
                "Failed to connect to the MySQL server!  Error NO. 2003  Can't connect to MySQL server on 'localhost' "
                "(111)"}},
        {"single file cannot be created", [&](Task& t, auto&) { t.backupSettings.singleFilePath = unwritable; },
            {"Connecting to the source MySQL server (localhost)... ",
                "Successfully connected to the MySQL server!  MySQL version: 10.6.11-MariaDB",
                "Backing up the selected databases and tables...",
                "Failed to create the backup file! - " + unwritable + " - Cannot open the folder "
                    + std::filesystem::path(unwritable).parent_path().string() + ": No such file or directory"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ChooseTables({Table("items")});
        AddItemsTable({{"1", "a"}});
        refuse.reset();
        task.backupSettings = BackupSettings {};
        task.backupSettings.fileMode = 1;
        task.backupSettings.singleFilePath = DumpPath().string();
        row.setUp(task, refuse);

        EXPECT_EQ(Run(), RunOutcome::Failed);
        EXPECT_EQ(LogTexts(), row.log);
        EXPECT_EQ(context->LogLines().back().level, LogLevel::Error);
        EXPECT_TRUE(context->task().backupHistory.empty());
        EXPECT_TRUE(context->Registered().empty());
    }
}

// A stop request honoured at any of the run's checks ends the run as cancelled: no
// "Finished", no history entry, the connection unregistered, the file left as written.
TEST_F(BackupToFilesStopTest, CancellationAtEveryCheckEndsTheRun)
{
    task.backupSettings.multiRowInsert = 1;
    ChooseTables({Table("items"), Table("more")});
    std::vector<Values> rows;
    for (int i = 0; i < 12; ++i)
        rows.push_back({std::to_string(i), "n"});
    AddItemsTable(rows);
    AddTable("more", "`more`", "CREATE TABLE `more` (`x` int)", {Field("x", FieldType::Long)}, {{"5"}});

    ASSERT_EQ(Run(), RunOutcome::Finished);
    const std::size_t checks = context->QuitChecks();
    ASSERT_GT(checks, 14u); // at least one per row
    const std::string complete = ReadFile(DumpPath());

    for (std::size_t quitAt = 0; quitAt < checks; ++quitAt) {
        SCOPED_TRACE(quitAt);
        // The same stop through a writer that opens the file for every piece.
        std::filesystem::remove(DumpPath());
        PerPieceFileSink perPiece;
        ASSERT_EQ(
            RunWith(perPiece, [quitAt](FakeRunContext& run) { run.QuitAfterChecks(quitAt); }), RunOutcome::Cancelled);
        const bool perPieceExists = std::filesystem::exists(DumpPath());
        const std::string perPieceBytes = ReadFile(DumpPath());
        const std::vector<std::string> perPieceLog = LogTexts();

        std::filesystem::remove(DumpPath());
        ASSERT_EQ(RunQuittingAfter(quitAt), RunOutcome::Cancelled);
        EXPECT_FALSE(Contains(LogTexts(), "Finished"));
        EXPECT_TRUE(context->task().backupHistory.empty());
        EXPECT_TRUE(context->Registered().empty());
        EXPECT_EQ(LogTexts(), perPieceLog);
        // A stopped dump is not whole: it never takes its name, and its temporary file goes.
        EXPECT_FALSE(std::filesystem::exists(DumpPath()));
        EXPECT_EQ(PartialsLeft(), std::vector<std::string>());
        if (perPieceExists) {
            // What was written is a whole-statement beginning of the complete dump, exactly
            // what the per-piece writer leaves.
            const std::string partial = perPieceBytes;
            EXPECT_EQ(complete.compare(0, partial.size(), partial), 0);
            EXPECT_TRUE(partial.empty() || partial.back() == '\n');
        }
    }
}

TEST_F(BackupToFilesStopTest, BrokenReadsAndUnknownColumnsEndOnlyTheirTable)
{
    task.backupSettings.addLockTables = 0;
    task.backupSettings.disableKeys = 0;
    ChooseTables({Table("items"), Table("odd"), Table("more")});
    AddItemsTable({{"1", "a"}, {"2", "b"}, {"3", "c"}});
    AddTable(
        "odd", "`odd`", "CREATE TABLE `odd` (`g` int)", {Field("x", FieldType::Long), Field("g", 99)}, {{"1", "?"}});
    AddTable("more", "`more`", "CREATE TABLE `more` (`x` int)", {Field("x", FieldType::Long)}, {{"5"}});
    script.failReadAfterRows["SELECT * FROM `items`"] = 1;
    // A read error that leaves the connection standing (a lost one ends the run).
    script.readError = {1159, "Got timeout reading communication packets"};

    ASSERT_EQ(Run(), RunOutcome::Finished);
    const std::vector<std::string> log = LogTexts();
    // Reading "items" breaks after one row: it must not be reported as backed up.
    EXPECT_TRUE(Contains(log,
        "Failed to read the records of the table items!  Error NO. 1159  Got timeout reading communication "
        "packets"));
    EXPECT_EQ(std::count(log.begin(), log.end(), "Backup the records from the table OK - 1 records"), 1);
    const auto oddError = std::find_if(log.begin(), log.end(), [](const std::string& line) {
        return line.rfind("Failed to back up the records of the table odd! - ", 0) == 0;
    });
    ASSERT_NE(oddError, log.end());
    EXPECT_NE(oddError->find("g"), std::string::npos);
    EXPECT_TRUE(Contains(log, "Backup the records from the table OK - 1 records")); // "more"
    EXPECT_EQ(log.back(), "Finished");

    const std::string text = ReadFile(DumpPath());
    EXPECT_EQ(CountOf(text, "INSERT INTO `items` VALUES (1,'a');\n"), 1);
    EXPECT_EQ(CountOf(text, "INSERT INTO `odd`"), 0);
    EXPECT_EQ(CountOf(text, "INSERT INTO `more` VALUES (5);\n"), 1);
}

// A sink that refuses every piece containing a given text, as a full disk would.
class RefusingSink : public FileSink
{
public:
    explicit RefusingSink(std::string refused)
        : m_refused(std::move(refused))
    { }
    bool Append(const std::string& path, std::string_view text) override
    {
        if (text.find(m_refused) != std::string_view::npos)
            return false;
        return FileSink::Append(path, text);
    }

private:
    std::string m_refused;
};

TEST_F(BackupToFilesStopTest, AFailedWriteEndsTheTableAndTheRunGoesOn)
{
    task.databases = {DatabaseItem {2, "gone", {TableItem {2, 1, "gone", "x"}}},
        DatabaseItem {2, "shop", {Table("items"), Table("more")}}};
    fake->FailSelect("gone", 1049, "Unknown database 'gone'");
    AddItemsTable({{"1", "a"}});
    AddTable("more", "`more`", "CREATE TABLE `more` (`x` int)", {Field("x", FieldType::Long)}, {{"5"}});
    RefusingSink sink("INSERT INTO `items`");

    // The file is not whole: the run fails, after the other tables were tried.
    ASSERT_EQ(RunWith(sink), RunOutcome::Failed);
    const std::vector<std::string> log = LogTexts();
    EXPECT_TRUE(Contains(log, "Failed to use database gone  Error NO. 1049  Unknown database 'gone'"));
    EXPECT_TRUE(Contains(log, "Failed to write a record to the backup file! - " + DumpPath().string()));
    const std::string text = ReadFile(DumpPath());
    EXPECT_EQ(CountOf(text, "UNLOCK TABLES;\n"), 1); // only "more" got to its end
    EXPECT_EQ(CountOf(text, "INSERT INTO `more` VALUES (5);\nUNLOCK TABLES;\n"), 1);
    EXPECT_TRUE(context->task().backupHistory.empty());
}

TEST_F(BackupToFilesStopTest, FilePerTableLayoutWritesEachTableAndViewIntoItsOwnFile)
{
    task.backupSettings.fileMode = 2;
    task.backupSettings.fileSplit = 3;
    task.backupSettings.backupFolder = (dir.path() / "backups").string() + "/";
    task.backupSettings.fileNameFormat = "%DATABASE%_%TABLE%";
    task.backupSettings.newFolderPerRun = 1;
    ChooseTables({Table("items"), Table("v", 2)});
    AddItemsTable({{"1", "a"}});
    const std::vector<FieldInfo> viewColumns {Field("View", 253), Field("Create View", 253)};
    script.sequences["SHOW CREATE TABLE `v`"] = {
        FakeResult {viewColumns, {{"v", "CREATE VIEW `v` AS select 1 AS `one`"}}},
        FakeResult {
            {Field("Table", 253), Field("Create Table", 253)}, {{"v", "CREATE TEMPORARY TABLE `v` (`one` int)"}}},
        FakeResult {viewColumns, {{"v", "CREATE VIEW `v` AS select 1 AS `one`"}}},
    };
    fake->SetFields("v", {Field("one", FieldType::Long)});

    ASSERT_EQ(Run(), RunOutcome::Finished);
    const std::string folder = (dir.path() / "backups" / "2024-01-02_03-04-05").string();
    const Task stored = context->task();
    ASSERT_EQ(stored.backupHistory.size(), 1u);
    EXPECT_EQ(stored.backupHistory[0].folder, folder);
    EXPECT_EQ(
        stored.backupHistory[0].files, (std::vector<std::string> {folder + "/shop_items.sql", folder + "/shop_v.sql"}));

    const std::string epilogueStart = "SET TIME_ZONE=@OLD_TIME_ZONE;\n";
    const std::string items = ReadFile(folder + "/shop_items.sql");
    EXPECT_EQ(CountOf(items, "-- Kelvanto Standard Edition " KELVANTO_SHORT_VERSION "\n"), 1);
    EXPECT_EQ(CountOf(items, "ALTER TABLE `items` ENABLE KEYS;\n" + epilogueStart), 1);
    EXPECT_EQ(CountOf(items, "`v`"), 0);
    const std::string view = ReadFile(folder + "/shop_v.sql");
    EXPECT_EQ(CountOf(view,
                  "DROP VIEW IF EXISTS `v`;\nDROP TABLE IF EXISTS `v`;\nCREATE TABLE `v` (`one` int);\n"
                  "DROP TABLE IF EXISTS `v`;\nDROP VIEW IF EXISTS `v`;\nCREATE VIEW `v` AS select 1 AS `one`;\n"
                      + epilogueStart),
        1)
        << view;
}

TEST_F(BackupToFilesStopTest, FilePerDatabaseLayoutStartsAFileForEachDatabase)
{
    task.backupSettings.fileMode = 2;
    task.backupSettings.fileSplit = 2;
    task.backupSettings.fileType = 2;
    task.backupSettings.backupFolder = dir.path().string() + "/";
    task.backupSettings.fileNameFormat = "%HOST%-%DATABASE%";
    task.databases
        = {DatabaseItem {2, "shop", {Table("items")}}, DatabaseItem {0, "skipped", {}}, DatabaseItem {2, "empty", {}}};

    AddItemsTable({{"1", "a"}});
    ASSERT_EQ(Run(), RunOutcome::Finished);
    const std::string prefix = dir.path().string() + "/localhost-";
    EXPECT_EQ(context->task().backupHistory.at(0).files,
        (std::vector<std::string> {prefix + "shop.php", prefix + "empty.php"}));
    EXPECT_FALSE(std::filesystem::exists(prefix + "skipped.php"));
    for (const char* name : {"shop", "empty"}) {
        SCOPED_TRACE(name);
        const std::string text = ReadFile(prefix + name + ".php");
        EXPECT_EQ(CountOf(text, "  $conn = mysql_connect("), 1);
        EXPECT_EQ(text.substr(text.size() - 3), "?>\n");
    }
}

TEST(BackupToFilesWorkingListTest, NewDatabasesAndTablesJoinTheChosenList)
{
    const std::vector<DatabaseItem> chosen {DatabaseItem {1, "a", {TableItem {2, 1, "a", "t1"}}}};
    const std::vector<DatabaseItem> server {
        DatabaseItem {2, "A", {TableItem {2, 1, "A", "x"}}},
        DatabaseItem {2, "a", {TableItem {2, 1, "a", "t1"}, TableItem {2, 2, "a", "t2"}}},
    };
    struct Row
    {
        const char* name;
        bool newDatabases, newTables;
        std::vector<std::string> expected; // database:table ...
    };
    const Row rows[] = {
        {"neither", false, false, {"a:t1"}},
        {"new tables", false, true, {"a:t1", "a:t2"}},
        {"new databases (names are case-sensitive)", true, false, {"a:t1", "A:x"}},
        {"both", true, true, {"a:t1", "a:t2", "A:x"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> flat;
        for (const DatabaseItem& database : MergeWorkingList(chosen, server, row.newDatabases, row.newTables)) {
            EXPECT_NE(database.checkState, 0);
            for (const TableItem& table : database.tables)
                flat.push_back(database.name + ":" + table.name);
        }
        EXPECT_EQ(flat, row.expected);
    }
}

} // namespace
} // namespace kelvanto::test
