#include "engines/backupset/BackupManifest.h"
#include "engines/backupset/BackupRunManifest.h"
#include "engines/io/FileSink.h"
#include "model/TaskListStore.h"
#include "tests/cli/CliHarness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kelvanto
{
namespace
{

using test::CliHarness;

// One run's JSON history entry; its files are written (compressed) with the given content,
// and a manifest when asked for.
BackupRun WriteRun(const std::filesystem::path& folder, int second, bool withManifest)
{
    std::filesystem::create_directories(folder);
    TimeStamp time {2026, 12, 7, 3, 4, second, 2};
    std::vector<std::string> paths;
    FileSink sink;
    sink.SetCompression(Compression::Zstd, 0);
    for (const char* name : {"a.sql.zst", "b.sql.zst"}) {
        const std::string path = (folder / (std::to_string(second) + name)).string();
        EXPECT_TRUE(sink.Create(path));
        EXPECT_TRUE(sink.Append(path, "INSERT INTO t VALUES (1);\n"));
        EXPECT_TRUE(sink.Close());
        paths.push_back(path);
    }
    if (withManifest) {
        EXPECT_TRUE(BackupRunManifest("id", "T", time).Write(paths, time).ok());
    }
    BackupRun run;
    run.files = paths;
    run.year = 2026;
    run.month = 12;
    run.day = 7;
    run.hour = 3;
    run.minute = 4;
    run.second = second;
    run.fileMode = 2;
    run.fileType = 1;
    return run;
}

TEST(VerifyCommandTest, ChecksTheLatestOrEveryBackupAndExitsByTheResult)
{
    CliHarness h;
    EXPECT_EQ(h.Run({"verify"}).code, 2);
    EXPECT_EQ(h.Run({"verify", "T", "--bogus"}).code, 2);
    EXPECT_EQ(h.Run({"verify", "T", "U"}).code, 2);
    EXPECT_EQ(h.Run({"verify", "Nobody"}).code, 1);

    const auto folder = h.tmp.path() / "backups";
    const BackupRun older = WriteRun(folder, 1, false);
    const BackupRun latest = WriteRun(folder, 2, true);
    ASSERT_EQ(h.Run({"task", "import", "-"}, R"({"name": "Empty"})").code, 0);
    ASSERT_EQ(h.Run({"task", "import", "-"}, R"({"name": "T"})").code, 0);
    // Only runs of the program record a history (an import drops one): put it in the list file.
    const auto listFile = h.dataDir() / "tasks_se.tsk";
    auto tasks = LoadTaskListFile(listFile);
    ASSERT_TRUE(tasks.ok() && tasks->size() == 2u);
    (*tasks)[1].backupHistory = {older, latest};
    ASSERT_TRUE(SaveTaskListFile(listFile, *tasks).ok());
    const auto empty = h.Run({"verify", "Empty"});
    EXPECT_EQ(empty.code, 1);
    EXPECT_NE(empty.err.find("has no recorded backup"), std::string::npos) << empty.err;

    const auto good = h.Run({"verify", "T"});
    EXPECT_EQ(good.code, 0) << good.out << good.err;
    EXPECT_NE(good.out.find("OK   " + (folder / "2a.sql.zst").string() + ": "), std::string::npos) << good.out;
    EXPECT_NE(good.out.find("Backup of 2026-12-07 03:04:02: verified, 2 file(s) hold\n"), std::string::npos)
        << good.out;

    const auto all = h.Run({"verify", "T", "--all"});
    EXPECT_EQ(all.code, 1);
    EXPECT_NE(all.out.find("there is no manifest"), std::string::npos) << all.out;
    EXPECT_NE(all.out.find("Backup of 2026-12-07 03:04:01: NOT verified: no usable manifest; 0 of 2 file(s) failed"),
        std::string::npos)
        << all.out;

    std::filesystem::resize_file(folder / "2b.sql.zst", 3);
    const auto cut = h.Run({"verify", "T"});
    EXPECT_EQ(cut.code, 1);
    EXPECT_NE(cut.out.find("FAIL " + (folder / "2b.sql.zst").string() + ": is 3 bytes"), std::string::npos) << cut.out;
    EXPECT_NE(cut.out.find("FAILED: 1 of 2 file(s) failed"), std::string::npos) << cut.out;
}

// A run made before names were kept apart wrote two tables into one file, which its history
// entry records twice: `verify --all` flags it, the latest backup still verifies alone.
TEST(VerifyCommandTest, AllFlagsAnOlderRunThatWroteOverItsOwnFile)
{
    CliHarness h;
    const auto folder = h.tmp.path() / "backups";
    BackupRun older = WriteRun(folder, 1, true);
    older.files = {older.files[0], older.files[1], older.files[0]};
    const BackupRun latest = WriteRun(folder, 2, true);
    ASSERT_EQ(h.Run({"task", "import", "-"}, R"({"name": "T"})").code, 0);
    const auto listFile = h.dataDir() / "tasks_se.tsk";
    auto tasks = LoadTaskListFile(listFile);
    ASSERT_TRUE(tasks.ok() && tasks->size() == 1u);
    (*tasks)[0].backupHistory = {older, latest};
    ASSERT_TRUE(SaveTaskListFile(listFile, *tasks).ok());

    const auto good = h.Run({"verify", "T"});
    EXPECT_EQ(good.code, 0) << good.out << good.err;
    const auto all = h.Run({"verify", "T", "--all"});
    EXPECT_EQ(all.code, 1) << all.out;
    EXPECT_NE(all.out.find("FAIL " + older.files[0] + ": was written 2 times by this backup"), std::string::npos)
        << all.out;
    EXPECT_NE(all.out.find("Backup of 2026-12-07 03:04:01: FAILED: 1 of 2 file(s) failed"), std::string::npos)
        << all.out;
    EXPECT_NE(all.out.find("Backup of 2026-12-07 03:04:02: verified, 2 file(s) hold"), std::string::npos) << all.out;
}

} // namespace
} // namespace kelvanto
