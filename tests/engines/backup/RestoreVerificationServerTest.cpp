// Backups proven by restoring them into the second server: a good backup passes (plain and
// compressed, by connection fields and by a stored profile), a row changed on its way to
// the file fails the run and names the table, a database of the backup's name that exists
// on the verification server is never touched, the source is refused as verification
// server, and no database the verification made remains, a stop in the middle included.
#include "engines/backup/BackupToFiles.h"
#include "engines/backupset/BackupManifest.h"
#include "engines/backupset/BackupRotation.h"
#include "engines/io/FileSink.h"
#include "model/FileFormat.h"
#include "model/ServerListStore.h"
#include "mysql/MySqlLibrary.h"
#include "mysql/OpenConnection.h"
#include "tests/support/FakeRunContext.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/RoundTripEngine.h"
#include "tests/support/ServerSession.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kelvanto::test
{
namespace
{

namespace fs = std::filesystem;

std::string Script(const std::string& database)
{
    const std::string use = "USE `" + database + "`;\n";
    return "CREATE DATABASE `" + database + "`;\n" + use
        + "CREATE TABLE people (id INT PRIMARY KEY, name VARCHAR(30), born TIMESTAMP NULL, note TEXT);\n"
          "INSERT INTO people VALUES (1,'Ann','2001-02-03 04:05:06','x'),(2,'Bob',NULL,'it''s'),(3,'Cy','1999-12-31 "
          "23:59:59',NULL);\n"
          "CREATE TABLE audit (id INT AUTO_INCREMENT PRIMARY KEY, who VARCHAR(30));\n"
          "CREATE TRIGGER people_audit AFTER INSERT ON people FOR EACH ROW INSERT INTO audit (who) VALUES "
          "(NEW.name);\n"
          "CREATE PROCEDURE count_people() SELECT COUNT(*) FROM people;\n";
}

// "1" when the server has a database of that name, "0" when not.
std::string Exists(const TestServerAddress& server, const std::string& database)
{
    std::string output;
    RunMariadbClient(
        server, "SELECT COUNT(*) FROM information_schema.SCHEMATA WHERE SCHEMA_NAME = '" + database + "';\n", &output);
    return output.substr(0, output.find('\n'));
}

BackupManifest ManifestOf(const BackupRun& run)
{
    std::ifstream in(ManifestPathFor(run), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Result<BackupManifest> manifest = BackupManifest::FromJson(text);
    EXPECT_TRUE(manifest.ok()) << ManifestPathFor(run) << ": " << (manifest ? "" : manifest.error());
    return manifest ? *manifest : BackupManifest {};
}

// A sink that changes one value of a row on its way to the file, after the run tallied it.
class AlteringSink : public FileSink
{
public:
    bool Append(const std::string& path, std::string_view piece) override
    {
        std::string changed(piece);
        if (const auto at = changed.find("'Bob'"); at != std::string::npos)
            changed.replace(at, 5, "'Rob'");
        return FileSink::Append(path, changed);
    }
};

class RestoreVerification : public ::testing::Test
{
protected:
    Task MakeTask(const TestServerAddress& source, const TestServerAddress& target, int fileSplit)
    {
        Task task = MakeDumpTask(source, database->name(), ListObjectsForTask(source, database->name()),
            dir.path() / "dumps", fileSplit, /*multiRowInsert=*/false);
        task.extras.routines = true;
        task.extras.triggers = true;
        task.extras.verifyRestore = VerifyServer {{}, SettingsFor(target)};
        return task;
    }

    bool Prepare(const TestServerAddress& source, const TestServerAddress& target)
    {
        database.emplace("kv_verify", std::vector<TestServerAddress> {source, target});
        std::string output;
        EXPECT_EQ(RunMariadbClient(source, Script(database->name()), &output), 0) << output;
        return output.empty();
    }

    TempDir dir;
    std::optional<RoundTripDatabase> database;
};

TEST_F(RestoreVerification, AGoodBackupPassesAndLeavesNothingOnTheVerificationServer)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    ASSERT_TRUE(Prepare(source, target));
    // The verification server by a stored profile of the data folder's server list.
    ServerConnection profile = SettingsFor(target);
    profile.connectionName = "Verify";
    ServerList profiles;
    profiles.add(profile);
    fs::create_directories(dir.path() / "data");
    ASSERT_TRUE(SaveServerListFile(dir.path() / "data" / fileformat::kServerListFileName, profiles).ok());

    struct Row
    {
        const char* name;
        int fileSplit;
        Compression compression;
        bool byProfile;
    };
    for (const Row& row :
        {Row {"one file", 1, Compression::None, false}, Row {"per table, zstd", 3, Compression::Zstd, true},
            Row {"per database, gzip", 2, Compression::Gzip, false}}) {
        SCOPED_TRACE(row.name);
        Task task = MakeTask(source, target, row.fileSplit);
        task.extras.compression = row.compression;
        if (row.byProfile)
            task.extras.verifyRestore = VerifyServer {"Verify", {}};
        const EngineDump dump = RunDumpEngine(task, dir.path() / "data");
        EXPECT_EQ(dump.outcome, RunOutcome::Finished) << dump.logText();
        EXPECT_EQ(dump.errors(), "");
        EXPECT_NE(dump.logText().find("Verified by a restore into " + target.host + ":" + std::to_string(target.port)
                      + ": 2 tables (3 rows) and 2 stored programs match the backup in "),
            std::string::npos)
            << dump.logText();
        EXPECT_EQ(dump.run.runReserved, 0);
        const BackupManifest manifest = ManifestOf(dump.run);
        ASSERT_TRUE(manifest.verification.has_value());
        EXPECT_TRUE(manifest.verification->passed);
        EXPECT_EQ(manifest.verification->firstDifferingTable, "");
        EXPECT_EQ(manifest.objects.size(), 2u);
        EXPECT_EQ(manifest.databases, std::vector<std::string> {database->name()});
        EXPECT_EQ(Exists(target, database->name()), "0");
    }
}

TEST_F(RestoreVerification, ARowChangedInTheFileFailsTheRunAndNamesTheTable)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    ASSERT_TRUE(Prepare(source, target));
    const Task task = MakeTask(source, target, 1);
    AlteringSink sink;
    InitMySqlLibrary();
    const EngineDump dump = RunDumpEngine(task, dir.path() / "data", MakeMariaDbConnector(), sink);
    // Completed with errors: the files are kept and recorded, nothing expires.
    EXPECT_EQ(dump.outcome, RunOutcome::Finished) << dump.logText();
    const std::string table = database->name() + ".people";
    EXPECT_NE(dump.errors().find("failed in "), std::string::npos) << dump.errors();
    EXPECT_NE(dump.errors().find("the table " + table + " differs from the backup: 3 rows"), std::string::npos)
        << dump.errors();
    EXPECT_NE(dump.logText().find("The backup logged errors, so no older backup copy was deleted!"), std::string::npos);
    EXPECT_EQ(dump.run.runReserved, kCopyWithErrors);
    ASSERT_EQ(dump.files.size(), 1u);
    EXPECT_TRUE(fs::is_regular_file(dump.files[0]));
    const BackupManifest manifest = ManifestOf(dump.run);
    ASSERT_TRUE(manifest.verification.has_value());
    EXPECT_FALSE(manifest.verification->passed);
    EXPECT_EQ(manifest.verification->firstDifferingTable, table);
    EXPECT_NE(manifest.verification->failure.find(table), std::string::npos);
    EXPECT_EQ(Exists(target, database->name()), "0");
}

TEST_F(RestoreVerification, NeverTouchesADatabaseItDidNotCreateNorTheSource)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    ASSERT_TRUE(Prepare(source, target));
    std::string output;
    ASSERT_EQ(RunMariadbClient(target,
                  "CREATE DATABASE `" + database->name() + "`; CREATE TABLE `" + database->name()
                      + "`.keep (v INT); INSERT INTO `" + database->name() + "`.keep VALUES (42);\n",
                  &output),
        0)
        << output;

    struct Row
    {
        const char* name;
        bool sourceAsTarget;
        const char* error;
    };
    for (const Row& row : {Row {"taken name", false,
                               " exists on the verification server already; the verification "
                               "leaves it untouched"},
             Row {"the source", true, "the verification server is the source server"}}) {
        SCOPED_TRACE(row.name);
        Task task = MakeTask(source, target, 1);
        if (row.sourceAsTarget)
            task.extras.verifyRestore->connection = SettingsFor(source);
        const EngineDump dump = RunDumpEngine(task, dir.path() / "data");
        EXPECT_EQ(dump.outcome, RunOutcome::Finished) << dump.logText();
        EXPECT_NE(dump.errors().find(row.error), std::string::npos) << dump.errors();
        EXPECT_EQ(dump.run.runReserved, kCopyWithErrors);
        ASSERT_TRUE(ManifestOf(dump.run).verification.has_value());
        EXPECT_FALSE(ManifestOf(dump.run).verification->passed);
    }
    output.clear();
    RunMariadbClient(target,
        "SELECT GROUP_CONCAT(TABLE_NAME) FROM information_schema.TABLES WHERE TABLE_SCHEMA = '" + database->name()
            + "'; SELECT v FROM `" + database->name() + "`.keep;\n",
        &output);
    EXPECT_EQ(output, "keep\n42\n");
    output.clear();
    RunMariadbClient(source, "SELECT COUNT(*) FROM `" + database->name() + "`.people;\n", &output);
    EXPECT_EQ(output, "3\n");
}

TEST_F(RestoreVerification, AStopInTheMiddleDropsWhatItCreated)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    ASSERT_TRUE(Prepare(source, target));
    InitMySqlLibrary();
    // Stopped as the restore starts, and as the restored rows are being compared.
    for (const std::string stopAt : {"Restoring...  ", "Successfully connected"}) {
        SCOPED_TRACE(stopAt);
        FakeRunContext context(MakeTask(source, target, 3), dir.path() / "data");
        bool verifying = false;
        std::string seenThere;
        context.SetLogHook([&](const LogLine& line) {
            verifying = verifying || line.text.starts_with("Verifying the backup by restoring");
            if (verifying && line.text.starts_with(stopAt)) {
                seenThere = Exists(target, database->name());
                context.SetQuit(true);
            }
        });
        EXPECT_EQ(RunBackupToFiles(context, MakeMariaDbConnector()), RunOutcome::Cancelled) << context.LogText();
        EXPECT_EQ(seenThere, "1") << context.LogText();
        EXPECT_EQ(Exists(target, database->name()), "0");
        // The whole files are recorded, as a copy that lets nothing expire.
        const Task after = context.task();
        ASSERT_FALSE(after.backupHistory.empty());
        EXPECT_EQ(after.backupHistory.back().runReserved, kCopyWithErrors);
    }
}

} // namespace
} // namespace kelvanto::test
