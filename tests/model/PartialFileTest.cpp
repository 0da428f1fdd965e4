#include "model/PartialFile.h"

#include "model/SafeFolder.h"
#include "tests/support/FileText.h"
#include "tests/support/OtherUser.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvanto
{
namespace
{

namespace fs = std::filesystem;

class PartialFileTest : public ::testing::Test
{
protected:
    fs::path Path(const std::string& name) const { return m_dir.path() / name; }
    test::TempDir m_dir;
};

// Whatever waits at the final name, the file is written under its temporary name and the
// planted thing is never written through: a link is followed only when the program's user
// owns it and its target's folder is nobody else's to write.
TEST_F(PartialFileTest, ThingsPlantedAtTheFinalNameAreNeverWrittenThrough)
{
    const fs::path shared = Path("shared");
    const fs::path safe = Path("safe");
    fs::create_directory(shared);
    fs::create_directory(safe);
    ASSERT_NO_FATAL_FAILURE(test::MakeShared(shared));
    const fs::path victim = Path("victim");
    struct Row
    {
        const char* name;
        bool otherUser; // needs root to plant
        std::function<void(const fs::path& target)> plant;
        bool created;
        fs::path written; // where the bytes land when created
        mode_t mode = 0600;
    };
    const std::vector<Row> rows {
        {"nothing there", false, [](const fs::path&) {}, true, {}},
        {"a file of another user in a shared folder", true,
            [&](const fs::path& target) {
                test::WriteText(target, "planted");
                fs::create_hard_link(target, victim);
                test::GiveToOtherUser(target);
            },
            true, {}},
        {"a link of another user", true,
            [&](const fs::path& target) {
                test::WriteText(victim, "precious");
                fs::create_symlink(victim, target);
                test::GiveToOtherUser(target);
            },
            false, {}},
        {"our link into a folder that others can write", false,
            [&](const fs::path& target) {
                test::WriteText(shared / "into", "precious");
                fs::create_symlink(shared / "into", target);
            },
            false, {}},
        {"our link into a folder of our own", false,
            [&](const fs::path& target) {
                test::WriteText(safe / "into", "old");
                ::chmod((safe / "into").c_str(), 0640);
                fs::create_symlink(safe / "into", target);
            },
            true, safe / "into", 0640},
        {"our link to a file not made yet", false,
            [&](const fs::path& target) { fs::create_symlink(safe / "new", target); }, true, safe / "new"},
        {"a folder", false, [](const fs::path& target) { fs::create_directory(target); }, false, {}},
    };
    int index = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.otherUser && !test::CanPlantAsOtherUser()) {
            std::cout << "[  SKIPPED ] " << row.name << ": " << test::WhyNoOtherUser() << "\n";
            continue;
        }
        fs::remove(victim);
        const fs::path target = shared / ("dump" + std::to_string(++index) + ".sql");
        ASSERT_NO_FATAL_FAILURE(row.plant(target));
        Result<void> written = WriteFileWhole(target.string(), "T1", "new bytes", false);
        EXPECT_EQ(written.ok(), row.created) << (written ? "" : written.error());
        const fs::path landed = row.written.empty() ? target : row.written;
        if (row.created) {
            EXPECT_EQ(test::ReadText(landed), "new bytes");
            struct stat status
            { };
            ASSERT_EQ(::stat(landed.c_str(), &status), 0);
            EXPECT_EQ(status.st_uid, ::geteuid());
            EXPECT_EQ(status.st_mode & 07777, row.mode);
        }
        if (fs::exists(victim)) {
            EXPECT_NE(test::ReadText(victim), "new bytes");
        }
        EXPECT_EQ(test::ReadText(shared / "into"), fs::exists(shared / "into") ? "precious" : "");
        for (const auto& entry : fs::recursive_directory_iterator(m_dir.path()))
            EXPECT_FALSE(IsPartialPath(entry.path().string())) << entry.path();
    }
}

// A temporary name that is taken: a stale file of the program's user is replaced, anything
// else makes the file fail (a link there is never followed).
TEST_F(PartialFileTest, ATakenTemporaryNameIsReplacedOnlyWhenItIsOurStaleFile)
{
    const fs::path target = Path("dump.sql");
    const fs::path temporary = Path(PartialName("dump.sql", "T1"));
    test::WriteText(temporary, "stale");
    Result<PartialFile> file = PartialFile::Create(target.string(), "T1");
    ASSERT_TRUE(file) << file.error();
    file->Discard();
    EXPECT_FALSE(fs::exists(temporary));

    // The refusal says what is in the way, where and whose, so that someone can act on it.
    struct stat self
    { };
    ASSERT_EQ(::lstat(m_dir.path().c_str(), &self), 0);
    const std::string ours = DescribeEntry(self).substr(DescribeEntry(self).find(" of the user "));
    struct Row
    {
        const char* name;
        std::function<void()> plant;
        bool otherUser;
        std::string what;
    };
    const Row rows[] = {
        {"a link", [&] { fs::create_symlink(Path("victim"), temporary); }, false, "a symbolic link" + ours},
        {"a folder", [&] { fs::create_directory(temporary); }, false, "a folder" + ours},
        {"another user's file",
            [&] {
                test::WriteText(temporary, "theirs");
                test::GiveToOtherUser(temporary);
            },
            true, "a regular file of the user nobody (uid "},
    };
    test::WriteText(Path("victim"), "precious");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.otherUser && !test::CanPlantAsOtherUser()) {
            std::cout << "[  SKIPPED ] " << row.name << ": " << test::WhyNoOtherUser() << "\n";
            continue;
        }
        row.plant();
        const Result<PartialFile> refused = PartialFile::Create(target.string(), "T1");
        ASSERT_FALSE(refused);
        EXPECT_EQ(refused.error().rfind("Cannot create " + temporary.string() + ": " + row.what, 0), 0u)
            << refused.error();
        EXPECT_NE(refused.error().find("it is left as it is"), std::string::npos) << refused.error();
        EXPECT_EQ(test::ReadText(Path("victim")), "precious");
        struct stat left
        { };
        EXPECT_EQ(::lstat(temporary.c_str(), &left), 0);
        if (row.otherUser) {
            EXPECT_EQ(test::ReadText(temporary), "theirs");
        }
        fs::remove_all(temporary);
    }
}

// Only the task's own stale files go: regular files of the program's user whose tag is the
// task's, in the folder and (when asked) in its own folders directly inside.
TEST_F(PartialFileTest, RemoveStalePartialsTakesOnlyTheTasksOwnRegularFiles)
{
    const fs::path run = Path("2020-01-01_00-00-00");
    const fs::path foreign = Path("2020-01-02_00-00-00");
    fs::create_directory(run);
    fs::create_directory(foreign);
    struct Row
    {
        fs::path path;
        bool removed;
    };
    std::vector<Row> rows {
        {Path("a.sql.T1.partial"), true},
        {Path("a.sql.x.T1.partial"), true},
        {Path("a.sql.T2.partial"), false},
        {Path("a.sql.xT1.partial"), false},
        {Path("a.sql.T1.partial.sql"), false},
        {Path("T1.partial"), false},
        {run / "b.sql.T1.partial", true},
        {Path("victim"), false},
    };
    for (const Row& row : rows)
        test::WriteText(row.path, "x");
    fs::create_symlink(Path("victim"), Path("link.sql.T1.partial"));
    rows.push_back({Path("link.sql.T1.partial"), false});
    if (test::CanPlantAsOtherUser()) {
        test::WriteText(Path("theirs.sql.T1.partial"), "x");
        test::GiveToOtherUser(Path("theirs.sql.T1.partial"));
        test::WriteText(foreign / "c.sql.T1.partial", "x");
        test::GiveToOtherUser(foreign);
        rows.push_back({Path("theirs.sql.T1.partial"), false});
        rows.push_back({foreign / "c.sql.T1.partial", false});
    }
    EXPECT_EQ(RemoveStalePartials(m_dir.path().string(), "T1", false), 2u);
    EXPECT_TRUE(fs::exists(run / "b.sql.T1.partial"));
    EXPECT_EQ(RemoveStalePartials(m_dir.path().string(), "T1", true), 1u);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path.string());
        EXPECT_EQ(!fs::exists(fs::symlink_status(row.path)), row.removed);
    }
}

TEST(PartialTagTest, TheTagIsTheLogFileStemWithoutDotsOrPathCharacters)
{
    struct Row
    {
        const char* logFileName;
        const char* tag;
    };
    for (const Row& row : {Row {"Nightly_2026127203000.log", "Nightly_2026127203000"}, Row {"a.b.log", "a_b"},
             Row {"../x.log", "___x"}, Row {"no extension", "no extension"}, Row {".log", "_log"}, Row {"", "task"},
             Row {"tab\there.log", "tab_here"}}) {
        SCOPED_TRACE(row.logFileName);
        EXPECT_EQ(PartialTag(row.logFileName), row.tag);
        EXPECT_TRUE(IsPartialNameOf(PartialName("dump.sql", PartialTag(row.logFileName)), PartialTag(row.logFileName)));
    }
}

} // namespace
} // namespace kelvanto
