// The names of the files of runs that follow one another: runs in the same day or second
// never write over a kept copy, so rotation never deletes the newest, and "always the same
// file" keeps replacing its one file.
#include "engines/backupset/BackupVerification.h"
#include "tests/engines/backup/BackupToFilesFixture.h"
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
};

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
