#include "engines/backupset/BackupRotation.h"

#include "engines/backupset/BackupCopyFiles.h"
#include "schedule/DateTime.h"
#include "tests/support/FakeRunContext.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kelvanto
{
namespace
{

namespace fs = std::filesystem;

class BackupRotation : public ::testing::Test
{
protected:
    // An entry with one real file in a run folder of its own, recorded at the given time.
    BackupRun Run(int day, int hour, std::uint8_t fileMode = 2)
    {
        const fs::path folder = m_dir.path() / ("2007-03-01_00-00-" + std::to_string(10 + ++m_count));
        fs::create_directory(folder);
        const fs::path file = folder / "dump.sql";
        std::ofstream(file) << "-- dump";
        BackupRun run;
        run.folder = folder.string();
        run.files = {file.string()};
        run.year = 2007;
        run.month = 3;
        run.day = day;
        run.hour = hour;
        run.fileMode = fileMode;
        run.fileType = 1;
        return run;
    }

    BackupSettings Settings(std::uint8_t mode, std::int32_t limit) const
    {
        BackupSettings settings;
        settings.autoDelete = mode;
        settings.autoDeleteLimit = limit;
        settings.backupFolder = m_dir.path().string() + "/";
        settings.fileNameFormat = "dump";
        return settings;
    }

    test::TempDir m_dir;
    int m_count = 0;
};

TEST_F(BackupRotation, ByCountKeepsTheNewestAndDeletesTheOldestFilesAndFolders)
{
    std::vector<BackupRun> history = {Run(1, 0), Run(2, 0), Run(3, 0), Run(4, 0), Run(5, 0)};
    const auto all = history;
    ASSERT_TRUE(DeleteExpiredCopies(history, Settings(2, 3), TimeStamp {2007, 3, 5, 0, 0, 0, 1}));
    ASSERT_EQ(history.size(), 3u);
    EXPECT_EQ(history.front(), all[2]);
    for (std::size_t i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(fs::exists(all[i].files[0]), i >= 2);
        EXPECT_EQ(fs::exists(all[i].folder), i >= 2);
    }
    EXPECT_FALSE(DeleteExpiredCopies(history, Settings(2, 3), TimeStamp {2007, 3, 5, 0, 0, 0, 1}));
}

TEST_F(BackupRotation, ByAgeCountsWholeDaysTowardZero)
{
    const TimeStamp now {2007, 3, 10, 12, 0, 0, 7};
    std::vector<BackupRun> history = {
        Run(8, 12), // exactly 2 days: goes
        Run(8, 13), // 1 day 23 hours: stays
        Run(9, 0), // 1.5 days: stays
        Run(10, 11), // newest
    };
    const auto all = history;
    ASSERT_TRUE(DeleteExpiredCopies(history, Settings(1, 2), now));
    EXPECT_EQ(history, std::vector<BackupRun>(all.begin() + 1, all.end()));
    EXPECT_FALSE(fs::exists(all[0].files[0]));
    EXPECT_TRUE(fs::exists(all[1].files[0]));
}

TEST_F(BackupRotation, NeverExpiresTheNewestSameFileOrInvalidEntries)
{
    const TimeStamp now {2008, 1, 1, 0, 0, 0, 3};
    BackupRun invalid = Run(1, 0);
    invalid.month = 13;
    std::vector<BackupRun> history = {Run(1, 0, 1), invalid, Run(2, 0), Run(3, 0, 1), Run(4, 0)};
    const auto all = history;
    ASSERT_TRUE(DeleteExpiredCopies(history, Settings(1, 1), now));
    // Only the new-files entry that is not the newest went.
    EXPECT_EQ(history, (std::vector<BackupRun> {all[0], all[1], all[3], all[4]}));
    EXPECT_TRUE(fs::exists(all[4].files[0]));
    EXPECT_TRUE(fs::exists(all[0].files[0]));

    // By count, same-file entries neither count nor go.
    history = all;
    ASSERT_TRUE(DeleteExpiredCopies(history, Settings(2, 1), now));
    EXPECT_EQ(history, (std::vector<BackupRun> {all[0], all[3], all[4]}));
}

// Copies of runs that completed with errors expire like others, but the newest copy of a
// run that succeeded never does, by count or by age.
TEST_F(BackupRotation, TheNewestSucceededCopyStaysWhateverCameAfterIt)
{
    const TimeStamp now {2007, 3, 20, 0, 0, 0, 3};
    const auto withErrors = [this](int day) {
        BackupRun run = Run(day, 0);
        run.runReserved = kCopyWithErrors;
        return run;
    };
    const std::vector<BackupRun> all = {Run(1, 0), Run(2, 0), withErrors(3), withErrors(4), withErrors(5)};
    struct Case
    {
        const char* name;
        BackupSettings settings;
        std::vector<std::size_t> kept;
    };
    for (const Case& c : {Case {"by count", Settings(2, 2), {1, 4}}, Case {"by age", Settings(1, 1), {1, 4}},
             Case {"by count, room for all", Settings(2, 5), {0, 1, 2, 3, 4}}}) {
        SCOPED_TRACE(c.name);
        std::vector<BackupRun> history = all;
        const std::vector<BackupRun> before = history;
        (void)TakeExpiredCopies(history, c.settings, now);
        std::vector<BackupRun> expected;
        for (std::size_t i : c.kept)
            expected.push_back(before[i]);
        EXPECT_EQ(history, expected);
    }
}

// A waiting worker sleeps until NextCopyExpiry: a second before it nothing expires, at it
// the next copy does; the newest entry, same-file entries and the count rule never wake it.
TEST_F(BackupRotation, TheNextExpiryIsTheFirstSecondInWhichACopyExpires)
{
    std::vector<BackupRun> history = {Run(1, 10), Run(3, 4, 1), Run(2, 23), Run(9, 0)};
    history[0].minute = 15;
    history[0].second = 30;
    EXPECT_EQ(NextCopyExpiry(history, Settings(2, 2)), TimeStamp {});
    EXPECT_EQ(NextCopyExpiry({history.back()}, Settings(1, 2)), TimeStamp {});
    // The entry of the 1st expires first, then the one of the 2nd.
    for (const TimeStamp& expected : {TimeStamp {2007, 3, 3, 10, 15, 30, 7}, TimeStamp {2007, 3, 4, 23, 0, 0, 1}}) {
        const TimeStamp at = NextCopyExpiry(history, Settings(1, 2));
        ASSERT_EQ(at, expected);
        const TimeStamp before = DateTime::FromTimeStamp(at).AddSeconds(-1).ToTimeStamp();
        EXPECT_TRUE(TakeExpiredCopies(history, Settings(1, 2), before).empty());
        EXPECT_EQ(TakeExpiredCopies(history, Settings(1, 2), at).size(), 1u);
    }
    const TimeStamp at = NextCopyExpiry(history, Settings(1, 2));
    EXPECT_EQ(at, TimeStamp {}); // only the same-file entry and the newest are left
}

TEST_F(BackupRotation, NothingHappensWithoutAValidRule)
{
    const TimeStamp now {2008, 1, 1, 0, 0, 0, 3};
    const std::vector<BackupRun> all = {Run(1, 0), Run(2, 0), Run(3, 0)};
    const BackupSettings settings[] = {Settings(0, 1), Settings(3, 1), Settings(1, 0), Settings(2, 0), Settings(2, -4)};
    for (const auto& s : settings) {
        SCOPED_TRACE(testing::Message() << int(s.autoDelete) << "/" << s.autoDeleteLimit);
        auto history = all;
        EXPECT_FALSE(DeleteExpiredCopies(history, s, now));
        EXPECT_EQ(history, all);
    }
    for (const auto& run : all)
        EXPECT_TRUE(fs::exists(run.files[0]));
}

TEST_F(BackupRotation, FolderWithForeignFilesAndMissingFilesAreLeftQuietly)
{
    BackupRun first = Run(1, 0);
    std::ofstream(fs::path(first.folder) / "notes.txt") << "mine";
    BackupRun second = Run(2, 0);
    fs::remove(second.files[0]);
    std::vector<BackupRun> history = {first, second, Run(3, 0)};
    ASSERT_TRUE(DeleteExpiredCopies(history, Settings(2, 1), TimeStamp {2007, 3, 4, 0, 0, 0, 1}));
    EXPECT_EQ(history.size(), 1u);
    EXPECT_TRUE(fs::exists(fs::path(first.folder) / "notes.txt"));
    EXPECT_FALSE(fs::exists(first.files[0]));
    EXPECT_FALSE(fs::exists(second.folder));
}

TEST_F(BackupRotation, ExpiryOnTheStoredTaskSavesAndLogsOnlyWhenItRemoved)
{
    Task task;
    task.backupSettings = Settings(2, 2);
    task.backupHistory = {Run(1, 0), Run(2, 0), Run(3, 0)};
    test::FakeRunContext ctx(task);
    ExpireBackupCopies(ctx);
    EXPECT_EQ(ctx.task().backupHistory.size(), 2u);
    EXPECT_EQ(ctx.SaveTaskListCalls(), 1u);
    EXPECT_EQ(ctx.LogTexts(), std::vector<std::string> {"Delete the expired backup copies"});
    EXPECT_EQ(ctx.LogLines().front().level, LogLevel::General);

    ExpireBackupCopies(ctx);
    EXPECT_EQ(ctx.SaveTaskListCalls(), 1u);
    EXPECT_EQ(ctx.LogTexts().size(), 1u);

    // Entries whose files are gone already go too, and the log says that nothing was deleted.
    task = ctx.task();
    task.backupHistory.push_back(Run(4, 0));
    for (const std::string& file : task.backupHistory.front().files)
        fs::remove(file);
    fs::remove(task.backupHistory.front().folder);
    ctx.SetTask(task);
    ctx.ClearLog();
    ExpireBackupCopies(ctx);
    EXPECT_EQ(ctx.task().backupHistory.size(), 2u);
    EXPECT_EQ(ctx.SaveTaskListCalls(), 2u);
    EXPECT_EQ(ctx.LogTexts(),
        std::vector<std::string> {"The expired backup copies were taken out of the history; none of their files was "
                                  "deleted (gone already, or not the task's own)"});
}

// Two entries may name one path (runs that gave two copies one name before names were kept
// apart): the expired one never deletes what the kept one names, its manifest included, in
// any case of letters.
TEST_F(BackupRotation, AnExpiredEntryNeverDeletesAPathThatAKeptEntryNames)
{
    const fs::path shared = m_dir.path() / "dump.sql";
    const fs::path upper = m_dir.path() / "DUMP.sql";
    const fs::path own = m_dir.path() / "dump_2.sql";
    for (const fs::path& file : {shared, upper, own, fs::path(shared.string() + ".manifest.json")})
        std::ofstream(file) << "-- dump";
    BackupRun older;
    older.files = {shared.string(), upper.string(), own.string()};
    older.day = 1;
    older.fileMode = 2;
    BackupRun newer = older;
    newer.files = {shared.string(), (m_dir.path() / "Dump.SQL").string()};
    newer.day = 2;
    std::vector<BackupRun> history = {older, newer};
    ASSERT_TRUE(DeleteExpiredCopies(history, Settings(2, 1), TimeStamp {2007, 3, 5, 0, 0, 0, 1}));
    EXPECT_EQ(history, std::vector<BackupRun> {newer});
    EXPECT_TRUE(fs::exists(shared));
    EXPECT_TRUE(fs::exists(shared.string() + ".manifest.json"));
    EXPECT_TRUE(fs::exists(upper));
    EXPECT_FALSE(fs::exists(own));
}

// The history is only a hint: whatever an entry names, rotation deletes only the task's own
// regular files inside its backup folder, and nothing through a symbolic link.
TEST_F(BackupRotation, DeletesOnlyItsOwnDumpsInsideTheBackupFolder)
{
    const fs::path outside = m_dir.path().parent_path() / (m_dir.path().filename().string() + "-outside");
    fs::create_directory(outside);
    std::ofstream(outside / "dump.sql") << "precious";
    const fs::path run = m_dir.path() / "2007-03-01_00-00-01";
    fs::create_directory(run);
    std::ofstream(run / "other.sql") << "not the task's name";
    std::ofstream(run / "dump.txt") << "not a dump";
    fs::create_symlink(outside / "dump.sql", run / "dump.sql");
    fs::create_directory(m_dir.path() / "dump.php");
    struct Row
    {
        const char* name;
        std::string file;
        bool deleted;
    };
    const std::vector<Row> rows {
        {"outside the folder", (outside / "dump.sql").string(), false},
        {"outside through ..", (run / ".." / ".." / outside.filename() / "dump.sql").string(), false},
        {"a symbolic link in the folder", (run / "dump.sql").string(), false},
        {"another name", (run / "other.sql").string(), false},
        {"another extension", (run / "dump.txt").string(), false},
        {"a folder under a dump's name", (m_dir.path() / "dump.php").string(), false},
        {"a relative path", "dump.sql", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        BackupRun entry;
        entry.files = {row.file};
        entry.folder = row.file;
        entry.fileMode = 2;
        DeleteBackupCopies({entry}, {}, Settings(2, 1));
    }
    EXPECT_EQ(test::ReadText(outside / "dump.sql"), "precious");
    EXPECT_TRUE(fs::is_symlink(run / "dump.sql"));
    EXPECT_TRUE(fs::exists(run / "other.sql"));
    EXPECT_TRUE(fs::exists(run / "dump.txt"));
    EXPECT_TRUE(fs::is_directory(m_dir.path() / "dump.php"));

    // A folder elsewhere, even one named like a run folder, is never removed.
    const fs::path foreignRun = outside / "2007-03-01_00-00-02";
    fs::create_directory(foreignRun);
    BackupRun entry;
    entry.folder = foreignRun.string();
    entry.fileMode = 2;
    DeleteBackupCopies({entry}, {}, Settings(2, 1));
    EXPECT_TRUE(fs::is_directory(foreignRun));
    fs::remove_all(outside);
}

// The file name format's placeholders match what they expand to, and nothing more.
TEST_F(BackupRotation, NamesOfTheTaskFollowItsFormat)
{
    BackupSettings settings = Settings(2, 1);
    settings.fileNameFormat = "%TASKNAME%_%DATABASE%_%DATE%_%TIME%[x]*";
    const BackupCopyFiles own(settings);
    struct Row
    {
        const char* name;
        bool ours;
    };
    for (const Row& row :
        {Row {"Nightly_shop_2007-03-04_05-06-07[x]*.sql", true}, Row {"Nightly_shop_2007-03-04_05-06-07[x]*.php", true},
            Row {"__2007-03-04_05-06-07[x]*.sql", true}, Row {"Nightly_shop_2007-3-04_05-06-07[x]*.sql", false},
            Row {"Nightly_shop_2007-03-04_05-06-07x.sql", false},
            Row {"Nightly_shop_2007-03-04_05-06-07[x]*.sql.t.partial", false},
            Row {"Nightly_shop_2007-03-04_05-06-07[x]*", false},
            // The number a run puts in a name that was taken.
            Row {"Nightly_shop_2007-03-04_05-06-07[x]*_2.sql", true},
            Row {"Nightly_shop_2007-03-04_05-06-07[x]*_13.sql.zst", true},
            Row {"Nightly_shop_2007-03-04_05-06-07[x]*_1.sql", false},
            Row {"Nightly_shop_2007-03-04_05-06-07[x]*_02.sql", false},
            Row {"Nightly_shop_2007-03-04_05-06-07[x]*_2_2.sql", false},
            Row {"Nightly_shop_2007-03-04_05-06-07[x]*_x.sql", false}}) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(own.NamedByTask(row.name), row.ours);
    }
    // A format without a placeholder that takes any text: the number is the only freedom.
    settings.fileNameFormat = "daily_%DATE%";
    const BackupCopyFiles daily(settings);
    for (const Row& row : {Row {"daily_2007-03-04.sql", true}, Row {"daily_2007-03-04_2.sql", true},
             Row {"daily_2007-03-04_2.sql.gz", true}, Row {"daily_2007-03-04_2.sql.manifest.json", false},
             Row {"daily_2007-03-04-2.sql", false}, Row {"daily_2007-03-04_2x.sql", false}}) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(daily.NamedByTask(row.name), row.ours);
    }
    EXPECT_TRUE(daily.NamedAsManifest("daily_2007-03-04_2.sql.manifest.json"));
}

} // namespace
} // namespace kelvanto
