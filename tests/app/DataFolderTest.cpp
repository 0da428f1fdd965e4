#include "app/DataFolder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include <sys/stat.h>

namespace kelvanto
{
namespace
{

DataFolder::EnvLookup Env(std::map<std::string, std::string> values)
{
    return [values](const char* name) -> std::optional<std::string> {
        auto it = values.find(name);
        if (it == values.end())
            return std::nullopt;
        return it->second;
    };
}

TEST(DataFolderTest, LocateFollowsTheOrderOfPrecedence)
{
    struct Row
    {
        const char* name;
        std::string explicitDir;
        std::map<std::string, std::string> env;
        std::string expected;
    };
    const Row rows[] = {
        {"explicit beats all", "/x/dir", {{"KELVANTO_HOME", "/k"}, {"XDG_DATA_HOME", "/xdg"}, {"HOME", "/h"}},
            "/x/dir"},
        {"KELVANTO_HOME", "", {{"KELVANTO_HOME", "/k"}, {"XDG_DATA_HOME", "/xdg"}, {"HOME", "/h"}}, "/k"},
        {"empty KELVANTO_HOME ignored", "", {{"KELVANTO_HOME", ""}, {"XDG_DATA_HOME", "/xdg"}}, "/xdg/kelvanto"},
        {"XDG_DATA_HOME", "", {{"XDG_DATA_HOME", "/xdg"}, {"HOME", "/h"}}, "/xdg/kelvanto"},
        {"relative XDG_DATA_HOME ignored", "", {{"XDG_DATA_HOME", "rel"}, {"HOME", "/h"}}, "/h/.local/share/kelvanto"},
        {"HOME", "", {{"HOME", "/h"}}, "/h/.local/share/kelvanto"},
        {"trailing dots normalised", "/a/./b/../c", {}, "/a/c"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto located = DataFolder::Locate(row.explicitDir, Env(row.env));
        ASSERT_TRUE(located.ok()) << located.error();
        EXPECT_EQ(located->string(), row.expected);
    }
    auto relative = DataFolder::Locate("rel/dir", Env({}));
    ASSERT_TRUE(relative.ok());
    EXPECT_TRUE(relative->is_absolute());
}

TEST(DataFolderTest, PrepareCreatesPrivateFoldersAndKeepsExistingContent)
{
    test::TempDir tmp;
    const auto root = tmp.path() / "deep" / "kelvanto";
    auto folder = DataFolder::Prepare(root.string() + "/");
    ASSERT_TRUE(folder.ok()) << folder.error();
    EXPECT_EQ(folder->Root(), root);
    for (const auto& p : {tmp.path() / "deep", root, root / "Data", root / "Logs"}) {
        SCOPED_TRACE(p.string());
        struct stat st
        { };
        ASSERT_EQ(stat(p.c_str(), &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_mode & 0777, 0700u);
    }
    EXPECT_EQ(folder->TaskListFile(), root / "tasks_se.tsk");
    EXPECT_EQ(folder->ServerListFile(), root / "myserver.dll");
    EXPECT_EQ(folder->OptionsFile(), root / "opt_se.dll");
    EXPECT_EQ(folder->LogMarkerFile(), root / "Logs" / "log200se.dll");
    EXPECT_EQ(folder->DefaultBackupFolder(), (root / "Data").string() + "/");

    std::ofstream(root / "tasks_se.tsk") << "keep";
    auto again = DataFolder::Prepare(root);
    ASSERT_TRUE(again.ok());
    std::ifstream in(root / "tasks_se.tsk");
    std::string content;
    in >> content;
    EXPECT_EQ(content, "keep");
}

TEST(DataFolderTest, PrepareRefusesAFileInThePlaceOfAFolder)
{
    test::TempDir tmp;
    std::ofstream(tmp.path() / "file") << "x";
    auto onFile = DataFolder::Prepare(tmp.path() / "file");
    ASSERT_FALSE(onFile.ok());
    EXPECT_NE(onFile.error().find("not a folder"), std::string::npos) << onFile.error();

    std::filesystem::create_directory(tmp.path() / "root");
    std::ofstream(tmp.path() / "root" / "Logs") << "x";
    auto logsIsFile = DataFolder::Prepare(tmp.path() / "root");
    EXPECT_FALSE(logsIsFile.ok());
}

} // namespace
} // namespace kelvanto
