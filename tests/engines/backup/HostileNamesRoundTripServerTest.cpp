// Hostile names and values through a dump and back: a database, tables, a view and columns
// whose names hold ';', line ends, quotes, backquotes, "*/", "-- " and non-ASCII, one table
// named like statements that drop a canary database, and values that try the same. The
// dump is restored by the stock client and by the restore engine (stopping at the first
// failed statement and going on past it), with names quoted and with quoting off: every
// way gives the same names and data back, and the canary survives.
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/RoundTripEngine.h"
#include "tests/support/RoundTripRestore.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvanto::test
{
namespace
{

std::string Join(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\n";
    return text;
}

std::string HostileSchema(const std::string& database, const std::string& canary)
{
    const std::string db = QuoteName(database);
    const std::string dropper = QuoteName("t;\nDROP DATABASE `" + canary + "`;\n-- x");
    const std::string quotes = QuoteName("q'\"`x*/-- #\xc3\xa9");
    const std::string comment = QuoteName("/* open\r\n#");
    const std::string column = QuoteName("v;\n'\"`*/-- v");
    std::string sql = "CREATE DATABASE " + db + " CHARACTER SET utf8mb4;\nUSE " + db + ";\n";
    sql += "CREATE TABLE " + dropper + " (id INT PRIMARY KEY, " + column + " TEXT);\n";
    sql += "CREATE TABLE " + quotes + " (id INT PRIMARY KEY, `;` VARCHAR(40) COMMENT 'it''s;\\n-- x');\n";
    sql += "CREATE TABLE " + comment + " (id INT PRIMARY KEY, `a\nb` INT DEFAULT 7);\n";
    const char* values[] = {"';DROP DATABASE x;--", "a\nb;\n", "it's \"q\" `b` \\ */ /* -- #", ";\r\nDROP DATABASE x;",
        "\xc3\xa9\xe2\x82\xac;"};
    int id = 0;
    for (const char* value : values) {
        ++id;
        sql += "INSERT INTO " + dropper + " VALUES (" + std::to_string(id) + ", " + HexLiteral(value) + ");\n";
        sql += "INSERT INTO " + quotes + " VALUES (" + std::to_string(id) + ", " + HexLiteral(value) + ");\n";
        sql += "INSERT INTO " + comment + " VALUES (" + std::to_string(id) + ", " + std::to_string(id) + ");\n";
    }
    sql += "CREATE VIEW " + QuoteName("v\n;*/ '") + " AS SELECT id, " + column + " FROM " + dropper + ";\n";
    return sql;
}

struct Variant
{
    const char* name;
    bool quoteNames;
};

class HostileNamesRoundTrip : public ::testing::TestWithParam<Variant>
{ };

TEST_P(HostileNamesRoundTrip, EveryWayBackGivesTheSameNamesAndData)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    RoundTripDatabase canary("kv_canary", {source, target});
    RoundTripDatabase database("kv;\n`'\"*/-- \xc3\xa9", {source, target});
    std::string output;
    for (const TestServerAddress* server : {&source, &target}) {
        const std::string sql = "CREATE DATABASE " + QuoteName(canary.name()) + ";\nCREATE TABLE "
            + QuoteName(canary.name()) + ".alive (id INT);\nINSERT INTO " + QuoteName(canary.name())
            + ".alive VALUES (1);\n";
        ASSERT_EQ(RunMariadbClient(*server, sql, &output), 0) << output;
    }
    ASSERT_EQ(RunMariadbClient(source, HostileSchema(database.name(), canary.name()), &output), 0) << output;
    const DatabaseFingerprint original = TakeFingerprint(source, database.name());
    ASSERT_EQ(original.error, "");
    ASSERT_EQ(original.tableCount(), 3u);
    ASSERT_EQ(original.viewCount(), 1u);

    TempDir dir;
    Task task = MakeDumpTask(
        source, database.name(), ListObjectsForTask(source, database.name()), dir.path() / "dumps", 1, false);
    task.backupSettings.addCreateDatabase = 1;
    task.backupSettings.quoteNames = GetParam().quoteNames ? 1 : 0;
    const EngineDump dump = RunDumpEngine(task, dir.path() / "data");
    ASSERT_EQ(dump.outcome, RunOutcome::Finished) << dump.logText();
    ASSERT_EQ(dump.errors(), "");
    ASSERT_EQ(dump.files.size(), 1u);

    const auto expectRestored = [&](const std::string& how) {
        SCOPED_TRACE(how);
        EXPECT_EQ(Join(CompareFingerprints(original, TakeFingerprint(target, database.name()))), "");
        EXPECT_TRUE(TakeFingerprint(target, canary.name()).exists);
        EXPECT_TRUE(TakeFingerprint(source, canary.name()).exists);
        ASSERT_TRUE(database.DropOn(target));
    };

    ASSERT_EQ(RunMariadbClientOnFile(target, dump.files[0], &output), 0) << output;
    expectRestored("stock client");
    for (const std::uint8_t continueOnSqlError : {0, 1}) {
        RestoreOptions options;
        options.continueOnSqlError = continueOnSqlError;
        const EngineDump restore = RunRestoreEngine(MakeRestoreTask(target, dump.files, options));
        EXPECT_EQ(restore.outcome, RunOutcome::Finished) << restore.logText();
        EXPECT_EQ(restore.errors(), "");
        expectRestored("restore engine, continueOnSqlError " + std::to_string(continueOnSqlError));
    }
}

INSTANTIATE_TEST_SUITE_P(Quoting, HostileNamesRoundTrip,
    ::testing::Values(Variant {"quoted", true}, Variant {"quotingOff", false}),
    [](const ::testing::TestParamInfo<Variant>& row) { return std::string(row.param.name); });

} // namespace
} // namespace kelvanto::test
