#include "engines/backup/BackupNaming.h"

#include "engines/backup/BackupFileNames.h"
#include "engines/io/Compression.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

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

TEST(BackupNaming, ANumberGoesBeforeTheWholeExtension)
{
    struct Row
    {
        const char* path;
        unsigned number;
        const char* expected;
    };
    for (const Row& row : {Row {"/b/x.sql", 2, "/b/x_2.sql"}, Row {"/b/x.sql.zst", 3, "/b/x_3.sql.zst"},
             Row {"/b/x.sql.gz", 12, "/b/x_12.sql.gz"}, Row {"/b/x.php", 2, "/b/x_2.php"},
             Row {"/b/.sql", 2, "/b/_2.sql"}, Row {"/b.sql/x", 2, "/b.sql/x_2"}, Row {"/b/x.zst", 2, "/b/x.zst_2"}}) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(NumberedBackupFilePath(row.path, row.number), row.expected);
    }
    struct Strip
    {
        const char* stem;
        std::optional<std::string_view> plain;
    };
    for (const Strip& row : {Strip {"x_2", "x"}, Strip {"x_10", "x"}, Strip {"a_b_2024_3", "a_b_2024"},
             Strip {"_2", ""}, Strip {"x_1", std::nullopt}, Strip {"x_02", std::nullopt}, Strip {"x_", std::nullopt},
             Strip {"x2", std::nullopt}, Strip {"2", std::nullopt}, Strip {"", std::nullopt}}) {
        SCOPED_TRACE(row.stem);
        EXPECT_EQ(StripNameNumber(row.stem), row.plain);
    }
}

// Names that the cleaning makes equal, or that differ only in case, get numbers in the order
// the run asks for them; so do names that an entry of the history records or that something in
// the folder (a file, a dangling link, a manifest) already has.
TEST(BackupNaming, EveryFileOfARunGetsANameOfItsOwn)
{
    test::TempDir dir;
    const std::string folder = dir.path().string() + "/";
    BackupSettings settings = NewFiles("%DATABASE%_%TABLE%_%DATE%");
    settings.backupFolder = folder;
    test::WriteText(dir.path() / "shop_planted_2007-03-04.sql", "someone's");
    std::filesystem::create_symlink(dir.path() / "nowhere", dir.path() / "shop_link_2007-03-04.sql");
    test::WriteText(dir.path() / "shop_orphan_2007-03-04.sql.zst.manifest.json", "{}");
    BackupRun recorded;
    recorded.files = {folder + "shop_old_2007-03-04.sql", folder + "shop_old_2007-03-04_2.sql"};

    struct Row
    {
        std::string database;
        std::string table;
        Compression compression;
        const char* name;
    };
    const Row rows[] = {
        {"shop", "ab", Compression::None, "shop_ab_2007-03-04.sql"},
        {"shop", "a/b", Compression::None, "shop_ab_2007-03-04_2.sql"},
        {"shop", "a:b", Compression::None, "shop_ab_2007-03-04_3.sql"},
        {"shop", "a\\b", Compression::None, "shop_ab_2007-03-04_4.sql"},
        {"shop", std::string("a\0b", 3), Compression::None, "shop_ab_2007-03-04_5.sql"},
        {"shop", "AB", Compression::None, "shop_AB_2007-03-04_6.sql"},
        {"shop", "..", Compression::None, "shop_.._2007-03-04.sql"},
        {"shop", "ab", Compression::Zstd, "shop_ab_2007-03-04.sql.zst"},
        {"shop", "a?b", Compression::Zstd, "shop_ab_2007-03-04_2.sql.zst"},
        {"sho/p", "ab", Compression::None, "shop_ab_2007-03-04_7.sql"},
        {"shop", "planted", Compression::None, "shop_planted_2007-03-04_2.sql"},
        {"shop", "link", Compression::None, "shop_link_2007-03-04_2.sql"},
        {"shop", "orphan", Compression::Zstd, "shop_orphan_2007-03-04_2.sql.zst"},
        {"shop", "old", Compression::None, "shop_old_2007-03-04_3.sql"},
    };
    BackupFileNames names({recorded});
    std::set<std::string> given;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string built = CompressedFileName(
            BuildBackupFilePath(settings, "", "t", ServerConnection {}, row.database, row.table, kRunTime),
            row.compression);
        const std::string claimed = names.Claim(built);
        EXPECT_EQ(claimed, folder + row.name);
        EXPECT_TRUE(given.insert(claimed).second);
    }
    EXPECT_EQ(test::ReadText(dir.path() / "shop_planted_2007-03-04.sql"), "someone's");
}

} // namespace
} // namespace kelvanto
