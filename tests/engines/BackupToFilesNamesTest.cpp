// The names of the files a backup writes in "new files every time" mode: tables whose names
// clean to one name, and the same table in two databases of a format without %DATABASE%, get
// files of their own; runs in the same day or second never write over a kept copy, so
// rotation never deletes the newest; "always the same file" keeps replacing its one file.
#include "engines/BackupManifest.h"
#include "engines/BackupVerification.h"
#include "tests/engines/BackupToFilesFixture.h"
#include "tests/support/FileText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace kelvanto::test
{
namespace
{

namespace fs = std::filesystem;

class BackupToFilesNamesTest : public BackupToFilesFixture
{
protected:
    BackupToFilesNamesTest()
    {
        task.logFileName = "Nightly_2024123450.log";
        task.backupSettings.fileMode = 2;
        task.backupSettings.backupFolder = Folder().string() + "/";
        fs::create_directory(Folder());
    }

    fs::path Folder() const { return dir.path() / "backups"; }

    // A run whose history the next run sees, as the runner keeps it in the stored task.
    RunOutcome RunAndKeep()
    {
        const RunOutcome outcome = Run();
        task = context->task();
        return outcome;
    }

    // The names of every entry below the backup folder, relative to it, sorted.
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(Folder()))
            names.push_back(fs::relative(entry.path(), Folder()).string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::vector<std::string> Warnings() const
    {
        std::vector<std::string> lines;
        for (const LogLine& line : context->LogLines()) {
            if (line.level == LogLevel::Warning)
                lines.push_back(line.text);
        }
        return lines;
    }

    void AddSimpleTable(const std::string& name, const std::string& value)
    {
        std::string quoted = "`" + name + "`";
        AddTable(name, quoted, "CREATE TABLE " + quoted + " (`v` varchar(10))", {Field("v", FieldType::VarString)},
            {{value}});
    }
};

// Tables a/b, a:b and ab all clean to "ab": each gets a file of its own, in the order they are
// written, the manifest names each table's file, and the backup verifies.
TEST_F(BackupToFilesNamesTest, TablesWhoseNamesCleanToOneNameGetFilesOfTheirOwn)
{
    task.backupSettings.fileSplit = 3;
    task.backupSettings.fileNameFormat = "%HOST%_%DATABASE%_%TABLE%_%DATE%_%TIME%";
    ChooseTables({Table("a/b"), Table("a:b"), Table("ab")});
    for (const char* name : {"a/b", "a:b", "ab"})
        AddSimpleTable(name, std::string("row of ") + name);

    ASSERT_EQ(Run(), RunOutcome::Finished) << context->LogText();
    EXPECT_EQ(Warnings(), std::vector<std::string> {});
    const BackupRun run = context->task().backupHistory.at(0);
    const std::string stem = Folder().string() + "/localhost_shop_ab_2024-01-02_03-04-05";
    ASSERT_EQ(run.files, (std::vector<std::string> {stem + ".sql", stem + "_2.sql", stem + "_3.sql"}));
    const char* tables[] = {"a/b", "a:b", "ab"};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(tables[i]);
        const std::string text = ReadText(run.files[i]);
        EXPECT_EQ(CountOf(text, "INSERT INTO `" + std::string(tables[i]) + "` VALUES ('row of " + tables[i] + "');"), 1)
            << text;
        EXPECT_EQ(CountOf(text, "INSERT INTO"), 1) << text;
    }
    const Result<BackupManifest> manifest = BackupManifest::FromJson(ReadText(ManifestPathFor(run)));
    ASSERT_TRUE(manifest.ok()) << manifest.error();
    EXPECT_EQ(manifest->layout, BackupManifest::kFilePerTable);
    ASSERT_EQ(manifest->tables.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(manifest->tables[i].table, tables[i]);
        EXPECT_EQ(manifest->tables[i].file, fs::path(run.files[i]).filename().string());
    }
    const BackupVerification verified = VerifyBackupRun(run);
    EXPECT_TRUE(verified.ok);
}

// A stored task whose file per table lacks %DATABASE% (the checks refuse such a task now)
// keeps both databases' table t, and says once why the second file has a number.
TEST_F(BackupToFilesNamesTest, AFormatWithoutTheDatabaseKeepsBothDatabasesAndWarnsOnce)
{
    task.backupSettings.fileSplit = 3;
    task.backupSettings.fileNameFormat = "%TABLE%_%DATE%";
    task.databases = {DatabaseItem {2, "db1", {TableItem {2, 1, "db1", "t"}}},
        DatabaseItem {2, "db2", {TableItem {2, 1, "db2", "t"}}}};
    AddSimpleTable("t", "x");

    ASSERT_EQ(Run(), RunOutcome::Finished) << context->LogText();
    ASSERT_EQ(Warnings().size(), 1u);
    EXPECT_NE(Warnings()[0].find("lacks %DATABASE%"), std::string::npos) << Warnings()[0];
    const BackupRun run = context->task().backupHistory.at(0);
    ASSERT_EQ(run.files.size(), 2u);
    EXPECT_EQ(run.files[0], Folder().string() + "/t_2024-01-02.sql");
    EXPECT_EQ(run.files[1], Folder().string() + "/t_2024-01-02_2.sql");
    EXPECT_EQ(CountOf(ReadText(run.files[0]), "USE `db1`"), 1);
    EXPECT_EQ(CountOf(ReadText(run.files[1]), "USE `db2`"), 1);
    EXPECT_TRUE(VerifyBackupRun(run).ok);
}

// Runs in the same day (a format with %DATE% only) or in the same second (with %TIME%, and
// with a folder per run) keeping one copy: each run's copy survives its own expiry of the one
// before, and a numbered copy expires in its turn.
TEST_F(BackupToFilesNamesTest, RunsInTheSameDayOrSecondNeverDeleteTheNewestCopy)
{
    struct Row
    {
        const char* format;
        bool folderPerRun;
        const char* plain;
        const char* numbered;
    };
    const Row rows[] = {
        {"daily_%DATE%", false, "daily_2024-01-02.sql", "daily_2024-01-02_2.sql"},
        {"%HOST%_%DATE%_%TIME%", false, "localhost_2024-01-02_03-04-05.sql", "localhost_2024-01-02_03-04-05_2.sql"},
        {"%HOST%_%DATE%_%TIME%", true, "2024-01-02_03-04-05/localhost_2024-01-02_03-04-05.sql",
            "2024-01-02_03-04-05/localhost_2024-01-02_03-04-05_2.sql"},
    };
    ChooseTables({Table("items")});
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.format) + (row.folderPerRun ? " in a folder per run" : ""));
        fs::remove_all(Folder());
        fs::create_directory(Folder());
        task.backupHistory.clear();
        task.backupSettings.fileNameFormat = row.format;
        task.backupSettings.newFolderPerRun = row.folderPerRun ? 1 : 0;
        task.backupSettings.autoDelete = 2;
        task.backupSettings.autoDeleteLimit = 1;
        const std::string runFolder = row.folderPerRun ? "2024-01-02_03-04-05" : "";
        const auto only = [&](const std::string& name) {
            std::vector<std::string> expected {name, name + ".manifest.json"};
            if (!runFolder.empty())
                expected.insert(expected.begin(), runFolder);
            return expected;
        };
        // Each run writes its rows anew: the copy kept is the last run's.
        for (int runNumber = 1; runNumber <= 4; ++runNumber) {
            SCOPED_TRACE(runNumber);
            AddItemsTable({{std::to_string(runNumber), "run"}});
            ASSERT_EQ(RunAndKeep(), RunOutcome::Finished) << context->LogText();
            const std::string name = runNumber % 2 == 1 ? row.plain : row.numbered;
            EXPECT_EQ(Entries(), only(name));
            ASSERT_EQ(task.backupHistory.size(), 1u);
            EXPECT_EQ(task.backupHistory[0].files, std::vector<std::string> {(Folder() / name).string()});
            EXPECT_EQ(
                CountOf(ReadText(Folder() / name), "INSERT INTO `items` VALUES (" + std::to_string(runNumber)), 1);
            EXPECT_TRUE(VerifyBackupRun(task.backupHistory[0]).ok);
            const std::vector<std::string> log = context->LogTexts();
            EXPECT_EQ(std::count(log.begin(), log.end(), "Delete the expired backup copies"), runNumber > 1 ? 1 : 0);
        }
    }
}

// "Always the same file" mode replaces its one file every run, whatever its history names,
// and rotation never deletes it.
TEST_F(BackupToFilesNamesTest, AlwaysTheSameFileIsReplacedEveryRun)
{
    task.backupSettings.fileMode = 1;
    task.backupSettings.singleFilePath = (Folder() / "all.sql").string();
    task.backupSettings.autoDelete = 2;
    task.backupSettings.autoDeleteLimit = 1;
    ChooseTables({Table("items")});
    for (int runNumber = 1; runNumber <= 2; ++runNumber) {
        AddItemsTable({{std::to_string(runNumber), "run"}});
        ASSERT_EQ(RunAndKeep(), RunOutcome::Finished) << context->LogText();
    }
    EXPECT_EQ(Entries(), (std::vector<std::string> {"all.sql", "all.sql.manifest.json"}));
    EXPECT_EQ(CountOf(ReadText(Folder() / "all.sql"), "INSERT INTO `items` VALUES (2"), 1);
    EXPECT_EQ(CountOf(ReadText(Folder() / "all.sql"), "INSERT INTO `items` VALUES (1"), 0);
    ASSERT_EQ(task.backupHistory.size(), 2u);
    EXPECT_EQ(task.backupHistory[1].files, std::vector<std::string> {(Folder() / "all.sql").string()});
}

} // namespace
} // namespace kelvanto::test
