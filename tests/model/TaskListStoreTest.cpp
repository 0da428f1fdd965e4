#include "model/TaskListStore.h"

#include "tests/model/FileSizeLimit.h"
#include "tests/model/TaskBytes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace kelvanto
{
namespace
{

using test::ByteBuilder;
using test::ExpectedCurrentFile;
using test::FullTask;

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(TaskListFormat, WritesEveryFieldInTableOrder)
{
    const std::vector<Task> tasks = {FullTask(), Task {}};
    EXPECT_EQ(SerializeTaskList(tasks), ExpectedCurrentFile(tasks));
}

TEST(TaskListFormat, EmptyStringsAreFourZeroBytesEach)
{
    const Task task = test::EmptyStringsTask();
    const std::string bytes = SerializeTaskList({task});
    EXPECT_EQ(bytes, ExpectedCurrentFile({task}));
    // 25 strings of 4 bytes plus 268 bytes of fixed fields, after the 8-byte header.
    EXPECT_EQ(bytes.size(), 8u + 25 * 4 + 268);
    // The taskId follows the header and the start mark directly.
    EXPECT_EQ(bytes.substr(12, 4), std::string(4, '\0'));
}

TEST(TaskListFormat, ParsesHandBuiltFileAndForcesStoppedWithoutRunNow)
{
    Task running = FullTask();
    Task waiting = FullTask();
    waiting.name = "second";
    waiting.status = TaskStatus::Waiting;
    const auto loaded = ParseTaskList(ExpectedCurrentFile({running, waiting}));
    ASSERT_TRUE(loaded.ok()) << loaded.error();
    ASSERT_EQ(loaded->size(), 2u);
    EXPECT_EQ((*loaded)[0], test::AsLoaded(running));
    EXPECT_EQ((*loaded)[1], test::AsLoaded(waiting));
}

TEST(TaskListFormat, SaveLoadSaveIsByteIdentical)
{
    test::TempDir dir;
    const auto path = dir.path() / "tasks_se.tsk";
    const std::vector<Task> tasks = {test::AsLoaded(FullTask()), test::EmptyStringsTask(), Task {}};
    ASSERT_TRUE(SaveTaskListFile(path, tasks).ok());
    const std::string first = ReadAll(path);
    auto loaded = LoadTaskListFile(path);
    ASSERT_TRUE(loaded.ok()) << loaded.error();
    EXPECT_EQ(*loaded, tasks);
    ASSERT_TRUE(SaveTaskListFile(path, *loaded).ok());
    EXPECT_EQ(ReadAll(path), first);
}

TEST(TaskListFormat, TruncationAtEveryOffsetIsRejectedWhole)
{
    const std::string full = ExpectedCurrentFile({FullTask(), test::EmptyStringsTask(), FullTask()});
    ASSERT_TRUE(ParseTaskList(full).ok());
    for (std::size_t size = 0; size < full.size(); ++size) {
        SCOPED_TRACE("truncated to " + std::to_string(size) + " bytes");
        const auto loaded = ParseTaskList(std::string_view(full).substr(0, size));
        EXPECT_FALSE(loaded.ok());
    }
}

struct BrokenFile
{
    const char* name;
    std::string bytes;
    bool loadsEmpty; // true: success with no tasks; false: an Error
};

std::string WithMarkReplaced(std::size_t recordIndex, bool endMark)
{
    const std::vector<Task> tasks = {FullTask(), FullTask(), FullTask()};
    std::string bytes = ExpectedCurrentFile(tasks);
    const std::size_t recordSize = test::ExpectedCurrentRecord(FullTask()).size();
    const std::size_t at = 8 + recordIndex * recordSize + (endMark ? recordSize - 4 : 0);
    bytes[at] = '\x01';
    return bytes;
}

std::string WithLengthAt(std::size_t offset, std::int32_t value)
{
    std::string bytes = ExpectedCurrentFile({FullTask()});
    std::string patch = ByteBuilder().i32(value).bytes();
    bytes.replace(offset, 4, patch);
    return bytes;
}

TEST(TaskListFormat, BrokenFiles)
{
    // Offsets in a one-task file: count at 4, start mark at 8, taskId length at 12.
    const std::vector<BrokenFile> rows = {
        {"empty file", "", false},
        {"three bytes", "\xE0\xF9\xBD", false},
        {"foreign magic", ByteBuilder().u32(0x12345678).i32(1).bytes(), false},
        {"oldest layout", ByteBuilder().u32(0xBFDFAEAC).i32(1).bytes(), false},
        {"oldest layout variant", ByteBuilder().u32(0xBFDFAEB0).i32(1).bytes(), false},
        {"negative task count", ByteBuilder().u32(test::kCurrent).i32(-1).bytes(), false},
        {"task count past the end", WithLengthAt(4, 2), false},
        {"huge task count", WithLengthAt(4, 0x7FFFFFFF), false},
        {"negative string length", WithLengthAt(12, -5), false},
        {"string length past the end", WithLengthAt(12, 0x7FFFFFF0), false},
        {"zero tasks", ByteBuilder().u32(test::kCurrent).i32(0).bytes(), true},
        {"wrong start mark in first record", WithMarkReplaced(0, false), true},
        {"wrong start mark in second record", WithMarkReplaced(1, false), true},
        {"wrong end mark in third record", WithMarkReplaced(2, true), true},
    };
    for (const BrokenFile& row : rows) {
        SCOPED_TRACE(row.name);
        const auto loaded = ParseTaskList(row.bytes);
        if (row.loadsEmpty) {
            ASSERT_TRUE(loaded.ok()) << loaded.error();
            EXPECT_TRUE(loaded->empty());
        } else {
            ASSERT_FALSE(loaded.ok());
            EXPECT_FALSE(loaded.error().empty());
        }
    }
}

TEST(TaskListFile, EmptyListRemovesTheFileAndSucceeds)
{
    test::TempDir dir;
    const auto path = dir.path() / "tasks_se.tsk";
    ASSERT_TRUE(SaveTaskListFile(path, {Task {}}).ok());
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_TRUE(SaveTaskListFile(path, {}).ok());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(SaveTaskListFile(path, {}).ok()) << "nothing to remove is fine too";
    EXPECT_FALSE(LoadTaskListFile(path).ok()) << "a missing file fails the load";
}

TEST(TaskListFile, IsWrittenWithOwnerOnlyMode)
{
    test::TempDir dir;
    const auto path = dir.path() / "tasks_se.tsk";
    ASSERT_TRUE(SaveTaskListFile(path, {FullTask()}).ok());
    struct stat info
    { };
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
}

TEST(TaskListFile, PathsThatCannotBeUsed)
{
    test::TempDir dir;
    const auto folder = dir.path() / "folder.tsk";
    std::filesystem::create_directory(folder);
    std::filesystem::create_directory(folder / "inside");
    const auto notAFolder = dir.path() / "plain";
    WriteAll(notAFolder, "x");

    EXPECT_FALSE(SaveTaskListFile("", {Task {}}).ok());
    EXPECT_FALSE(LoadTaskListFile("").ok());
    EXPECT_FALSE(LoadTaskListFile(folder).ok());
    EXPECT_FALSE(SaveTaskListFile(folder, {Task {}}).ok());
    EXPECT_FALSE(SaveTaskListFile(folder, {}).ok());
    EXPECT_TRUE(std::filesystem::exists(folder / "inside")) << "a folder in the way is never removed";
    EXPECT_FALSE(SaveTaskListFile(notAFolder / "tasks.tsk", {Task {}}).ok());
    EXPECT_FALSE(LoadTaskListFile(notAFolder / "tasks.tsk").ok());
    EXPECT_FALSE(LoadTaskListFile("/proc/self/mem").ok()) << "unreadable as a whole file";
}

TEST(TaskListFile, FailedSaveLeavesTheOldFileByteIdentical)
{
    test::TempDir dir;
    const auto path = dir.path() / "tasks_se.tsk";
    ASSERT_TRUE(SaveTaskListFile(path, {FullTask()}).ok());
    const std::string before = ReadAll(path);
    {
        const test::FileSizeLimit diskFullAfter(100);
        const auto saved = SaveTaskListFile(path, {FullTask(), Task {}});
        ASSERT_FALSE(saved.ok());
        EXPECT_NE(saved.error().find(path.string()), std::string::npos) << saved.error();
    }
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary file is left";
}

TEST(TaskListFile, FilesInFixturesFolder)
{
    const char* fixtures = std::getenv("KELVANTO_FIXTURES_DIR");
    ASSERT_NE(fixtures, nullptr);
    const std::filesystem::path dir(fixtures);
    EXPECT_FALSE(LoadTaskListFile(dir / "BrokenMagic.tsk").ok());
    EXPECT_FALSE(LoadTaskListFile(dir / "TruncatedRecord.tsk").ok());
    const auto broken = LoadTaskListFile(dir / "BrokenSecondMark.tsk");
    ASSERT_TRUE(broken.ok()) << broken.error();
    EXPECT_TRUE(broken->empty());
}

} // namespace
} // namespace kelvanto
