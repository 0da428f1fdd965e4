// Dumps that the backup-to-files engine writes, replayed by the restore-from-files engine
// into server 2 and compared table by table and view by view with the original: Sakila in
// every layout and the hard values. The rows pair every value of each dump setting (file
// layout, INSERT form, autocommit lines, CREATE DATABASE lines) with every value of each
// other setting at least once; a dump without its CREATE DATABASE and USE lines is restored
// after a file that creates and selects the database, which stays selected for the files
// that follow on the one connection.
#include "mysql/OpenConnection.h"
#include "tests/support/HardValues.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/RoundTripEngine.h"
#include "tests/support/RoundTripRestore.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <ostream>
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

struct DumpVariant
{
    const char* name;
    int fileSplit;
    bool multiRowInsert;
    bool addAutocommit;
    bool addCreateDatabase;
    std::int64_t maxInsertBytes;
};

void PrintTo(const DumpVariant& row, std::ostream* os)
{
    *os << row.name;
}

// Dumps `database` from `source` with the variant's settings and restores it into `target`
// (where it must not exist) with the restore engine; the restore's log is checked here.
void DumpAndRestore(const TestServerAddress& source, const TestServerAddress& target, const std::string& database,
    const DumpVariant& row, const Connector& dumpConnector, const Connector& restoreConnector)
{
    TempDir dir;
    Task dumpTask = MakeDumpTask(source, database, ListObjectsForTask(source, database), dir.path() / "dumps",
        row.fileSplit, row.multiRowInsert);
    dumpTask.backupSettings.addAutocommit = row.addAutocommit ? 1 : 0;
    dumpTask.backupSettings.addCreateDatabase = row.addCreateDatabase ? 1 : 0;
    dumpTask.extras.maxInsertBytes = row.maxInsertBytes;
    const EngineDump dump = RunDumpEngine(dumpTask, dir.path() / "data", dumpConnector);
    ASSERT_EQ(dump.outcome, RunOutcome::Finished) << dump.logText();
    ASSERT_EQ(dump.errors(), "");

    std::vector<std::string> files = dump.files;
    if (!row.addCreateDatabase)
        files.insert(files.begin(), WriteUseDatabaseFile(dir.path(), database));
    const EngineDump restore = RunRestoreEngine(MakeRestoreTask(target, files), restoreConnector);
    ASSERT_EQ(restore.outcome, RunOutcome::Finished) << restore.logText();
    EXPECT_EQ(restore.errors(), "");
    std::vector<std::string> restoring;
    for (const auto& line : restore.log) {
        if (line.text.rfind("Restoring...  ", 0) == 0)
            restoring.push_back(line.text.substr(14));
    }
    EXPECT_EQ(restoring, files);
    EXPECT_EQ(restore.log.back().text, "Finished");
}

class SakilaRestore : public ::testing::TestWithParam<DumpVariant>
{
protected:
    static void TearDownTestSuite()
    {
        s_database.reset();
        s_original.reset();
    }

    // Loads Sakila on server 1 on first use; false (with a test failure) when that is impossible.
    static bool EnsureSakila(const TestServerAddress& source, const TestServerAddress& target)
    {
        if (!s_database) {
            s_database = std::make_unique<RoundTripDatabase>("kv_restore", std::vector {source, target});
            EXPECT_EQ(LoadSakila(source, s_database->name()), "");
            s_original = std::make_unique<DatabaseFingerprint>(TakeFingerprint(source, s_database->name()));
        }
        EXPECT_EQ(s_original->tableCount(), 16u);
        EXPECT_EQ(s_original->viewCount(), 7u);
        return s_original->error.empty() && s_original->tableCount() == 16;
    }

    static inline std::unique_ptr<RoundTripDatabase> s_database;
    static inline std::unique_ptr<DatabaseFingerprint> s_original;
};

TEST_P(SakilaRestore, RestoresIdentical)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    ASSERT_TRUE(EnsureSakila(source, target));
    ASSERT_TRUE(s_database->DropOn(target));
    ASSERT_NO_FATAL_FAILURE(
        DumpAndRestore(source, target, s_database->name(), GetParam(), MakeMariaDbConnector(), MakeMariaDbConnector()));
    EXPECT_EQ(Join(CompareFingerprints(*s_original, TakeFingerprint(target, s_database->name()))), "");
}

INSTANTIATE_TEST_SUITE_P(Variants, SakilaRestore,
    ::testing::Values(DumpVariant {"OneFileSingleRow", 1, false, false, false, 0},
        DumpVariant {"OneFileTenRowAutocommitCreate", 1, true, true, true, 0},
        DumpVariant {"FilePerDatabaseSingleRowAutocommit", 2, false, true, false, 0},
        DumpVariant {"FilePerDatabaseTenRowCreate", 2, true, false, true, 0},
        DumpVariant {"FilePerTableSingleRowCreate", 3, false, false, true, 0},
        DumpVariant {"FilePerTableTenRowAutocommit", 3, true, true, false, 0},
        // Hundreds of rows per statement, and the film texts' rows of 1-2 KiB cut anywhere.
        DumpVariant {"OneFileSized16KiBCreate", 1, true, false, true, 16 * 1024}),
    [](const auto& row) { return std::string(row.param.name); });

class HardValuesRestore : public ::testing::TestWithParam<DumpVariant>
{ };

// Dumped from a session at +05:30 and restored by one at -08:00: the values and the
// instants of the TIMESTAMPs come back unchanged.
TEST_P(HardValuesRestore, EveryValueSurvives)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    RoundTripDatabase database("kv restore`hard", {source, target});
    std::string output;
    ASSERT_EQ(RunMariadbClient(source, HardValuesScript(database.name()), &output), 0) << output;
    const auto original = TakeFingerprint(source, database.name());
    ASSERT_EQ(original.tableCount(), 5u);
    ASSERT_EQ(original.viewCount(), 2u);

    ASSERT_NO_FATAL_FAILURE(DumpAndRestore(
        source, target, database.name(), GetParam(), ShiftedZoneConnector("+05:30"), ShiftedZoneConnector("-08:00")));
    EXPECT_EQ(Join(CompareFingerprints(original, TakeFingerprint(target, database.name()))), "");
    EXPECT_EQ(Join(DifferingValues(source, target, database.name(), "types", "id")), "");
    const std::string instants
        = "SET time_zone = '+00:00';\nSELECT id, UNIX_TIMESTAMP(ts) FROM " + QuoteName(database.name()) + ".types;\n";
    std::string sourceInstants;
    std::string copyInstants;
    ASSERT_EQ(RunMariadbClient(source, instants, &sourceInstants), 0) << sourceInstants;
    ASSERT_EQ(RunMariadbClient(target, instants, &copyInstants), 0) << copyInstants;
    EXPECT_EQ(copyInstants, sourceInstants);
}

INSTANTIATE_TEST_SUITE_P(Variants, HardValuesRestore,
    ::testing::Values(DumpVariant {"SingleRowCreate", 1, false, false, true, 0},
        DumpVariant {"TenRowAutocommit", 1, true, true, false, 0},
        // The restoring server's own 4 MiB: rows of 1 MiB three to a statement.
        DumpVariant {"Sized4MiBAutocommit", 1, true, true, false, 4 * 1024 * 1024}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace kelvanto::test
