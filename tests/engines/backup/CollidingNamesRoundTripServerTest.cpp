// A file per table of tables whose names clean to one file name: a/b, a:b and ab of one
// database and ab of another, in a stored task whose format lacks %DATABASE%. Every table gets
// a file of its own (one Warning line says why names carry numbers), the manifest names each
// table's file and the backup verifies; the files restore, by the stock client and by the
// restore engine, to the same rows, compared row by row.
#include "engines/backupset/BackupManifest.h"
#include "engines/backupset/BackupVerification.h"
#include "tests/support/FileText.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/RoundTripEngine.h"
#include "tests/support/RoundTripRestore.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
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

TEST(CollidingNamesRoundTrip, TablesWhoseNamesCleanToOneNameRestoreRowByRow)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    RoundTripDatabase first("kv_names1", {source, target});
    RoundTripDatabase second("kv_names2", {source, target});
    const std::vector<std::pair<std::string, std::string>> tables {
        {first.name(), "a/b"}, {first.name(), "a:b"}, {first.name(), "ab"}, {second.name(), "ab"}};
    std::string sql
        = "CREATE DATABASE " + QuoteName(first.name()) + ";\nCREATE DATABASE " + QuoteName(second.name()) + ";\n";
    for (const auto& [database, table] : tables) {
        const std::string name = QuoteName(database) + "." + QuoteName(table);
        sql += "CREATE TABLE " + name + " (id INT PRIMARY KEY, v VARCHAR(60));\n";
        int id = 0;
        for (const char* value : {"first", "it's ; -- x", "\xc3\xa9"})
            sql += "INSERT INTO " + name + " VALUES (" + std::to_string(++id) + ", "
                + HexLiteral(database + "." + table + " " + value) + ");\n";
    }
    std::string output;
    ASSERT_EQ(RunMariadbClient(source, sql, &output), 0) << output;

    TempDir dir;
    Task task = MakeDumpTask(source, first.name(), ListObjectsForTask(source, first.name()), dir.path() / "dumps", 3,
        /*multiRowInsert=*/true);
    task.databases.push_back(DatabaseItem {2, second.name(), ListObjectsForTask(source, second.name())});
    task.backupSettings.fileNameFormat = "%TABLE%_%DATE%_%TIME%";
    const EngineDump dump = RunDumpEngine(task, dir.path() / "data");
    ASSERT_EQ(dump.outcome, RunOutcome::Finished) << dump.logText();
    ASSERT_EQ(dump.errors(), "");
    std::vector<std::string> warnings;
    for (const LogLine& line : dump.log) {
        if (line.level == LogLevel::Warning)
            warnings.push_back(line.text);
    }
    ASSERT_EQ(warnings.size(), 1u) << dump.logText();
    EXPECT_NE(warnings[0].find("lacks %DATABASE%"), std::string::npos) << warnings[0];
    ASSERT_EQ(dump.files.size(), 4u);
    EXPECT_EQ(std::set<std::string>(dump.files.begin(), dump.files.end()).size(), 4u);
    const Result<BackupManifest> manifest = BackupManifest::FromJson(ReadText(ManifestPathFor(dump.run)));
    ASSERT_TRUE(manifest.ok()) << manifest.error();
    EXPECT_EQ(manifest->layout, BackupManifest::kFilePerTable);
    ASSERT_EQ(manifest->tables.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(dump.files[i]);
        EXPECT_EQ(manifest->tables[i].table, tables[i].second);
        EXPECT_EQ(manifest->tables[i].file, std::filesystem::path(dump.files[i]).filename().string());
    }
    EXPECT_TRUE(VerifyBackupRun(dump.run).ok);

    std::vector<std::string> original;
    for (const auto& [database, table] : tables)
        original.push_back(Rows(source, database, table));
    const auto expectRestored = [&](const std::string& how) {
        SCOPED_TRACE(how);
        for (std::size_t i = 0; i < tables.size(); ++i) {
            EXPECT_EQ(original[i].rfind("1\t", 0), 0u) << original[i];
            EXPECT_EQ(Rows(target, tables[i].first, tables[i].second), original[i]) << tables[i].second;
        }
        ASSERT_TRUE(first.DropOn(target));
        ASSERT_TRUE(second.DropOn(target));
    };
    for (const std::string& file : dump.files)
        ASSERT_EQ(RunMariadbClientOnFile(target, file, &output), 0) << file << ":\n" << output;
    expectRestored("stock client");
    const EngineDump restore = RunRestoreEngine(MakeRestoreTask(target, dump.files));
    ASSERT_EQ(restore.outcome, RunOutcome::Finished) << restore.logText();
    EXPECT_EQ(restore.errors(), "");
    expectRestored("restore engine");
}

} // namespace
} // namespace kelvanto::test
