#include "engines/restore/RestoreFileEntry.h"
#include "tests/engines/backup/BackupToFilesFixture.h"
#include "tests/support/FileText.h"
#include "tests/support/OtherUser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvanto::test
{
namespace
{

namespace fs = std::filesystem;

bool Contains(const std::vector<std::string>& lines, const std::string& prefix)
{
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
}

// Every regular file or link below `folder`.
std::vector<fs::path> EntriesBelow(const fs::path& folder)
{
    std::vector<fs::path> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_directory() || entry.is_symlink())
            entries.push_back(entry.path());
    }
    return entries;
}

// A backup of one small table into new files in "backups", named by host, date and time.
class BackupToFilesPathsTest : public BackupToFilesFixture
{
protected:
    BackupToFilesPathsTest()
    {
        task.logFileName = "Nightly_2024123450.log";
        task.backupSettings.fileMode = 2;
        task.backupSettings.backupFolder = Folder().string() + "/";
        task.backupSettings.fileNameFormat = "%HOST%_%DATE%_%TIME%";
        ChooseTables({Table("items")});
        AddItemsTable({{"1", "a"}});
        fs::create_directory(Folder());
    }

    fs::path Folder() const { return dir.path() / "backups"; }
    fs::path NextFile() const { return Folder() / "localhost_2024-01-02_03-04-05.sql"; }
    bool HistoryNames(const fs::path& file) const
    {
        for (const BackupRun& run : context->task().backupHistory) {
            if (std::find(run.files.begin(), run.files.end(), file.string()) != run.files.end())
                return true;
        }
        return false;
    }
};

// Another user's link or file waiting at the next dump's name in a shared folder: the name is
// taken, so the dump gets the next free one, and the planted thing is neither followed nor
// written into nor replaced.
TEST_F(BackupToFilesPathsTest, ThingsPlantedAtTheNextFilesNameAreLeftAndTheDumpTakesAnotherName)
{
    if (!CanPlantAsOtherUser())
        GTEST_SKIP() << WhyNoOtherUser();
    const fs::path victim = dir.path() / "victim";
    const fs::path numbered = Folder() / "localhost_2024-01-02_03-04-05_2.sql";
    for (const bool link : {true, false}) {
        SCOPED_TRACE(link ? "a link" : "a file");
        fs::remove_all(Folder());
        fs::create_directory(Folder());
        ASSERT_NO_FATAL_FAILURE(MakeShared(Folder()));
        WriteText(victim, "precious");
        if (link) {
            fs::create_symlink(victim, NextFile());
        } else {
            fs::remove(victim);
            WriteText(NextFile(), "precious");
            fs::create_hard_link(NextFile(), victim);
        }
        GiveToOtherUser(NextFile());

        EXPECT_EQ(Run(), RunOutcome::Finished) << context->LogText();
        EXPECT_EQ(ReadText(victim), "precious");
        EXPECT_EQ(fs::is_symlink(NextFile()), link);
        EXPECT_FALSE(HistoryNames(NextFile()));
        EXPECT_TRUE(HistoryNames(numbered));
        EXPECT_NE(ReadText(numbered).find("INSERT INTO `items`"), std::string::npos);
        struct stat status
        { };
        ASSERT_EQ(::stat(numbered.c_str(), &status), 0);
        EXPECT_EQ(status.st_uid, ::geteuid());
        EXPECT_EQ(status.st_mode & 07777, 0600u);
    }
}

// Another user's file (or anything that is no regular file of ours) at the temporary name of
// the next dump: every run fails with a line that says what it is, whose and where, and it is
// left as it is.
TEST_F(BackupToFilesPathsTest, APlantedTemporaryFileFailsEveryRunWithItsPlaceAndOwner)
{
    if (!CanPlantAsOtherUser())
        GTEST_SKIP() << WhyNoOtherUser();
    ASSERT_NO_FATAL_FAILURE(MakeShared(Folder()));
    const fs::path planted = TemporaryOf(NextFile());
    WriteText(planted, "theirs");
    GiveToOtherUser(planted);
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        EXPECT_EQ(Run(), RunOutcome::Failed);
        EXPECT_TRUE(Contains(LogTexts(),
            "Failed to create the backup file! - " + NextFile().string() + " - Cannot create " + planted.string()
                + ": a regular file of the user nobody (uid "))
            << context->LogText();
        EXPECT_EQ(ReadText(planted), "theirs");
        EXPECT_TRUE(context->task().backupHistory.empty());
    }
}

// Whatever the format says, the dump is one file directly in the backup folder.
TEST_F(BackupToFilesPathsTest, AFileNameFormatNeverLeavesTheBackupFolder)
{
    struct Row
    {
        const char* format;
        const char* name;
    };
    for (const Row& row : {Row {"../../x/%DATE%", "x2024-01-02.sql"}, Row {"/etc/%TIME%", "etc03-04-05.sql"},
             Row {"a/../../b", "ab.sql"}, Row {"..", ".sql"}, Row {"./%HOST%/./..", "localhost.sql"}}) {
        SCOPED_TRACE(row.format);
        fs::remove_all(Folder());
        task.backupSettings.fileNameFormat = row.format;
        ASSERT_EQ(Run(), RunOutcome::Finished);
        // The dump and the manifest of its run, side by side.
        std::vector<fs::path> entries = EntriesBelow(dir.path());
        std::sort(entries.begin(), entries.end());
        EXPECT_EQ(entries,
            (std::vector<fs::path> {Folder() / row.name, Folder() / (std::string(row.name) + ".manifest.json")}));
    }
}

// A run folder that another user made or linked first is not entered.
TEST_F(BackupToFilesPathsTest, ARunFolderOfAnotherUserIsNotUsed)
{
    if (!CanPlantAsOtherUser())
        GTEST_SKIP() << WhyNoOtherUser();
    task.backupSettings.newFolderPerRun = 1;
    const fs::path runFolder = Folder() / "2024-01-02_03-04-05";
    const fs::path elsewhere = dir.path() / "elsewhere";
    for (const bool link : {true, false}) {
        SCOPED_TRACE(link ? "a link" : "a folder");
        fs::remove_all(Folder());
        fs::remove_all(elsewhere);
        fs::create_directories(Folder());
        fs::create_directory(elsewhere);
        if (link)
            fs::create_directory_symlink(elsewhere, runFolder);
        else
            fs::create_directory(runFolder);
        GiveToOtherUser(runFolder);
        EXPECT_EQ(Run(), RunOutcome::Failed);
        EXPECT_TRUE(Contains(LogTexts(), "Failed to create the backup folder! - "));
        EXPECT_TRUE(fs::is_empty(elsewhere));
        if (!link) {
            EXPECT_TRUE(fs::is_empty(runFolder));
        }
    }
}

// Unmounts the file system mounted on a folder when it goes away.
class Mount
{
public:
    Mount(const fs::path& folder, const std::string& options)
        : m_folder(folder)
    {
        m_mounted = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~Mount()
    {
        if (m_mounted)
            ::umount2(m_folder.c_str(), MNT_DETACH);
    }
    Mount(const Mount&) = delete;
    Mount& operator=(const Mount&) = delete;
    bool mounted() const { return m_mounted; }

private:
    fs::path m_folder;
    bool m_mounted = false;
};

// A disk that fills up: no file under a final name, no temporary file left, no history entry
// naming the dump, and the older copy kept.
TEST_F(BackupToFilesPathsTest, AFullDiskLeavesNoFileUnderAFinalNameAndKeepsOlderCopies)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a full disk is a small tmpfs, which only root can mount (CI runs the tests as root)";
    Mount small(Folder(), "size=64k,mode=0700");
    if (!small.mounted())
        GTEST_SKIP() << "tmpfs cannot be mounted here: " << std::strerror(errno);
    std::vector<Values> rows;
    for (int i = 0; i < 3000; ++i)
        rows.push_back({std::to_string(i), std::string(80, 'x')});
    AddItemsTable(rows);
    const fs::path older = Folder() / "localhost_2020-01-01_00-00-00.sql";
    WriteText(older, "-- an older copy");
    BackupRun old;
    old.files = {older.string()};
    old.year = 2020;
    old.month = 1;
    old.day = 1;
    old.fileMode = 2;
    task.backupHistory = {old};
    task.backupSettings.autoDelete = 2;
    task.backupSettings.autoDeleteLimit = 1;

    Run();
    EXPECT_FALSE(fs::exists(NextFile()));
    EXPECT_EQ(EntriesBelow(Folder()), std::vector<fs::path> {older});
    EXPECT_EQ(ReadText(older), "-- an older copy");
    EXPECT_FALSE(HistoryNames(NextFile()));
    const std::vector<LogLine> lines = context->LogLines();
    EXPECT_TRUE(
        std::any_of(lines.begin(), lines.end(), [](const LogLine& line) { return line.level == LogLevel::Error; }));
}

TEST(RestoreFileEntryTest, AFileUnderItsTemporaryNameIsRefused)
{
    TempDir dir;
    const fs::path whole = dir.path() / "dump.sql";
    const fs::path partial = dir.path() / "dump.sql.Nightly_1.partial";
    WriteText(whole, "SELECT 1;\n");
    WriteText(partial, "SELECT 1;\n");
    EXPECT_TRUE(RestoreFileEntry(whole.string()));
    const Result<RestoreFile> refused = RestoreFileEntry(partial.string());
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), IncompleteFileMessage(partial.string()));
    EXPECT_NE(refused.error().find("incomplete"), std::string::npos);
}

} // namespace
} // namespace kelvanto::test
