#include "model/AtomicFile.h"

#include "model/FileBytes.h"
#include "tests/model/FileSizeLimit.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvanto
{
namespace
{

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::size_t EntriesIn(const std::filesystem::path& dir)
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

// A sink that accepts limit bytes in chunks of at most chunk bytes, then reports a full disk.
WriteFunction FailingAfter(std::size_t limit, std::size_t chunk)
{
    auto written = std::make_shared<std::size_t>(0);
    return [=](int fd, const char* data, std::size_t size) -> long {
        const std::size_t room = limit - *written;
        if (room == 0) {
            errno = ENOSPC;
            return -1;
        }
        const std::size_t count = std::min({size, room, chunk});
        const long result = static_cast<long>(::write(fd, data, count));
        if (result > 0)
            *written += static_cast<std::size_t>(result);
        return result;
    };
}

TEST(AtomicFile, CreatesAndReplacesWithOwnerOnlyMode)
{
    test::TempDir dir;
    const auto path = dir.path() / "opt_se.dll";
    ASSERT_TRUE(WriteFileAtomically(path, std::string("first\0bytes", 11)).ok());
    EXPECT_EQ(ReadAll(path), std::string("first\0bytes", 11));
    ::chmod(path.c_str(), 0644);
    ASSERT_TRUE(WriteFileAtomically(path, "second").ok());
    EXPECT_EQ(ReadAll(path), "second");
    ASSERT_TRUE(WriteFileAtomically(path, "").ok());
    EXPECT_EQ(ReadAll(path), "");
    struct stat info
    { };
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(AtomicFile, WritesThroughShortWrites)
{
    test::TempDir dir;
    const auto path = dir.path() / "f";
    const std::string bytes(10000, 'x');
    ASSERT_TRUE(WriteFileAtomically(path, bytes, FailingAfter(bytes.size(), 7)).ok());
    EXPECT_EQ(ReadAll(path), bytes);
}

TEST(AtomicFile, DiskFullAfterNBytesKeepsTheOldFile)
{
    const std::string old = "the old content";
    const std::string next(4096, 'n');
    for (std::size_t limit : {std::size_t {0}, std::size_t {1}, std::size_t {100}, next.size() - 1}) {
        SCOPED_TRACE("fails after " + std::to_string(limit) + " bytes");
        test::TempDir dir;
        const auto path = dir.path() / "tasks_se.tsk";
        ASSERT_TRUE(WriteFileAtomically(path, old).ok());
        const auto result = WriteFileAtomically(path, next, FailingAfter(limit, 1000));
        ASSERT_FALSE(result.ok());
        EXPECT_NE(result.error().find("No space left"), std::string::npos) << result.error();
        EXPECT_EQ(ReadAll(path), old);
        EXPECT_EQ(EntriesIn(dir.path()), 1u) << "the temporary file is removed";
    }
}

TEST(AtomicFile, RealFileSizeLimitKeepsTheOldFile)
{
    test::TempDir dir;
    const auto path = dir.path() / "myserver.dll";
    ASSERT_TRUE(WriteFileAtomically(path, "old").ok());
    {
        const test::FileSizeLimit limit(10);
        EXPECT_FALSE(WriteFileAtomically(path, std::string(11, 'z')).ok());
    }
    EXPECT_EQ(ReadAll(path), "old");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(AtomicFile, TargetsThatCannotBeWritten)
{
    test::TempDir dir;
    const auto plainFile = dir.path() / "plain";
    ASSERT_TRUE(WriteFileAtomically(plainFile, "keep").ok());
    const auto folder = dir.path() / "folder";
    std::filesystem::create_directory(folder);
    std::filesystem::create_directory(folder / "child");

    EXPECT_FALSE(WriteFileAtomically("", "x").ok());
    EXPECT_FALSE(WriteFileAtomically(plainFile / "below", "x").ok()) << "parent is a regular file";
    EXPECT_FALSE(WriteFileAtomically(folder, "x").ok()) << "target is a non-empty folder";
    EXPECT_FALSE(WriteFileAtomically(dir.path() / "missing" / "f", "x").ok());
    EXPECT_FALSE(WriteFileAtomically("/proc/kelvanto-test", "x").ok());
    EXPECT_TRUE(std::filesystem::is_directory(folder / "child"));
    EXPECT_EQ(ReadAll(plainFile), "keep");
    EXPECT_EQ(EntriesIn(dir.path()), 2u);
}

// What an interrupted save left is removed at the next start; what is not its own, or may
// belong to a save going on now, stays.
TEST(AtomicFile, StaleTemporaryFilesOfInterruptedSavesAreRemoved)
{
    test::TempDir dir;
    const auto make = [&](const std::string& name, bool old) {
        const std::filesystem::path path = dir.path() / name;
        std::ofstream(path) << "half a task list";
        if (old)
            std::filesystem::last_write_time(
                path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
        return path;
    };
    const auto stale = make(".kelvanto-tmp-AbC123", true);
    const auto fresh = make(".kelvanto-tmp-XyZ789", false);
    const auto other = make("tasks_se.tsk", true);
    const auto target = make("elsewhere", true);
    const auto link = dir.path() / ".kelvanto-tmp-link00";
    std::filesystem::create_symlink(target, link);
    std::filesystem::create_directory(dir.path() / ".kelvanto-tmp-folder");

    EXPECT_EQ(RemoveStaleTemporaryFiles(dir.path(), std::chrono::seconds(60)), 1u);
    EXPECT_FALSE(std::filesystem::exists(stale));
    for (const auto& kept : {fresh, other, target, dir.path() / ".kelvanto-tmp-folder"})
        EXPECT_TRUE(std::filesystem::exists(kept)) << kept;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(RemoveStaleTemporaryFiles(dir.path() / "missing", std::chrono::seconds(60)), 0u);
}

TEST(FileBytes, ReadsOnlyRegularFiles)
{
    test::TempDir dir;
    const auto file = dir.path() / "f";
    ASSERT_TRUE(WriteFileAtomically(file, std::string("a\0b", 3)).ok());
    const auto pipe = dir.path() / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);

    const auto read = ReadFileBytes(file);
    ASSERT_TRUE(read.ok()) << read.error();
    EXPECT_EQ(*read, std::string("a\0b", 3));
    for (const auto& bad : {dir.path(), pipe, dir.path() / "missing", std::filesystem::path("/dev/null")}) {
        SCOPED_TRACE(bad.string());
        const auto result = ReadFileBytes(bad);
        ASSERT_FALSE(result.ok());
        EXPECT_NE(result.error().find(bad.string()), std::string::npos) << result.error();
    }
}

} // namespace
} // namespace kelvanto
