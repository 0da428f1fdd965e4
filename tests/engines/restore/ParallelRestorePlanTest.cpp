// Which restores spread over several connections: only the files of one backup run that its
// own manifest describes (databases and contents), unchanged since, each selecting the
// database the manifest names itself, in the manifest's order; a manifest planted beside
// them decides nothing.
#include "engines/restore/ParallelRestorePlan.h"
#include "engines/backupset/BackupManifest.h"
#include "engines/backupset/BackupRunManifest.h"
#include "engines/io/FileSink.h"
#include "engines/restore/ParallelRestoreDatabase.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kelvanto::test
{
namespace
{

// A run of three files: two tables of "shop" and its routines, views and events.
struct BackupFiles
{
    TempDir dir;
    std::string tableA = (dir.path() / "shop.a.sql").string();
    std::string tableB = (dir.path() / "shop.b.sql").string();
    std::string objects = (dir.path() / "shop.(routines).sql").string();

    BackupFiles()
    {
        const std::string head = "SET NAMES utf8mb4;\nCREATE DATABASE IF NOT EXISTS `shop`;\nUSE `shop`;\n";
        WriteText(tableA, head + "CREATE TABLE a (n INT);\nINSERT INTO a VALUES (1);\n");
        WriteText(tableB, head + "CREATE TABLE b (n INT);\n");
        WriteText(objects, head + "CREATE VIEW v AS SELECT 1;\n");
        BackupRunManifest manifest("task-1", "Nightly", TimeStamp {2026, 12, 7, 3, 4, 5, 2});
        manifest.NoteContent(tableA, "shop", BackupManifest::kTables);
        manifest.NoteContent(tableA, "shop", BackupManifest::kRows);
        manifest.NoteContent(tableA, "shop", BackupManifest::kTriggers);
        manifest.NoteContent(tableA, "shop", BackupManifest::kRows); // listed once
        manifest.NoteContent(tableB, "shop", BackupManifest::kTables);
        manifest.NoteContent(objects, "shop", BackupManifest::kRoutines);
        manifest.NoteContent(objects, "shop", BackupManifest::kViews);
        const Result<std::string> written
            = manifest.Write({tableA, tableB, objects}, TimeStamp {2026, 12, 7, 3, 5, 0, 2});
        EXPECT_TRUE(written.ok()) << written.error();
    }
    std::string manifestPath() const { return ManifestPathFor(tableA); }
};

// A copy of the run's manifest at `name` in its folder whose every file is said to hold
// `database`, with the sizes and digests of the real files.
void PlantManifest(BackupFiles& run, const std::string& name, const std::string& database)
{
    nlohmann::json json = nlohmann::json::parse(ReadText(run.manifestPath()));
    for (auto& file : json["files"])
        file["databases"] = {database};
    json["databases"] = {database};
    WriteText((run.dir.path() / name).string(), json.dump());
}

RestoreFile Entry(const std::string& path, std::uint8_t checkState = 0)
{
    RestoreFile file;
    file.path = path;
    file.fileName = std::filesystem::path(path).filename().string();
    file.checkState = checkState;
    return file;
}

TEST(ParallelRestorePlan, ManifestRecordsDatabasesAndContentsAndOldOnesStillLoad)
{
    BackupFiles run;
    const Result<BackupManifest> loaded = BackupManifest::FromJson(ReadText(run.manifestPath()));
    ASSERT_TRUE(loaded.ok()) << loaded.error();
    ASSERT_EQ(loaded->files.size(), 3u);
    EXPECT_EQ(loaded->files[0].databases, std::vector<std::string>({"shop"}));
    EXPECT_EQ(loaded->files[0].contents, std::vector<std::string>({"tables", "rows", "triggers"}));
    EXPECT_EQ(loaded->files[2].contents, std::vector<std::string>({"routines", "views"}));
    EXPECT_EQ(BackupManifest::FromJson(loaded->ToJson())->ToJson(), loaded->ToJson());

    nlohmann::json json = nlohmann::json::parse(ReadText(run.manifestPath()));
    for (auto& file : json["files"]) {
        file.erase("databases");
        file.erase("contents");
    }
    const Result<BackupManifest> old = BackupManifest::FromJson(json.dump());
    ASSERT_TRUE(old.ok()) << old.error();
    EXPECT_FALSE(old->files[0].Described());
    json["files"][0]["contents"] = {"tables", 3};
    EXPECT_FALSE(BackupManifest::FromJson(json.dump()).ok());
}

TEST(ParallelRestorePlan, AppliesOnlyToUnchangedFilesOfOneDescribedRun)
{
    struct Row
    {
        const char* name;
        int threads;
        // Changes the run and gives the restore's entries.
        std::function<std::vector<RestoreFile>(BackupFiles&)> entries;
        std::vector<std::string> tables; // file names of the plan, empty for none
        std::vector<std::string> after;
        LogLevel level;
        std::string reason; // the start of the line; "" for none
    };
    const auto all = [](BackupFiles& run) {
        return std::vector {Entry(run.objects), Entry(run.tableB), Entry(run.tableA)};
    };
    const Row rows[] = {
        {"InTheManifestsOrder", 2, all, {"shop.a.sql", "shop.b.sql"}, {"shop.(routines).sql"}, LogLevel::General, ""},
        {"OneThread", 1, all, {}, {}, LogLevel::General, ""},
        {"OneFile", 4,
            [](BackupFiles& run) {
                return std::vector {Entry(run.tableA), Entry(run.tableB, 1)};
            },
            {}, {}, LogLevel::General, ""},
        {"UncheckedLeftOut", 4,
            [](BackupFiles& run) {
                return std::vector {Entry(run.tableB), Entry(run.objects, 1), Entry(run.tableA)};
            },
            {"shop.a.sql", "shop.b.sql"}, {}, LogLevel::General, ""},
        {"NoManifest", 2,
            [&all](BackupFiles& run) {
                std::filesystem::remove(run.manifestPath());
                return all(run);
            },
            {}, {}, LogLevel::General, "No manifest of a backup run lists these files, so they are restored over one"},
        {"ManifestIsASymlink", 2,
            [&all](BackupFiles& run) {
                const std::string moved = (run.dir.path() / "elsewhere.json").string();
                std::filesystem::rename(run.manifestPath(), moved);
                std::filesystem::create_symlink(moved, run.manifestPath());
                return all(run);
            },
            {}, {}, LogLevel::General, "No manifest"},
        {"FileNotInTheManifest", 2,
            [&all](BackupFiles& run) {
                std::vector<RestoreFile> entries = all(run);
                WriteText((run.dir.path() / "extra.sql").string(), "SELECT 1;\n");
                entries.push_back(Entry((run.dir.path() / "extra.sql").string()));
                return entries;
            },
            {}, {}, LogLevel::General, "No manifest"},
        {"OldManifest", 2,
            [&all](BackupFiles& run) {
                nlohmann::json json = nlohmann::json::parse(ReadText(run.manifestPath()));
                json["files"][1].erase("databases");
                WriteText(run.manifestPath(), json.dump());
                return all(run);
            },
            {}, {}, LogLevel::General, "The manifest does not name one database and its objects for shop.b.sql"},
        {"ChangedFile", 2,
            [&all](BackupFiles& run) {
                WriteText(run.tableB, "CREATE TABLE b (n BIGINT);\n");
                return all(run);
            },
            {}, {}, LogLevel::Warning, "(b) does not have the size and SHA-256"},
        // A copy of the manifest under another name, naming another database: only the run's
        // own manifest counts, and the files say where they go.
        {"PlantedManifestBesideTheRunsOwn", 2,
            [&all](BackupFiles& run) {
                PlantManifest(run, "aaa.manifest.json", "victimdb");
                return all(run);
            },
            {"shop.a.sql", "shop.b.sql"}, {"shop.(routines).sql"}, LogLevel::General, ""},
        {"ManifestNamesAnotherDatabase", 2,
            [&all](BackupFiles& run) {
                PlantManifest(run, "shop.a.sql.manifest.json", "mysql");
                return all(run);
            },
            {}, {}, LogLevel::Warning,
            "The manifest names the database mysql for shop.(routines).sql, but the file selects shop, so they are "
            "restored over one connection"},
        {"SameFileTwice", 2,
            [](BackupFiles& run) {
                return std::vector {Entry(run.tableA), Entry(run.tableA)};
            },
            {}, {}, LogLevel::General, "The files are not those of one backup run"},
        {"TwoFolders", 2,
            [](BackupFiles& run) {
                std::filesystem::create_directory(run.dir.path() / "sub");
                WriteText((run.dir.path() / "sub" / "shop.b.sql").string(), "CREATE TABLE b (n INT);\n");
                return std::vector {Entry(run.tableA), Entry((run.dir.path() / "sub" / "shop.b.sql").string())};
            },
            {}, {}, LogLevel::General, "The files are not those of one backup run"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        BackupFiles run;
        const std::vector<RestoreFile> entries = row.entries(run);
        const ParallelRestoreChoice choice = PlanParallelRestore(entries, row.threads, [] { return false; });
        std::string reason = choice.reason;
        if (reason.starts_with(run.tableB))
            reason.replace(0, run.tableB.size(), "(b)");
        EXPECT_EQ(reason.substr(0, std::string(row.reason).size()), row.reason) << choice.reason;
        EXPECT_EQ(choice.reason.empty(), std::string(row.reason).empty()) << choice.reason;
        EXPECT_EQ(choice.level, row.level);
        ASSERT_EQ(choice.plan.has_value(), !row.tables.empty());
        if (!choice.plan)
            continue;
        std::vector<std::string> tables;
        std::vector<std::string> after;
        for (const auto& item : choice.plan->tables) {
            tables.push_back(std::filesystem::path(item.path).filename().string());
            EXPECT_EQ(item.database, "shop");
        }
        for (const auto& item : choice.plan->after)
            after.push_back(std::filesystem::path(item.path).filename().string());
        EXPECT_EQ(tables, row.tables);
        EXPECT_EQ(after, row.after);
    }
}

TEST(ParallelRestorePlan, TheDatabaseOfAFileIsTheOneItSelectsBeforeAnythingActsOnOne)
{
    struct Row
    {
        const char* name;
        std::string text;
        std::string database; // "" when the file selects none
        std::string error; // the start of the error
    };
    const std::string none = "does not select its database itself";
    const Row rows[] = {
        {"Plain", "USE shop;\nINSERT INTO t VALUES (1);\n", "shop", ""},
        {"LowerCaseAndBlanks", "  use\tshop ;\n", "shop", ""},
        {"HeadOfADump",
            "-- dump of `victimdb`\n/*!40101 SET NAMES utf8mb4 */;\nSET @a = 'USE victimdb;';\n"
            "CREATE DATABASE /*!32312 IF NOT EXISTS*/ `we``ird` /*!40100 DEFAULT CHARACTER SET utf8mb4 */;\n"
            "USE /* the run's */ `we``ird`;\nCREATE TABLE t (n INT);\n",
            "we`ird", ""},
        {"CreateSchema", "CREATE SCHEMA s;\nUSE s;\n", "s", ""},
        {"TableBeforeUse", "CREATE TABLE t (n INT);\nUSE shop;\n", "", none},
        {"QualifiedInsertBeforeUse", "INSERT INTO victimdb.a VALUES (1);\nUSE shop;\n", "", none},
        {"DropDatabaseFirst", "DROP DATABASE shop;\nCREATE DATABASE shop;\nUSE shop;\n", "", none},
        {"CreatesAnotherDatabase", "CREATE DATABASE a;\nUSE b;\n", "", "creates the database a but selects b"},
        {"NoUse", "SET NAMES utf8mb4;\n", "", none},
        {"Empty", "", "", none},
        // The client's "use" takes the first word as the name, as the restore then does.
        {"MoreAfterTheName", "USE shop, victimdb;\n", "shop,", ""},
        {"UnterminatedName", "USE `shop;\n", "", "has a USE statement"},
        // The client refuses a NUL byte outside --binary-mode, and so does the reader.
        {"NameWithANul", std::string("USE `vic\0tim`;\n", 15), "", "cannot be read"},
    };
    TempDir dir;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = (dir.path() / (std::string(row.name) + ".sql")).string();
        WriteText(path, row.text);
        const Result<std::string> database = FileSelectedDatabase(path);
        EXPECT_EQ(database.ok() ? *database : std::string(), row.database);
        EXPECT_EQ(database.ok() ? std::string() : database.error().substr(0, row.error.size()), row.error);
    }
    // Compressed, the file is read through its decompressor.
    const std::string compressed = (dir.path() / "z.sql.zst").string();
    FileSink sink;
    sink.SetCompression(Compression::Zstd, 3);
    ASSERT_TRUE(sink.Create(compressed));
    ASSERT_TRUE(sink.Append(compressed, "CREATE DATABASE IF NOT EXISTS `z`;\nUSE `z`;\n"));
    ASSERT_TRUE(sink.Close());
    const Result<std::string> database = FileSelectedDatabase(compressed);
    ASSERT_TRUE(database.ok()) << database.error();
    EXPECT_EQ(*database, "z");
    const Result<std::string> missing = FileSelectedDatabase((dir.path() / "missing.sql").string());
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error(), "cannot be read - No such file or directory");
}

TEST(ParallelRestorePlan, AStopWhileTheFilesAreCheckedGivesNoPlan)
{
    BackupFiles run;
    const ParallelRestoreChoice choice
        = PlanParallelRestore({Entry(run.tableA), Entry(run.tableB), Entry(run.objects)}, 2, [] { return true; });
    EXPECT_FALSE(choice.plan.has_value());
    EXPECT_EQ(choice.reason, "");
}

} // namespace
} // namespace kelvanto::test
