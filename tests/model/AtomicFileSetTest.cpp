// Files that change together: with any one system call of the change failing, every file is
// either as it was or as it was meant to be, never a mixture, and nothing else is left.
#include "model/AtomicFileSet.h"

#include "model/FileBytes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <optional>
#include <sys/stat.h>

namespace kelvanto
{
namespace
{

std::optional<std::string> Content(const std::filesystem::path& path)
{
    auto bytes = ReadFileBytes(path);
    return bytes ? std::optional<std::string>(*bytes) : std::nullopt;
}

void Put(const std::filesystem::path& path, const std::optional<std::string>& content)
{
    std::filesystem::remove(path);
    if (content)
        std::ofstream(path, std::ios::binary) << *content;
}

std::vector<std::string> Names(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The POSIX calls, the n-th of which (counted over all of them) fails with errno.
FileSetCalls FailingCall(int failAt, int error, int& count)
{
    const auto failing = [&count, failAt, error](auto real) {
        return [&count, failAt, error, real](auto... args) {
            if (++count == failAt) {
                errno = error;
                return decltype(real(args...)) {-1};
            }
            return real(args...);
        };
    };
    const FileSetCalls posix = FileSetCalls::Posix();
    return {
        failing(posix.write), failing(posix.fsync), failing(posix.link), failing(posix.rename), failing(posix.unlink)};
}

TEST(AtomicFileSet, AFailureAtAnyCallLeavesEveryFileOldOrEveryFileNew)
{
    using Files = std::vector<std::optional<std::string>>; // none: no file
    struct Row
    {
        const char* name;
        Files before;
        Files after;
    };
    const Row rows[] = {
        {"both replaced", {"old one", "old two"}, {"new one", "new two, longer"}},
        {"the first made", {std::nullopt, "old two"}, {"new one", "new two"}},
        {"the second removed", {"old one", "old two"}, {"new one", std::nullopt}},
        {"both removed", {"old one", "old two"}, {std::nullopt, std::nullopt}},
        {"an empty file", {"old one", ""}, {"", "new two"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TempDir dir;
        const std::vector<std::filesystem::path> paths {dir.path() / "tasks_extras.json", dir.path() / "tasks_se.tsk"};
        std::vector<FileChange> changes;
        for (std::size_t i = 0; i < paths.size(); ++i)
            changes.push_back({paths[i], row.after[i]});
        int failed = 0;
        for (int failAt = 1;; ++failAt) {
            SCOPED_TRACE("call " + std::to_string(failAt) + " fails");
            for (std::size_t i = 0; i < paths.size(); ++i)
                Put(paths[i], row.before[i]);
            const auto namesBefore = Names(dir.path());
            int count = 0;
            const auto result = ReplaceFilesTogether(changes, FailingCall(failAt, EIO, count));
            const Files& expected = result.ok() ? row.after : row.before;
            for (std::size_t i = 0; i < paths.size(); ++i)
                EXPECT_EQ(Content(paths[i]), expected[i]) << paths[i];
            if (!result.ok()) {
                ++failed;
                EXPECT_NE(result.error().find("Input/output error"), std::string::npos) << result.error();
                EXPECT_EQ(Names(dir.path()), namesBefore) << "nothing of the change is left";
            }
            if (count < failAt)
                break; // no call failed: every call has had its turn
        }
        EXPECT_GT(failed, 0);
    }
}

TEST(AtomicFileSet, NewFilesAreTheOwnersAloneAndFoldersAreNeverReplaced)
{
    test::TempDir dir;
    const auto file = dir.path() / "myserver.dll";
    const auto folder = dir.path() / "tasks_se.tsk";
    std::filesystem::create_directories(folder / "inside");
    Put(file, "old");
    ::chmod(file.c_str(), 0644);

    for (const std::optional<std::string>& intoFolder :
        {std::optional<std::string>("x"), std::optional<std::string>()}) {
        SCOPED_TRACE(intoFolder ? "replaced" : "removed");
        const auto refused = ReplaceFilesTogether({{file, "new"}, {folder, intoFolder}});
        ASSERT_FALSE(refused.ok());
        EXPECT_NE(refused.error().find("Is a directory"), std::string::npos) << refused.error();
        EXPECT_EQ(Content(file), "old");
        EXPECT_TRUE(std::filesystem::is_directory(folder / "inside"));
        EXPECT_EQ(Names(dir.path()), (std::vector<std::string> {"myserver.dll", "tasks_se.tsk"}));
    }

    ASSERT_TRUE(ReplaceFilesTogether({{file, "new"}}).ok());
    EXPECT_EQ(Content(file), "new");
    struct stat info
    { };
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_FALSE(ReplaceFilesTogether({{dir.path() / "missing" / "f", "x"}}).ok());
    EXPECT_TRUE(ReplaceFilesTogether({{dir.path() / "never there", std::nullopt}}).ok()) << "nothing to remove";
}

} // namespace
} // namespace kelvanto
