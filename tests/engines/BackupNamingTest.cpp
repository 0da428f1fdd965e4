#include "engines/BackupNaming.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kelvanto
{
namespace
{

const TimeStamp kRunTime {2007, 3, 4, 5, 6, 7, 1};

BackupSettings NewFiles(const char* format, int fileType = 1)
{
    BackupSettings settings;
    settings.fileMode = 2;
    settings.fileType = static_cast<std::uint8_t>(fileType);
    settings.backupFolder = "/backups/";
    settings.fileNameFormat = format;
    return settings;
}

struct PathCase
{
    const char* label;
    BackupSettings settings;
    std::string runFolder;
    std::string taskName;
    std::string host;
    std::string database;
    std::string table;
    std::string expected;
};

TEST(BackupNaming, BuildsPathsFromTheFormat)
{
    BackupSettings sameFile = NewFiles("%HOST%");
    sameFile.fileMode = 1;
    sameFile.singleFilePath = "/keep/%HOST%.dump";
    BackupSettings noSlash = NewFiles("%HOST%");
    noSlash.backupFolder = "/backups";

    const PathCase cases[] = {
        {"documented task and database", NewFiles("%TASKNAME%-%DATABASE%"), "", "Night: full?", "localhost", "shop", "",
            "/backups/Night full-shop.sql"},
        {"default format", NewFiles("%HOST%_%DATE%_%TIME%"), "", "t", "localhost", "", "",
            "/backups/localhost_2007-03-04_05-06-07.sql"},
        {"run folder", NewFiles("%HOST%_%DATE%_%TIME%"), RunFolderName(kRunTime), "t", "localhost", "", "",
            "/backups/2007-03-04_05-06-07/localhost_2007-03-04_05-06-07.sql"},
        {"php per table", NewFiles("%HOST%_%DATABASE%_%TABLE%", 2), "", "t", "db.example", "shop", "film",
            "/backups/db.example_shop_film.php"},
        {"forbidden characters and blanks cleaned", NewFiles("%DATABASE%|%TABLE%"), "", "t", "h",
            " a/b\\c:d*e?f\"g<h>i|j\r\n\t ", "x y", "/backups/abcdefghij|x y.sql"},
        {"inserted text open to later placeholders", NewFiles("%TASKNAME%"), "", "%DATE% %TABLE%", "h", "", "tb",
            "/backups/2007-03-04 tb.sql"},
        {"a value holding its own placeholder does not loop", NewFiles("%HOST%%HOST%"), "", "t", "%HOST%", "", "",
            "/backups/%HOST%%HOST%.sql"},
        {"placeholders are case-sensitive", NewFiles("%host%_%Date%"), "", "t", "h", "", "",
            "/backups/%host%_%Date%.sql"},
        {"same file mode uses the path unchanged", sameFile, "2007-03-04_05-06-07/", "t", "h", "d", "x",
            "/keep/%HOST%.dump"},
        {"folder without its separator", noSlash, "", "t", "h", "", "", "/backups/h.sql"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ServerConnection connection;
        connection.host = c.host;
        EXPECT_EQ(BuildBackupFilePath(c.settings, c.runFolder, c.taskName, connection, c.database, c.table, kRunTime),
            c.expected);
    }
}

TEST(BackupNaming, RunFolderOnlyForNewFilesWithFolderPerRun)
{
    EXPECT_EQ(RunFolderName(kRunTime), "2007-03-04_05-06-07/");
    EXPECT_EQ(RunFolderName(TimeStamp {987, 12, 31, 23, 59, 58, 1}), "0987-12-31_23-59-58/");
    BackupSettings settings = NewFiles("%HOST%");
    EXPECT_EQ(RunFolderFor(settings, kRunTime), "");
    settings.newFolderPerRun = 1;
    EXPECT_EQ(RunFolderFor(settings, kRunTime), "2007-03-04_05-06-07/");
    settings.fileMode = 1;
    EXPECT_EQ(RunFolderFor(settings, kRunTime), "");
}

TEST(BackupNaming, CreatesBackupAndRunFolderOneLevelEach)
{
    test::TempDir dir;
    BackupSettings settings = NewFiles("%HOST%");
    settings.backupFolder = (dir.path() / "backups").string() + "/";
    ASSERT_TRUE(CreateBackupFolders(settings, "2007-03-04_05-06-07/"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "backups" / "2007-03-04_05-06-07"));
    // Existing folders are no error.
    EXPECT_TRUE(CreateBackupFolders(settings, "2007-03-04_05-06-07/"));
    EXPECT_TRUE(CreateBackupFolders(settings, ""));

    // A missing parent is not created.
    settings.backupFolder = (dir.path() / "missing" / "backups").string() + "/";
    EXPECT_FALSE(CreateBackupFolders(settings, ""));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing"));

    settings.backupFolder.clear();
    EXPECT_FALSE(CreateBackupFolders(settings, ""));
}

} // namespace
} // namespace kelvanto
