// The copy engine against scripted connections: the exact statements each side receives, the
// words of the four task types, the destination database name, the version switches, the
// statement limit of the destination and a stop at every cancellation check.
#include "engines/copy/ServerCopy.h"

#include "engines/copy/ServerCopySwitches.h"
#include "tests/engines/backup/BackupToFilesFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvanto::test
{
namespace
{

std::string Lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\n";
    return text;
}

class ServerCopyTest : public ::testing::Test
{
protected:
    ServerCopyTest()
    {
        task.name = "Copy";
        task.type = TaskType::BackupToServer;
        task.source.host = "src.example";
        task.destination.host = "dst.example";
        source.Answer("SELECT @@CHARACTER_SET_SERVER", FakeResult {{Field("c", 253)}, {{"utf8mb4"}}});
        source.Answer("SELECT @@CHARACTER_SET_DATABASE", FakeResult {{Field("c", 253)}, {{" latin1 "}}});
    }

    // Table `name` on the source, with `rows` rows of (id, text); without rows, its SELECT
    // gives no result set.
    void AddTable(const std::string& name, std::optional<std::vector<Values>> rows)
    {
        const std::vector<FieldInfo> fields {Field("id", FieldType::Long, FieldFlag::NotNull), Field("name", 253)};
        source.Answer("SHOW CREATE TABLE `" + name + "`",
            FakeResult {{Field("Table", 253), Field("Create Table", 253)},
                {{name, "CREATE TABLE `" + name + "` (\n  `id` int(11) NOT NULL,\n  `name` varchar(20)\n)"}}});
        source.Answer("SHOW TABLE STATUS LIKE '" + name + "'",
            FakeResult {{Field("Name", 253), Field("Engine", 253), Field("Rows", 8)}, {{name, "InnoDB", "24"}}});
        source.SetFields(name, fields);
        if (rows)
            source.Answer("SELECT * FROM `" + name + "`", FakeResult {fields, std::move(*rows)});
        tables.push_back(TableItem {2, 1, "shop", name});
    }

    // View `v`: its kind, then its temporary table, then its own definition, from one query.
    void AddView()
    {
        const std::vector<FieldInfo> showView {Field("View", 253), Field("Create View", 253)};
        const FakeResult view {
            showView, {{"v", "CREATE ALGORITHM=UNDEFINED VIEW `v` AS select `id` AS `id` from `t`"}}};
        sourceScript.sequences["SHOW CREATE TABLE `v`"] = {view,
            FakeResult {{Field("Table", 253), Field("Create Table", 253)},
                {{"v", "CREATE TEMPORARY TABLE `v` (\n  `id` int(11) NOT NULL\n)"}}},
            view};
        source.SetFields("v", {Field("id", FieldType::Long)});
        tables.push_back(TableItem {2, 2, "shop", "v"});
    }

    static std::vector<Values> Rows(int count, const std::string& text = "x")
    {
        std::vector<Values> rows;
        for (int i = 1; i <= count; ++i)
            rows.push_back({std::to_string(i), text});
        return rows;
    }

    RunOutcome Run(std::size_t quitAfterChecks = SIZE_MAX)
    {
        task.databases = {DatabaseItem {2, "shop", tables}};
        context = std::make_unique<FakeRunContext>(task);
        context->SetNow(now);
        if (quitAfterChecks != SIZE_MAX)
            context->QuitAfterChecks(quitAfterChecks);
        int opened = 0;
        const Connector connector = [&](const ServerConnection&) -> ConnectResult {
            const bool first = ++opened == 1;
            return std::unique_ptr<Connection>(std::make_unique<ForwardingConnection>(
                first ? source : destination, first ? sourceScript : destinationScript));
        };
        return RunServerCopy(*context, connector);
    }

    // The statements the destination received, without the probes of the connect step.
    std::vector<std::string> DestinationStatements() const
    {
        std::vector<std::string> statements;
        for (const std::string& query : destination.Queries()) {
            if (query.rfind("SELECT @@", 0) != 0)
                statements.push_back(query);
        }
        return statements;
    }

    Task task;
    TimeStamp now {2024, 1, 2, 3, 4, 5, 3};
    FakeConnection source;
    FakeConnection destination;
    ForwardingConnection::Script sourceScript;
    ForwardingConnection::Script destinationScript;
    std::vector<TableItem> tables;
    std::unique_ptr<FakeRunContext> context;
};

// Every statement of a table with every INSERT option, and of a view, in order: the 25 rows
// as 10, 10 and 5, the column list in backquotes right after the name, the view first as a
// table with its columns and after the tables as itself.
TEST_F(ServerCopyTest, EveryStatementOfATableAndAView)
{
    BackupSettings& settings = task.backupSettings;
    settings.useReplace = settings.insertDelayed = settings.insertIgnore = 1;
    settings.completeInsert = settings.multiRowInsert = settings.addAutocommit = 1;
    AddTable("items", Rows(25));
    AddView();

    ASSERT_EQ(Run(), RunOutcome::Finished) << context->LogText();
    std::string inserts;
    for (int first : {1, 11, 21}) {
        inserts += "REPLACE DELAYED IGNORE INTO `items`(`id`,`name`) VALUES ";
        for (int id = first; id < first + 10 && id <= 25; ++id)
            inserts += (id == first ? "(" : ",(") + std::to_string(id) + ",'x')";
        inserts += "\n";
    }
    EXPECT_EQ(Lines(DestinationStatements()),
        "SET TIME_ZONE='+00:00'\n"
        "SET @OLD_CHARACTER_SET_CLIENT=@@CHARACTER_SET_CLIENT\n"
        "SET @OLD_CHARACTER_SET_RESULTS=@@CHARACTER_SET_RESULTS\n"
        "SET @OLD_CHARACTER_SET_CONNECTION=@@CHARACTER_SET_CONNECTION\n"
        "SET @OLD_COLLATION_CONNECTION=@@COLLATION_CONNECTION\n"
        "SET CHARACTER_SET_CLIENT='utf8mb4'\n"
        "SET CHARACTER_SET_RESULTS='utf8mb4'\n"
        "SET CHARACTER_SET_CONNECTION='utf8mb4'\n"
        "SET NAMES 'utf8mb4'\n"
        "SET @OLD_UNIQUE_CHECKS=@@UNIQUE_CHECKS\n"
        "SET UNIQUE_CHECKS=0\n"
        "SET @OLD_FOREIGN_KEY_CHECKS=@@FOREIGN_KEY_CHECKS\n"
        "SET FOREIGN_KEY_CHECKS=0\n"
        "SET @OLD_SQL_MODE=@@SQL_MODE\n"
        "SET SQL_MODE='NO_AUTO_VALUE_ON_ZERO'\n"
        "SET @OLD_SQL_NOTES=@@SQL_NOTES\n"
        "SET SQL_NOTES=0\n"
        "SET CHARACTER_SET_CLIENT='latin1'\n"
        "SET CHARACTER_SET_RESULTS='latin1'\n"
        "SET CHARACTER_SET_CONNECTION='latin1'\n"
        "SET NAMES 'latin1'\n"
        "CREATE DATABASE IF NOT EXISTS `shop` DEFAULT CHARACTER SET latin1\n"
        "DROP TABLE IF EXISTS `items`\n"
        "CREATE TABLE IF NOT EXISTS `items` (  `id` int(11) NOT NULL,  `name` varchar(20))\n"
        "ALTER TABLE `items` DISABLE KEYS\n"
        "LOCK TABLES `items` WRITE\n"
        "SET AUTOCOMMIT=0\n"
            + inserts
            + "UNLOCK TABLES\n"
              "ALTER TABLE `items` ENABLE KEYS\n"
              "COMMIT\n"
              "DROP VIEW IF EXISTS `v`\n"
              "DROP TABLE IF EXISTS `v`\n"
              "CREATE TABLE `v` (  `id` int(11) NOT NULL)\n"
              "DROP TABLE IF EXISTS `v`\n"
              "DROP VIEW IF EXISTS `v`\n"
              "CREATE ALGORITHM=UNDEFINED VIEW `v` AS select `id` AS `id` from `t`\n"
              "SET SQL_MODE=@OLD_SQL_MODE\n"
              "SET FOREIGN_KEY_CHECKS=@OLD_FOREIGN_KEY_CHECKS\n"
              "SET UNIQUE_CHECKS=@OLD_UNIQUE_CHECKS\n"
              "SET SQL_NOTES=@OLD_SQL_NOTES\n"
              "SET CHARACTER_SET_CLIENT=@OLD_CHARACTER_SET_CLIENT\n"
              "SET CHARACTER_SET_RESULTS=@OLD_CHARACTER_SET_RESULTS\n"
              "SET CHARACTER_SET_CONNECTION=@OLD_CHARACTER_SET_CONNECTION\n"
              "SET COLLATION_CONNECTION=@OLD_COLLATION_CONNECTION\n");
    EXPECT_EQ(destination.SelectedDatabase(), "shop");
    const std::vector<RunProgress> progress = context->ProgressReports();
    ASSERT_EQ(progress.size(), 27u);
    EXPECT_EQ(progress.front(), (RunProgress {"shop.items", 0, 0}));
    EXPECT_EQ(progress[25], (RunProgress {"shop.items", 25, 24}));
    EXPECT_EQ(progress.back(), (RunProgress {"shop.v", 0, 0}));
    EXPECT_EQ(source.CountOf("SET TIME_ZONE='+00:00'"), 1);
    EXPECT_EQ(source.CountOf("DROP TEMPORARY TABLE `v`"), 1);
    EXPECT_EQ(context->LogText(),
        "Connecting to the source MySQL server (src.example)... \n"
        "Successfully connected to the source MySQL server!  MySQL version: 10.6.11-MariaDB\n"
        "Connecting to the destination MySQL server (dst.example)... \n"
        "Successfully connected to the destination MySQL server!  MySQL version: 10.6.11-MariaDB\n"
        "Backing up the selected databases and tables...\n"
        "Backing up the database shop...\n"
        "Backing up the table shop.items...\n"
        "Backup the records from the table OK - 25 records\n"
        "Backing up the view shop.v...\n"
        "Backup the view shop.v - OK\n"
        "Finished\n");
}

// The words of each member, in the lines where they differ.
TEST_F(ServerCopyTest, EachMemberLogsItsOwnWords)
{
    struct Row
    {
        TaskType type;
        std::string doing; // "Backing up" or "Restoring"
        std::string done; // "Backup" or "Restore"
        std::string noRecords;
        std::string createFailed;
    };
    const Row rows[] = {
        {TaskType::BackupToServer, "Backing up", "Backup", "There", "shop.bad"},
        {TaskType::BackupToDatabase, "Backing up", "Backup", "There", "bad"},
        {TaskType::RestoreFromServer, "Restoring", "Restore", "There", "shop.bad"},
        {TaskType::RestoreFromDatabase, "Restoring", "Restore", "there", "bad"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.type));
        const std::string expected = row.doing + " the selected databases and tables...|" + row.doing
            + " the database shop...|" + row.doing + " the table shop.empty...|" + row.noRecords
            + " are not any records in the table empty|" + row.doing + " the table shop.bad...|Failed to CREATE TABLE "
            + row.createFailed + " on the destination server!  Error NO. 1050|" + row.doing + " the view shop.v...|"
            + row.done + " the view shop.v - OK|";
        source = FakeConnection();
        destination = FakeConnection();
        tables.clear();
        task.type = row.type;
        task.backupSettings.destDatabaseName = "shop";
        source.Answer("SELECT @@CHARACTER_SET_SERVER", FakeResult {{Field("c", 253)}, {{"utf8mb4"}}});
        AddTable("empty", std::nullopt);
        AddTable("bad", Rows(1));
        destination.Fail("CREATE TABLE IF NOT EXISTS `bad` (  `id` int(11) NOT NULL,  `name` varchar(20))", 1050, "");
        AddView();
        ASSERT_EQ(Run(), RunOutcome::Finished) << context->LogText();
        std::string log;
        for (const std::string& line : context->LogTexts()) {
            if (line.find("onnect") == std::string::npos && line != "Finished")
                log += line + "|";
        }
        EXPECT_EQ(log, expected);
    }
}

// The destination database of the database variant: the variables are expanded only when the
// task creates a new database with a CREATE DATABASE statement; otherwise the name is used as
// stored.
TEST_F(ServerCopyTest, DestinationDatabaseNameOfTheDatabaseVariant)
{
    struct Row
    {
        const char* stored;
        bool createDatabase;
        bool addCreateDatabase;
        const char* expected;
    };
    const Row rows[] = {
        {"%DATABASE%_%DATE%", true, true, "shop_2007-03-05"},
        {"%DATABASE%_%DATE%", true, false, "%DATABASE%_%DATE%"},
        {"%DATABASE%_%DATE%", false, true, "%DATABASE%_%DATE%"},
        {"%TASKNAME%-%HOST%-%TIME%", true, true, "Copyofshop1-srcexample-09-08-07"},
    };
    task.name = " Copy.of/shop\\1 ";
    now = TimeStamp {2007, 3, 5, 9, 8, 7, 2};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored);
        destination = FakeConnection();
        task.type = TaskType::BackupToDatabase;
        task.backupSettings.destDatabaseName = row.stored;
        task.backupSettings.createDatabase = row.createDatabase ? 1 : 0;
        task.backupSettings.addCreateDatabase = row.addCreateDatabase ? 1 : 0;
        ASSERT_EQ(Run(), RunOutcome::Finished) << context->LogText();
        EXPECT_EQ(destination.SelectedDatabase(), row.expected);
        EXPECT_EQ(destination.CountOf(
                      "CREATE DATABASE IF NOT EXISTS `" + std::string(row.expected) + "` DEFAULT CHARACTER SET latin1"),
            row.addCreateDatabase ? 1 : 0);
    }
}

// The switches that the versions of the two servers decide, at each threshold.
TEST(ServerCopySwitchesTest, EachSwitchFollowsItsServersVersion)
{
    struct Row
    {
        unsigned long source;
        unsigned long destination;
        bool nameQuoting, showCreate, columnQuoting, keyDisabling, readLocal, setNames, checks, sqlMode, notes;
    };
    const Row rows[] = {
        {32305, 32305, false, false, false, false, false, false, false, false, false},
        {32306, 32306, true, false, true, false, false, false, false, false, false},
        {32311, 32351, true, false, true, false, true, false, false, false, false},
        {32320, 32352, true, true, true, false, true, false, true, false, false},
        {40000, 40000, true, true, true, true, true, false, true, false, false},
        {40100, 40100, true, true, true, true, true, true, true, false, false},
        {40101, 40110, true, true, true, true, true, true, true, true, false},
        {100611, 40111, true, true, true, true, true, true, true, true, true},
    };
    BackupSettings settings; // every switch of the options on
    settings.quoteNames = settings.allowKeywordColumns = settings.disableKeys = settings.addSetNames = 1;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.source) + " -> " + std::to_string(row.destination));
        const ServerCopySwitches switches = ServerCopySwitches::Derive(settings, row.source, row.destination);
        EXPECT_EQ(switches.nameQuoting, row.nameQuoting);
        EXPECT_EQ(switches.sourceShowCreate, row.showCreate);
        EXPECT_EQ(switches.columnQuoting, row.columnQuoting);
        EXPECT_EQ(switches.keyDisabling, row.keyDisabling);
        EXPECT_EQ(switches.source.readLocalLocks, row.readLocal);
        EXPECT_EQ(switches.session.addSetNames, row.setNames);
        EXPECT_EQ(switches.session.addUniqueChecks, row.checks);
        EXPECT_EQ(switches.session.addForeignKeyChecks, row.checks);
        EXPECT_EQ(switches.session.sqlModeLines, row.sqlMode);
        EXPECT_EQ(switches.session.addSqlNotes, row.notes);
    }
    settings.quoteNames = settings.allowKeywordColumns = settings.disableKeys = 0;
    const ServerCopySwitches off = ServerCopySwitches::Derive(settings, 100611, 100611);
    EXPECT_FALSE(off.nameQuoting || off.columnQuoting || off.keyDisabling);
}

// The destination's own max_allowed_packet bounds every statement: ten-row statements end
// early, a row too long for it is not sent at all, and a refused single-row INSERT ends the
// rows of its table; the closing statements follow in every case, and the rows line says
// how many rows went (an Error line when they stopped). A statement size of the user's takes
// every row that fits, never more than the destination takes; a row longer than that size
// but not too long for the destination goes alone, said by one Warning line.
TEST_F(ServerCopyTest, RowsStayWithinWhatTheDestinationTakes)
{
    struct Row
    {
        const char* name;
        bool multiRowInsert;
        std::vector<Values> rows;
        bool refuseThird;
        std::vector<std::size_t> statementRows; // rows of each INSERT sent
        std::string errors;
        std::string rowsLine;
        std::int64_t maxInsertBytes;
        std::string warnings;
    };
    const std::string big(300, 'b');
    const std::string huge(1200, 'h');
    const Row rows[] = {
        {"small rows keep ten", true, Rows(12), false, {10, 2}, "", "Backup the records from the table OK - 12 records",
            0, ""},
        {"large rows end early", true, Rows(7, big), false, {3, 3, 1}, "",
            "Backup the records from the table OK - 7 records", 0, ""},
        {"a row too long is not sent", true, {{"1", "a"}, {"2", huge}, {"3", "c"}}, false, {1},
            "Failed to insert multi-rows records to the table items!\nThe statement of 1233 bytes for the table items "
            "is longer than the destination server accepts (max_allowed_packet)!\nBackup the records from the table "
            "items stopped after 1 records!\n",
            "Backup the records from the table items stopped after 1 records!", 0, ""},
        {"a refused row ends the rows", false, Rows(5), true, {1, 1, 1},
            "Failed to insert a record to the table items!  Error NO. 1062  Duplicate entry\nBackup the records from "
            "the table items stopped after 2 records!\n",
            "Backup the records from the table items stopped after 2 records!", 0, ""},
        {"the user's size takes more than ten rows", true, Rows(12), false, {12}, "",
            "Backup the records from the table OK - 12 records", 1000, ""},
        {"the destination bounds the user's size", true, Rows(7, big), false, {3, 3, 1}, "",
            "Backup the records from the table OK - 7 records", std::int64_t {1} << 30, ""},
        {"a row longer than the user's size goes alone", true, {{"1", "a"}, {"2", big}, {"3", "c"}, {"4", "d"}}, false,
            {1, 1, 2}, "", "Backup the records from the table OK - 4 records", 100,
            "Records of the table items are longer than INSERT statements of 100 bytes (maxInsertBytes): each of them "
            "went alone into a statement of its own, the first of 333 bytes\n"},
        {"a row too long for the destination is still not sent", true, {{"1", "a"}, {"2", huge}, {"3", "c"}}, false,
            {1},
            "Failed to insert multi-rows records to the table items!\nThe statement of 1233 bytes for the table items "
            "is longer than the destination server accepts (max_allowed_packet)!\nBackup the records from the table "
            "items stopped after 1 records!\n",
            "Backup the records from the table items stopped after 1 records!", 100, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        source = FakeConnection();
        destination = FakeConnection();
        tables.clear();
        destination.Answer("SELECT @@max_allowed_packet", FakeResult {{Field("p", 8)}, {{"1002"}}});
        if (row.refuseThird)
            destination.Fail("INSERT INTO `items` VALUES (3,'x')", 1062, "Duplicate entry");
        task.backupSettings.multiRowInsert = row.multiRowInsert ? 1 : 0;
        task.extras.maxInsertBytes = row.maxInsertBytes;
        AddTable("items", row.rows);
        ASSERT_EQ(Run(), RunOutcome::Finished) << context->LogText();
        std::vector<std::size_t> statementRows;
        for (const std::string& query : destination.Queries()) {
            if (query.rfind("INSERT", 0) == 0) {
                EXPECT_LE(query.size(), 1000u);
                statementRows.push_back(std::count(query.begin(), query.end(), '('));
            }
        }
        EXPECT_EQ(statementRows, row.statementRows);
        std::string errors;
        std::string warnings;
        for (const LogLine& line : context->LogLines()) {
            errors += line.level == LogLevel::Error ? line.text + "\n" : "";
            warnings += line.level == LogLevel::Warning ? line.text + "\n" : "";
        }
        EXPECT_EQ(errors, row.errors);
        EXPECT_EQ(warnings, row.warnings);
        const std::vector<std::string> log = context->LogTexts();
        EXPECT_NE(std::find(log.begin(), log.end(), row.rowsLine), log.end());
        // Rows that stopped are never reported as copied.
        const bool reportedOk = std::any_of(log.begin(), log.end(),
            [](const std::string& line) { return line.find("table OK -") != std::string::npos; });
        EXPECT_EQ(reportedOk, row.errors.empty());
        EXPECT_EQ(destination.CountOf("UNLOCK TABLES"), 1);
        EXPECT_EQ(destination.CountOf("ALTER TABLE `items` ENABLE KEYS"), 1);
    }
}

// A stop at any check ends the run as cancelled, with both connections closed and
// unregistered and no "Finished".
TEST_F(ServerCopyTest, StopAtEveryCheckEndsTheRun)
{
    AddTable("items", Rows(3));
    AddView();
    ASSERT_EQ(Run(), RunOutcome::Finished);
    const std::size_t checks = context->QuitChecks();
    ASSERT_GT(checks, 20u);
    for (std::size_t at = 0; at < checks; ++at) {
        SCOPED_TRACE(at);
        ASSERT_EQ(Run(at), RunOutcome::Cancelled);
        EXPECT_EQ(context->QuitChecks(), at + 1);
        EXPECT_TRUE(context->Registered().empty());
        const std::vector<std::string> log = context->LogTexts();
        EXPECT_EQ(std::find(log.begin(), log.end(), "Finished"), log.end());
    }
}

} // namespace
} // namespace kelvanto::test
