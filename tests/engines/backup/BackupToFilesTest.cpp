#include "engines/backup/BackupToFiles.h"
#include "model/Version.h"

#include "engines/backup/DumpWriter.h"
#include "tests/engines/backup/BackupToFilesFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvanto::test
{
namespace
{

using BackupToFilesTest = BackupToFilesFixture;

TEST_F(BackupToFilesTest, SingleSqlFileHoldsHeaderPrologueTableRecordsAndEpilogue)
{
    task.backupSettings.unixLineEnds = 0;
    ChooseTables({Table("items")});
    AddItemsTable({{"1", "a"}, {"2", std::nullopt}});

    ASSERT_EQ(Run(), RunOutcome::Finished);

    EXPECT_EQ(ReadFile(DumpPath()),
        "-- Kelvanto Standard Edition " KELVANTO_SHORT_VERSION "\r\n"
        "--\r\n"
        "-- Host: localhost\r\n"
        "--\r\n"
        "-- MySQL Server Version: 10.6.11-MariaDB\r\n"
        "--\r\n"
        "-- 2024-01-02 03:04:05\r\n"
        "--\r\n"
        "-- ------------------------------------------------------\r\n"
        "\r\n"
        "SET @OLD_CHARACTER_SET_CLIENT=@@CHARACTER_SET_CLIENT;\r\n"
        "SET @OLD_CHARACTER_SET_RESULTS=@@CHARACTER_SET_RESULTS;\r\n"
        "SET @OLD_CHARACTER_SET_CONNECTION=@@CHARACTER_SET_CONNECTION;\r\n"
        "SET @OLD_COLLATION_CONNECTION=@@COLLATION_CONNECTION;\r\n"
        "SET CHARACTER_SET_CLIENT='utf8mb4';\r\n"
        "SET CHARACTER_SET_RESULTS='utf8mb4';\r\n"
        "SET CHARACTER_SET_CONNECTION='utf8mb4';\r\n"
        "SET NAMES 'utf8mb4';\r\n"
        "SET @OLD_UNIQUE_CHECKS=@@UNIQUE_CHECKS;\r\n"
        "SET UNIQUE_CHECKS=0;\r\n"
        "SET @OLD_FOREIGN_KEY_CHECKS=@@FOREIGN_KEY_CHECKS;\r\n"
        "SET FOREIGN_KEY_CHECKS=0;\r\n"
        "SET @OLD_SQL_MODE=@@SQL_MODE;\r\n"
        "SET SQL_MODE='NO_AUTO_VALUE_ON_ZERO';\r\n"
        "SET @OLD_TIME_ZONE=@@TIME_ZONE;\r\n"
        "SET TIME_ZONE='+00:00';\r\n"
        "SET @OLD_SQL_NOTES=@@SQL_NOTES;\r\n"
        "SET SQL_NOTES=0;\r\n"
        "SET CHARACTER_SET_CLIENT='latin1';\r\n"
        "SET CHARACTER_SET_RESULTS='latin1';\r\n"
        "SET CHARACTER_SET_CONNECTION='latin1';\r\n"
        "SET NAMES 'latin1';\r\n"
        "CREATE DATABASE IF NOT EXISTS `shop` DEFAULT CHARACTER SET latin1;\r\n"
        "USE `shop`;\r\n"
        "\r\n"
        "DROP TABLE IF EXISTS `items`;\r\n"
        "CREATE TABLE IF NOT EXISTS `items` (  `id` int(11) NOT NULL,  `name` varchar(20));\r\n"
        "ALTER TABLE `items` DISABLE KEYS;\r\n"
        "LOCK TABLES `items` WRITE;\r\n"
        "INSERT INTO `items` VALUES (1,'a');\r\n"
        "INSERT INTO `items` VALUES (2,NULL);\r\n"
        "UNLOCK TABLES;\r\n"
        "ALTER TABLE `items` ENABLE KEYS;\r\n"
        "SET TIME_ZONE=@OLD_TIME_ZONE;\r\n"
        "SET SQL_MODE=@OLD_SQL_MODE;\r\n"
        "SET FOREIGN_KEY_CHECKS=@OLD_FOREIGN_KEY_CHECKS;\r\n"
        "SET UNIQUE_CHECKS=@OLD_UNIQUE_CHECKS;\r\n"
        "SET SQL_NOTES=@OLD_SQL_NOTES;\r\n"
        "SET CHARACTER_SET_CLIENT=@OLD_CHARACTER_SET_CLIENT;\r\n"
        "SET CHARACTER_SET_RESULTS=@OLD_CHARACTER_SET_RESULTS;\r\n"
        "SET CHARACTER_SET_CONNECTION=@OLD_CHARACTER_SET_CONNECTION;\r\n"
        "SET COLLATION_CONNECTION=@OLD_COLLATION_CONNECTION;\r\n");

    EXPECT_EQ(LogTexts(),
        (std::vector<std::string> {
            "Connecting to the source MySQL server (localhost)... ",
            "Successfully connected to the MySQL server!  MySQL version: 10.6.11-MariaDB",
            "Backing up the selected databases and tables...",
            "Backing up the database shop...",
            "Backing up the table shop.items...",
            "Backup the records from the table OK - 2 records",
            "Finished",
        }));
    EXPECT_EQ(fake->Queries(),
        (std::vector<std::string> {
            "SET TIME_ZONE='+00:00'",
            "SELECT @@CHARACTER_SET_SERVER",
            "SET NAMES 'utf8mb4'",
            "SELECT @@CHARACTER_SET_DATABASE",
            "SET NAMES 'latin1'",
            "SELECT @@COLLATION_DATABASE",
            "SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_TYPE = 'SEQUENCE' AND TABLE_SCHEMA = 'shop'",
            "SHOW CREATE TABLE `items`",
            "SHOW TABLE STATUS LIKE 'items'",
            "SHOW CREATE TABLE `items`",
            "SHOW COLUMNS FROM `items`",
            "SELECT * FROM `items`",
        }));
    EXPECT_EQ(fake->SelectedDatabase(), "shop");

    // The run is recorded, and the connection was registered for cancellation only while open.
    const Task stored = context->task();
    ASSERT_EQ(stored.backupHistory.size(), 1u);
    const BackupRun& run = stored.backupHistory.front();
    EXPECT_EQ(run.files, std::vector<std::string> {DumpPath().string()});
    EXPECT_EQ(run.folder, "");
    EXPECT_EQ((std::vector<int> {run.year, run.month, run.day, run.hour, run.minute, run.second}),
        (std::vector<int> {2024, 1, 2, 3, 4, 5}));
    EXPECT_EQ(run.fileMode, 1);
    EXPECT_EQ(run.fileType, 1);
    // The connection attempt, then the connection.
    EXPECT_EQ(context->RegistrationCount(), 2u);
    EXPECT_TRUE(context->Registered().empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "Data"));
}

TEST_F(BackupToFilesTest, PhpFileEscapesRowsForTheQuotedCallAndEndsWithTheFooter)
{
    task.backupSettings.fileType = 2;
    task.backupSettings.singleFilePath = (dir.path() / "dump.php").string();
    task.backupSettings.addSetNames = 0;
    task.backupSettings.addLockTables = 0;
    task.backupSettings.disableKeys = 0;
    task.backupSettings.addCreateDatabase = 0;
    task.backupSettings.addDropTable = 0;
    task.backupSettings.exportStructure = 0;
    task.backupSettings.addUniqueChecks = 0;
    task.backupSettings.addForeignKeyChecks = 0;
    task.backupSettings.addSqlNotes = 0;
    task.source.password = "p'w";
    ChooseTables({Table("items")});
    AddItemsTable({{"7", "O'Brien \\ co"}});

    ASSERT_EQ(Run(), RunOutcome::Finished);

    const std::string text = ReadFile(dir.path() / "dump.php");
    const std::string tail
        = "  $conn = mysql_connect('localhost:3306','root','p\\'w') or die('Can not connect to "
          "server!');\n"
          "  mysql_query('SET @OLD_SQL_MODE=@@SQL_MODE;',$conn) or die('Failed! Error NO. '"
          ".mysql_errno($conn).'<br>'.mysql_error($conn));\n"
          "  mysql_query('SET SQL_MODE=\\'NO_AUTO_VALUE_ON_ZERO\\';',$conn) or die('Failed! Error NO. '"
          ".mysql_errno($conn).'<br>'.mysql_error($conn));\n"
          "  mysql_query('SET @OLD_TIME_ZONE=@@TIME_ZONE;',$conn) or die('Failed! Error NO. '"
          ".mysql_errno($conn).'<br>'.mysql_error($conn));\n"
          "  mysql_query('SET TIME_ZONE=\\'+00:00\\';',$conn) or die('Failed! Error NO. '"
          ".mysql_errno($conn).'<br>'.mysql_error($conn));\n"
          // The SQL escaping gives 'O\'Brien \\ co'; PHP doubles every backslash
          // and then escapes every apostrophe.
          "  mysql_query('INSERT INTO `items` VALUES (7,\\'O\\\\\\'Brien \\\\\\\\ co\\');',$conn) "
          "or die('Failed! Error NO. '.mysql_errno($conn).'<br>'.mysql_error($conn));\n"
          "  mysql_query('SET TIME_ZONE=@OLD_TIME_ZONE;',$conn) or die('Failed! Error NO. '"
          ".mysql_errno($conn).'<br>'.mysql_error($conn));\n"
          "  mysql_query('SET SQL_MODE=@OLD_SQL_MODE;',$conn) or die('Failed! Error NO. '"
          ".mysql_errno($conn).'<br>'.mysql_error($conn));\n"
          "  mysql_close($conn);\n"
          "  echo 'Finished';\n"
          "?>\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    EXPECT_EQ(text.substr(0, 3), "<?\n");
    EXPECT_EQ(CountOf(text, "** Kelvanto " KELVANTO_SHORT_VERSION " Standard Edition\n"), 1);
}

// Rows per INSERT statement with the multiple-row syntax.
TEST_F(BackupToFilesTest, MultiRowInsertsHoldTenRowsEachAndNoEmptyStatement)
{
    struct Row
    {
        int rows;
        std::vector<int> perStatement;
    };
    for (const Row& row : {Row {25, {10, 10, 5}}, Row {20, {10, 10}}, Row {9, {9}}, Row {1, {1}}, Row {0, {}}}) {
        SCOPED_TRACE(row.rows);
        task.backupSettings.multiRowInsert = 1;
        ChooseTables({Table("items")});
        std::vector<Values> values;
        for (int i = 0; i < row.rows; ++i)
            values.push_back({std::to_string(i), "n"});
        AddItemsTable(values);

        ASSERT_EQ(Run(), RunOutcome::Finished);
        std::vector<int> perStatement;
        std::istringstream lines(ReadFile(DumpPath()));
        std::string line;
        int next = 0;
        std::string expected;
        while (std::getline(lines, line)) {
            if (line.rfind("INSERT INTO `items` VALUES ", 0) != 0)
                continue;
            perStatement.push_back(CountOf(line, ",'n')"));
            expected = "INSERT INTO `items` VALUES ";
            for (int i = 0; i < perStatement.back(); ++i, ++next)
                expected += (i ? ",(" : "(") + std::to_string(next) + ",'n')";
            EXPECT_EQ(line, expected + ";");
        }
        EXPECT_EQ(perStatement, row.perStatement);
        EXPECT_EQ(LogTexts().at(5), "Backup the records from the table OK - " + std::to_string(row.rows) + " records");
    }
}

TEST_F(BackupToFilesTest, StatementPrefixFollowsTheInsertOptions)
{
    struct Row
    {
        const char* name;
        std::uint8_t replace, delayed, ignore, complete, keywordColumns;
        std::string expected;
    };
    const Row rows[] = {
        {"plain", 0, 0, 0, 0, 1, "INSERT INTO `items` VALUES (1,'a');"},
        {"replace delayed ignore", 1, 1, 1, 0, 1, "REPLACE DELAYED IGNORE INTO `items` VALUES (1,'a');"},
        {"complete, columns quoted", 0, 0, 0, 1, 1, "INSERT INTO `items`(`id`,`name`) VALUES (1,'a');"},
        {"complete, columns bare", 0, 0, 1, 1, 0, "INSERT IGNORE INTO `items`(id,name) VALUES (1,'a');"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        task.backupSettings.useReplace = row.replace;
        task.backupSettings.insertDelayed = row.delayed;
        task.backupSettings.insertIgnore = row.ignore;
        task.backupSettings.completeInsert = row.complete;
        task.backupSettings.allowKeywordColumns = row.keywordColumns;
        ChooseTables({Table("items")});
        AddItemsTable({{"1", "a"}});
        ASSERT_EQ(Run(), RunOutcome::Finished);
        EXPECT_EQ(CountOf(ReadFile(DumpPath()), "\n" + row.expected + "\n"), 1);
    }
}

TEST_F(BackupToFilesTest, CompleteInsertDoublesABackquoteInAColumnName)
{
    task.backupSettings.completeInsert = 1;
    ChooseTables({Table("t")});
    AddTable("t", "`t`", "CREATE TABLE `t` (`we``ird` int)", {Field("we`ird", FieldType::Long)}, {{"1"}});
    ASSERT_EQ(Run(), RunOutcome::Finished);
    EXPECT_EQ(CountOf(ReadFile(DumpPath()), "\nINSERT INTO `t`(`we``ird`) VALUES (1);\n"), 1);
}

TEST_F(BackupToFilesTest, CreateDatabaseBlockStandsInFrontOfEveryTable)
{
    ChooseTables({Table("a"), Table("b"), Table("c")});
    for (const char* name : {"a", "b", "c"})
        AddTable(name, std::string("`") + name + "`", std::string("CREATE TABLE `") + name + "` (`x` int)",
            {Field("x", FieldType::Long)}, {{"1"}});
    ASSERT_EQ(Run(), RunOutcome::Finished);
    const std::string text = ReadFile(DumpPath());
    const std::string block = "CREATE DATABASE IF NOT EXISTS `shop` DEFAULT CHARACTER SET latin1;\nUSE `shop`;\n\n";
    EXPECT_EQ(CountOf(text, block), 3);
    EXPECT_EQ(CountOf(text, block + "DROP TABLE IF EXISTS `b`;\nCREATE TABLE IF NOT EXISTS `b` (`x` int);\n"), 1);
}

TEST_F(BackupToFilesTest, ViewGetsAPlaceholderTableAndItsDefinitionAtTheEndOfTheDatabase)
{
    task.backupSettings.addDeleteAll = 1;
    task.backupSettings.addSetNames = 0;
    task.backupSettings.addCreateDatabase = 0;
    task.backupSettings.disableKeys = 0;
    task.backupSettings.addLockTables = 0;
    ChooseTables({Table("v", 2), Table("items")});
    AddItemsTable({{"1", "a"}});
    const std::string viewDefinition
        = "CREATE ALGORITHM=UNDEFINED VIEW `v` AS select `items`.`id` AS `id` from `items`";
    // The same query is answered three ways: the kind test, the placeholder, the view.
    const std::vector<FieldInfo> viewColumns {Field("View", 253), Field("Create View", 253)};
    script.sequences["SHOW CREATE TABLE `v`"] = {
        FakeResult {viewColumns, {{"v", viewDefinition}}},
        FakeResult {{Field("Table", 253), Field("Create Table", 253)},
            {{"v", "CREATE TEMPORARY TABLE `v` (\n  `id` int(11) NOT NULL\n)"}}},
        FakeResult {viewColumns, {{"v", viewDefinition}}},
    };
    fake->SetFields("v", {Field("id", FieldType::Long)});

    ASSERT_EQ(Run(), RunOutcome::Finished);

    const std::string text = ReadFile(DumpPath());
    const std::string body = "DROP VIEW IF EXISTS `v`;\n"
                             "DROP TABLE IF EXISTS `v`;\n"
                             "CREATE TABLE `v` (  `id` int(11) NOT NULL);\n"
                             "DROP TABLE IF EXISTS `items`;\n"
                             "CREATE TABLE IF NOT EXISTS `items` (  `id` int(11) NOT NULL,  `name` varchar(20));\n"
                             "DELETE FROM `items`;\n"
                             "INSERT INTO `items` VALUES (1,'a');\n"
                             "DROP TABLE IF EXISTS `v`;\n"
                             "DROP VIEW IF EXISTS `v`;\n"
        + viewDefinition + ";\n";
    EXPECT_EQ(CountOf(text, "SET SQL_NOTES=0;\n" + body + "SET TIME_ZONE=@OLD_TIME_ZONE;\n"), 1) << text;
    EXPECT_EQ(fake->CountOf("CREATE TEMPORARY TABLE `v` SELECT * FROM `v` WHERE 0"), 1);
    EXPECT_EQ(fake->CountOf("DROP TEMPORARY TABLE `v`"), 1);
    EXPECT_EQ(fake->CountOf("SELECT * FROM `v`"), 0);
    const std::vector<std::string> log = LogTexts();
    EXPECT_EQ(log.at(4), "Backing up the view shop.v...");
    EXPECT_EQ(log.at(5), "Backup the view shop.v - OK");
}

TEST_F(BackupToFilesTest, WithoutStructureOnlyDeleteAndInsertStatementsAreWritten)
{
    task.backupSettings.exportStructure = 0;
    task.backupSettings.addDeleteAll = 1;
    task.backupSettings.addSetNames = 0;
    task.backupSettings.addCreateDatabase = 0;
    task.backupSettings.disableKeys = 0;
    task.backupSettings.addLockTables = 0;
    task.backupSettings.addUniqueChecks = 0;
    task.backupSettings.addForeignKeyChecks = 0;
    task.backupSettings.addSqlNotes = 0;
    ChooseTables({Table("items"), Table("more")});
    AddItemsTable({{"1", "a"}});
    AddTable("more", "`more`", "CREATE TABLE `more` (`x` int)", {Field("x", FieldType::Long)}, {{"5"}});

    ASSERT_EQ(Run(), RunOutcome::Finished);
    const std::string text = ReadFile(DumpPath());
    EXPECT_EQ(CountOf(text,
                  "SET TIME_ZONE='+00:00';\n"
                  "DELETE FROM `items`;\nINSERT INTO `items` VALUES (1,'a');\n"
                  "DELETE FROM `more`;\nINSERT INTO `more` VALUES (5);\n"
                  "SET TIME_ZONE=@OLD_TIME_ZONE;\n"),
        1)
        << text;
    int unchecked = 0;
    for (const std::string& line : LogTexts())
        unchecked += line == "Structure option is unchecked." ? 1 : 0;
    EXPECT_EQ(unchecked, 2);
    EXPECT_EQ(fake->CountOf("SHOW CREATE TABLE `items`"), 0);
}

TEST_F(BackupToFilesTest, NamesWithABackquoteAreQuotedAndMatchedExactly)
{
    task.backupSettings.lockTables = 1;
    task.backupSettings.flushTables = 1;
    task.databases = {DatabaseItem {2, "sh`op", {TableItem {2, 1, "sh`op", "it`s_%"}}}};
    AddTable("it`s\\_\\%", "`it``s_%`", "CREATE TABLE `it``s_%` (`x` int)", {Field("x", FieldType::Long)}, {{"1"}});
    fake->SetFields("it`s_%", {Field("x", FieldType::Long)});

    ASSERT_EQ(Run(), RunOutcome::Finished);
    const std::string text = ReadFile(DumpPath());
    EXPECT_EQ(
        CountOf(text, "CREATE DATABASE IF NOT EXISTS `sh``op` DEFAULT CHARACTER SET latin1;\nUSE `sh``op`;\n"), 1);
    EXPECT_EQ(CountOf(text, "\nDROP TABLE IF EXISTS `it``s_%`;\nCREATE TABLE IF NOT EXISTS `it``s_%` (`x` int);\n"), 1);
    EXPECT_EQ(CountOf(text, "\nINSERT INTO `it``s_%` VALUES (1);\n"), 1);
    for (const char* query : {"FLUSH TABLE `it``s_%`", "LOCK TABLES `it``s_%` READ LOCAL",
             "SHOW TABLE STATUS LIKE 'it`s\\_\\%'", "SELECT * FROM `it``s_%`", "UNLOCK TABLES"}) {
        SCOPED_TRACE(query);
        EXPECT_EQ(fake->CountOf(query), 1);
    }
}

TEST_F(BackupToFilesTest, EngineRunsTheBackupAndExpiresOldCopiesWhileWaiting)
{
    ChooseTables({Table("items")});
    AddItemsTable({{"1", "a"}});
    const Engine engine = MakeBackupToFilesEngine(MakeConnector());
    ASSERT_TRUE(engine.run && engine.whileWaiting);

    // Named by the task's file name format, in its backup folder.
    const std::string oldCopy = (dir.path() / "localhost_2020-01-01_00-00-00.sql").string();
    ASSERT_TRUE(CreateDumpFile(oldCopy));
    task.backupSettings.autoDelete = 2;
    task.backupSettings.autoDeleteLimit = 1;
    BackupRun old;
    old.files = {oldCopy};
    old.year = 2020;
    old.month = 1;
    old.day = 1;
    old.fileMode = 2;
    task.backupHistory = {old};
    task.backupSettings.fileMode = 2;
    task.backupSettings.backupFolder = dir.path().string() + "/";
    FakeRunContext run(task, dir.path());

    ASSERT_EQ(engine.run(run), RunOutcome::Finished);
    // The run's own expiry pass removed the older of the two copies.
    ASSERT_EQ(run.task().backupHistory.size(), 1u);
    EXPECT_EQ(run.task().backupHistory[0].files,
        std::vector<std::string> {dir.path().string() + "/localhost_2024-01-02_03-04-05.sql"});
    EXPECT_FALSE(std::filesystem::exists(oldCopy));
    EXPECT_EQ(run.SaveTaskListCalls(), 1u);
    EXPECT_EQ(run.LogTexts().back(), "Finished");

    engine.whileWaiting(run); // nothing left to expire
    EXPECT_EQ(run.SaveTaskListCalls(), 1u);
}

} // namespace
} // namespace kelvanto::test
