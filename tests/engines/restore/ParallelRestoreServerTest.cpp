// A backup with a file per table or per database restored over two connections gives the
// same databases as the restore over one: every table's rows, the views, routines and
// triggers. A failing table stops the other connection and fails the run; files without a
// manifest stay on one connection, and a manifest planted beside them redirects none.
#include "engines/backupset/BackupManifest.h"
#include "tests/support/FileText.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/RoundTripEngine.h"
#include "tests/support/RoundTripRestore.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

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

bool Contains(const EngineDump& run, const std::string& text)
{
    return run.logText().find(text) != std::string::npos;
}

// The routines and triggers of a database with their definitions, one per line.
std::string StoredObjects(const TestServerAddress& server, const std::string& database)
{
    const std::string name = HexLiteral(database);
    std::string output;
    const int code = RunMariadbClient(server,
        "SELECT ROUTINE_TYPE, ROUTINE_NAME, MD5(ROUTINE_DEFINITION) FROM information_schema.ROUTINES WHERE "
        "ROUTINE_SCHEMA = "
            + name
            + " ORDER BY 1, 2;\nSELECT TRIGGER_NAME, EVENT_OBJECT_TABLE, ACTION_TIMING, EVENT_MANIPULATION, "
              "MD5(ACTION_STATEMENT) FROM information_schema.TRIGGERS WHERE TRIGGER_SCHEMA = "
            + name + " ORDER BY 1;\n",
        &output, "--skip-column-names");
    return code == 0 ? output : "<failed> " + output;
}

// Two copies of Sakila on server 1, loaded once per test binary.
class ParallelRestore : public ::testing::Test
{
protected:
    static void TearDownTestSuite() { s_databases.clear(); }

    bool EnsureSakila(const TestServerAddress& source, const TestServerAddress& target)
    {
        if (s_databases.empty()) {
            for (const char* stem : {"kv_par_a", "kv_par_b"}) {
                s_databases.push_back(std::make_unique<RoundTripDatabase>(stem, std::vector {source, target}));
                s_loadError += LoadSakila(source, s_databases.back()->name());
            }
        }
        EXPECT_EQ(s_loadError, "");
        return s_loadError.empty();
    }

    static std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (const auto& database : s_databases)
            names.push_back(database->name());
        return names;
    }

    static bool DropAllOn(const TestServerAddress& server)
    {
        return std::all_of(
            s_databases.begin(), s_databases.end(), [&](const auto& database) { return database->DropOn(server); });
    }

private:
    static inline std::vector<std::unique_ptr<RoundTripDatabase>> s_databases;
    static inline std::string s_loadError;
};

TEST_F(ParallelRestore, TwoConnectionsGiveWhatOneGivesInBothLayouts)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    ASSERT_TRUE(EnsureSakila(source, target));
    const std::vector<std::string> names = Names();

    struct Row
    {
        const char* name;
        int fileSplit;
        int threads;
        bool keepManifest;
        bool parallel; // the log says the files went over two connections
    };
    const Row rows[] = {
        {"PerTableOneConnection", 3, 1, true, false},
        {"PerTableTwoConnections", 3, 2, true, true},
        {"PerTableNoManifest", 3, 2, false, false},
        {"PerDatabaseTwoConnections", 2, 2, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        Task dumpTask = MakeDumpTask(
            source, names[0], ListObjectsForTask(source, names[0]), dir.path() / "dumps", row.fileSplit, true);
        DatabaseItem second = dumpTask.databases.front();
        second.name = names[1];
        second.tables = ListObjectsForTask(source, names[1]);
        dumpTask.databases.push_back(second);
        dumpTask.extras.routines = dumpTask.extras.triggers = dumpTask.extras.events = true;
        const EngineDump dump = RunDumpEngine(dumpTask, dir.path() / "data");
        ASSERT_EQ(dump.outcome, RunOutcome::Finished) << dump.logText();
        ASSERT_EQ(dump.errors(), "");
        // Every file is described: which kinds each holds, in the order they were written.
        const Result<BackupManifest> manifest = BackupManifest::FromJson(ReadText(ManifestPathFor(dump.files.front())));
        ASSERT_TRUE(manifest.ok()) << manifest.error();
        std::set<std::string> kinds;
        for (const BackupManifest::File& file : manifest->files) {
            ASSERT_EQ(file.databases.size(), 1u) << file.name;
            std::string joined;
            for (const std::string& kind : file.contents)
                joined += kind + " ";
            kinds.insert(joined);
        }
        const std::set<std::string> expected = row.fileSplit == 3
            ? std::set<std::string> {"tables rows ", "tables rows triggers ", "views ", "routines "}
            : std::set<std::string> {"tables rows triggers views routines "};
        EXPECT_EQ(kinds, expected);
        if (!row.keepManifest) {
            ASSERT_TRUE(std::filesystem::remove(ManifestPathFor(dump.files.front())));
        }

        ASSERT_TRUE(DropAllOn(target));
        Task restoreTask = MakeRestoreTask(target, dump.files);
        restoreTask.extras.restoreThreads = row.threads;
        restoreTask.extras.commitEvery = 100;
        const EngineDump restore = RunRestoreEngine(restoreTask);
        ASSERT_EQ(restore.outcome, RunOutcome::Finished) << restore.logText();
        EXPECT_EQ(restore.errors(), "");
        EXPECT_EQ(Contains(restore, "over 2 connections"), row.parallel) << restore.logText();
        EXPECT_EQ(Contains(restore, "No manifest of a backup run lists these files"), !row.keepManifest);
        for (const std::string& name : names) {
            SCOPED_TRACE(name);
            const DatabaseFingerprint original = TakeFingerprint(source, name);
            EXPECT_EQ(original.tableCount(), 16u);
            EXPECT_EQ(Join(CompareFingerprints(original, TakeFingerprint(target, name))), "");
            const std::string objects = StoredObjects(source, name);
            EXPECT_NE(objects.find("film_in_stock"), std::string::npos) << objects;
            EXPECT_EQ(StoredObjects(target, name), objects);
        }
    }
}

TEST_F(ParallelRestore, AFailingTableStopsTheOtherConnectionAndFailsTheRun)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    RoundTripDatabase database("kv_par_fail", {source, target});
    const std::string db = QuoteName(database.name());
    std::string sql = "CREATE DATABASE " + db + ";\nUSE " + db + ";\n";
    for (const char* table : {"t1", "t2", "t3", "t4", "t5", "t6"}) {
        sql += std::string("CREATE TABLE ") + table + " (n INT PRIMARY KEY, v VARCHAR(40));\n";
        sql += std::string("INSERT INTO ") + table + " SELECT seq, REPEAT('x', 30) FROM seq_1_to_3000;\n";
    }
    std::string output;
    ASSERT_EQ(RunMariadbClient(source, sql, &output), 0) << output;

    TempDir dir;
    Task dumpTask = MakeDumpTask(
        source, database.name(), ListObjectsForTask(source, database.name()), dir.path() / "dumps", 3, false);
    dumpTask.backupSettings.addDropTable = 0; // so that a table already there fails the restore
    const EngineDump dump = RunDumpEngine(dumpTask, dir.path() / "data");
    ASSERT_EQ(dump.outcome, RunOutcome::Finished) << dump.logText();
    ASSERT_EQ(dump.files.size(), 6u);

    ASSERT_EQ(
        RunMariadbClient(target, "CREATE DATABASE " + db + ";\nCREATE TABLE " + db + ".t1 (n INT);\n", &output), 0)
        << output;
    Task restoreTask = MakeRestoreTask(target, dump.files);
    restoreTask.extras.restoreThreads = 2;
    const EngineDump restore = RunRestoreEngine(restoreTask);
    EXPECT_EQ(restore.outcome, RunOutcome::Failed) << restore.logText();
    EXPECT_TRUE(Contains(restore, "over 2 connections")) << restore.logText();
    EXPECT_FALSE(Contains(restore, "Finished"));
    // The failure line names its file.
    const std::string t1File = std::filesystem::path(dump.files[0]).filename().string();
    EXPECT_TRUE(Contains(restore, t1File + ": Failed to execute the SQL statement: INSERT INTO `t1`"))
        << restore.logText();
    // The other connection left at its next statement: the tables after the one it was
    // replaying were created (definitions come first) but got no rows.
    std::size_t started = 0;
    for (const LogLine& line : restore.log)
        started += line.text.rfind("Restoring...  ", 0) == 0 ? 1 : 0;
    EXPECT_LE(started, 3u) << restore.logText();
    ASSERT_EQ(RunMariadbClient(target,
                  "SELECT (SELECT COUNT(*) FROM " + db + ".t4) + (SELECT COUNT(*) FROM " + db
                      + ".t5) + (SELECT COUNT(*) FROM " + db + ".t6);\n",
                  &output, "--skip-column-names"),
        0)
        << output;
    EXPECT_EQ(output, "0\n");
}

// A copy of a run's manifest planted beside its files under another name, saying that they
// hold the tables of another database (a victim's, or `mysql`), decides nothing: files that
// do not select their database themselves go over one connection, where a restore of them
// acts on no database at all, and files that do go into their own database.
TEST_F(ParallelRestore, APlantedManifestRedirectsNoFile)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    RoundTripDatabase database("kv_par_own", {source, target});
    RoundTripDatabase victim("kv_par_victim", {target});
    const std::string db = QuoteName(database.name());
    const std::string victimDb = QuoteName(victim.name());
    std::string output;
    ASSERT_EQ(
        RunMariadbClient(source,
            "CREATE DATABASE " + db + ";\nCREATE TABLE " + db + ".a (n INT);\nINSERT INTO " + db
                + ".a VALUES (1), (2);\nCREATE TABLE " + db + ".b (n INT);\nINSERT INTO " + db + ".b VALUES (3);\n",
            &output),
        0)
        << output;
    const auto dropPlantedTables
        = [&] { return RunMariadbClient(target, "DROP TABLE IF EXISTS mysql.a, mysql.b;\n", &output); };
    const auto victimRows = [&] {
        RunMariadbClient(target, "SELECT GROUP_CONCAT(v) FROM " + victimDb + ".a;\n", &output, "--skip-column-names");
        return output;
    };
    const auto plantedTables = [&] {
        RunMariadbClient(target,
            "SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = 'mysql' AND TABLE_NAME IN "
            "('a', 'b');\n",
            &output, "--skip-column-names");
        return output;
    };

    struct Row
    {
        const char* name;
        bool useLines; // the files select their database themselves
        bool keepRunsManifest;
        std::string planted; // the database the planted manifest names
        std::string warning; // the start of the Warning line
    };
    const Row rows[] = {
        {"NoUseLinesBesideTheRunsManifest", false, true, victim.name(), "(file) does not select its database itself"},
        {"NoUseLinesIntoMysql", false, false, "mysql", "000.manifest.json lists these files but is not the manifest"},
        {"UseLinesPlantedAlone", true, false, victim.name(), "000.manifest.json lists these files but is not the"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(dropPlantedTables(), 0) << output;
        ASSERT_EQ(RunMariadbClient(target,
                      "DROP DATABASE IF EXISTS " + victimDb + ";\nCREATE DATABASE " + victimDb + ";\nCREATE TABLE "
                          + victimDb + ".a (v VARCHAR(20));\nINSERT INTO " + victimDb + ".a VALUES ('precious');\n",
                      &output),
            0)
            << output;
        ASSERT_TRUE(database.DropOn(target));
        TempDir dir;
        Task dumpTask = MakeDumpTask(
            source, database.name(), ListObjectsForTask(source, database.name()), dir.path() / "dumps", 3, false);
        dumpTask.backupSettings.addCreateDatabase = row.useLines ? 1 : 0;
        const EngineDump dump = RunDumpEngine(dumpTask, dir.path() / "data");
        ASSERT_EQ(dump.outcome, RunOutcome::Finished) << dump.logText();
        ASSERT_EQ(dump.files.size(), 2u);
        const std::string manifest = ManifestPathFor(dump.files.front());
        nlohmann::json json = nlohmann::json::parse(ReadText(manifest));
        for (auto& file : json["files"])
            file["databases"] = {row.planted};
        json["databases"] = {row.planted};
        // Named to come before the run's own in the folder's order.
        WriteText((std::filesystem::path(manifest).parent_path() / "000.manifest.json").string(), json.dump());
        if (!row.keepRunsManifest) {
            ASSERT_TRUE(std::filesystem::remove(manifest));
        }

        Task restoreTask = MakeRestoreTask(target, dump.files);
        restoreTask.extras.restoreThreads = 2;
        const EngineDump restore = RunRestoreEngine(restoreTask);
        EXPECT_FALSE(Contains(restore, "over 2 connections")) << restore.logText();
        std::string warning;
        for (const LogLine& line : restore.log) {
            if (line.level == LogLevel::Warning)
                warning = line.text;
        }
        if (warning.starts_with(dump.files.front()))
            warning.replace(0, dump.files.front().size(), "(file)");
        EXPECT_EQ(warning.substr(0, row.warning.size()), row.warning) << restore.logText();
        EXPECT_EQ(victimRows(), "precious\n");
        EXPECT_EQ(plantedTables(), "0\n");
        if (row.useLines) {
            ASSERT_EQ(restore.outcome, RunOutcome::Finished) << restore.logText();
            EXPECT_EQ(Join(CompareFingerprints(
                          TakeFingerprint(source, database.name()), TakeFingerprint(target, database.name()))),
                "");
        } else {
            // As over one connection: the files name no database, so their tables go nowhere.
            EXPECT_EQ(restore.outcome, RunOutcome::Failed) << restore.logText();
            EXPECT_TRUE(Contains(restore, "Error NO. 1046")) << restore.logText();
        }
    }
    EXPECT_EQ(dropPlantedTables(), 0) << output;
}

} // namespace
} // namespace kelvanto::test
