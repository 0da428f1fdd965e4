// Tables whose names clean to one file name (a/b, a:b, ab), and the same table name in two
// databases of a stored task whose per-table format lacks %DATABASE%, backed up a file per
// table: every file restores, by the stock client and by the restore engine, to the same
// rows, compared row by row, and the backup verifies against its manifest.
#include "engines/BackupVerification.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/RoundTripEngine.h"
#include "tests/support/RoundTripRestore.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kelvanto::test
{
namespace
{

// Every row of a table, in the order of its key, its values in hexadecimal.
std::string Rows(const TestServerAddress& server, const std::string& database, const std::string& table)
{
    std::string output;
    const int code = RunMariadbClient(
        server, "SELECT id, HEX(v) FROM " + QuoteName(database) + "." + QuoteName(table) + " ORDER BY id;\n", &output);
    return code == 0 ? output : "<cannot be read: " + output + ">";
}

struct Table
{
    std::string database;
    std::string name;
};

// Each table restored on the target, by each way, holds the source's rows.
void ExpectEveryWayBack(const TestServerAddress& source, const TestServerAddress& target, const EngineDump& dump,
    const std::vector<Table>& tables, const std::vector<const RoundTripDatabase*>& databases)
{
    std::vector<std::string> original;
    for (const Table& table : tables) {
        original.push_back(Rows(source, table.database, table.name));
        ASSERT_EQ(original.back().rfind("1\t", 0), 0u) << original.back();
    }
    const auto expectRestored = [&](const std::string& how) {
        SCOPED_TRACE(how);
        for (std::size_t i = 0; i < tables.size(); ++i)
            EXPECT_EQ(Rows(target, tables[i].database, tables[i].name), original[i]) << tables[i].name;
        for (const RoundTripDatabase* database : databases)
            ASSERT_TRUE(database->DropOn(target));
    };
    std::string output;
    for (const std::string& file : dump.files)
        ASSERT_EQ(RunMariadbClientOnFile(target, file, &output), 0) << file << ":\n" << output;
    expectRestored("stock client");
    const EngineDump restore = RunRestoreEngine(MakeRestoreTask(target, dump.files));
    ASSERT_EQ(restore.outcome, RunOutcome::Finished) << restore.logText();
    EXPECT_EQ(restore.errors(), "");
    expectRestored("restore engine");
}

TEST(CollidingNamesRoundTrip, TablesWhoseNamesCleanToOneNameRestoreRowByRow)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    RoundTripDatabase database("kv_names", {source, target});
    const std::string db = QuoteName(database.name());
    std::string sql = "CREATE DATABASE " + db + ";\nUSE " + db + ";\n";
    int id = 0;
    for (const char* table : {"a/b", "a:b", "ab"}) {
        sql += "CREATE TABLE " + QuoteName(table) + " (id INT PRIMARY KEY, v VARCHAR(40));\n";
        for (const char* value : {"first", "it's ; -- x", "\xc3\xa9"}) {
            sql += "INSERT INTO " + QuoteName(table) + " VALUES (" + std::to_string(++id % 3 + 1) + ", "
                + HexLiteral(std::string(table) + " " + value) + ");\n";
        }
    }
    std::string output;
    ASSERT_EQ(RunMariadbClient(source, sql, &output), 0) << output;

    TempDir dir;
    Task task = MakeDumpTask(
        source, database.name(), ListObjectsForTask(source, database.name()), dir.path() / "dumps", 3, true);
    task.backupSettings.addCreateDatabase = 1;
    const EngineDump dump = RunDumpEngine(task, dir.path() / "data");
    ASSERT_EQ(dump.outcome, RunOutcome::Finished) << dump.logText();
    ASSERT_EQ(dump.errors(), "");
    ASSERT_EQ(dump.files.size(), 3u);
    EXPECT_NE(dump.files[0], dump.files[1]);
    EXPECT_NE(dump.files[1], dump.files[2]);
    const BackupVerification verified = VerifyBackupRun(dump.run);
    EXPECT_TRUE(verified.ok);

    ExpectEveryWayBack(source, target, dump,
        {{database.name(), "a/b"}, {database.name(), "a:b"}, {database.name(), "ab"}}, {&database});
}

TEST(CollidingNamesRoundTrip, AFormatWithoutTheDatabaseKeepsBothDatabasesTables)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    RoundTripDatabase first("kv_names1", {source, target});
    RoundTripDatabase second("kv_names2", {source, target});
    std::string sql;
    for (const RoundTripDatabase* database : {&first, &second}) {
        const std::string db = QuoteName(database->name());
        sql += "CREATE DATABASE " + db + ";\nCREATE TABLE " + db + ".t (id INT PRIMARY KEY, v VARCHAR(40));\n";
        sql += "INSERT INTO " + db + ".t VALUES (1, " + HexLiteral(database->name()) + "), (2, 'both');\n";
    }
    std::string output;
    ASSERT_EQ(RunMariadbClient(source, sql, &output), 0) << output;

    TempDir dir;
    Task task
        = MakeDumpTask(source, first.name(), ListObjectsForTask(source, first.name()), dir.path() / "dumps", 3, false);
    DatabaseItem other = task.databases.front();
    other.name = second.name();
    for (TableItem& table : other.tables)
        table.database = second.name();
    task.databases.push_back(other);
    task.backupSettings.addCreateDatabase = 1;
    task.backupSettings.fileNameFormat = "%TABLE%_%DATE%_%TIME%";
    const EngineDump dump = RunDumpEngine(task, dir.path() / "data");
    ASSERT_EQ(dump.outcome, RunOutcome::Finished) << dump.logText();
    ASSERT_EQ(dump.files.size(), 2u);
    EXPECT_NE(dump.logText().find("lacks %DATABASE%"), std::string::npos) << dump.logText();
    EXPECT_TRUE(VerifyBackupRun(dump.run).ok);

    ExpectEveryWayBack(source, target, dump, {{first.name(), "t"}, {second.name(), "t"}}, {&first, &second});
}

} // namespace
} // namespace kelvanto::test
