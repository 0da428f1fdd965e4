#include "app/AutostartEntry.h"

#include "model/FileBytes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <map>

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

TEST(AutostartEntryTest, LocatesTheEntryByXdgConfigHomeElseHome)
{
    struct Row
    {
        const char* name;
        std::map<std::string, std::string> env;
        const char* expected; // empty: an error
    };
    const Row rows[] = {
        {"config home", {{"XDG_CONFIG_HOME", "/x/config"}, {"HOME", "/home/u"}},
            "/x/config/autostart/kelvanto.desktop"},
        {"relative config home is ignored", {{"XDG_CONFIG_HOME", "cfg"}, {"HOME", "/home/u"}},
            "/home/u/.config/autostart/kelvanto.desktop"},
        {"home only", {{"HOME", "/home/u"}}, "/home/u/.config/autostart/kelvanto.desktop"},
        {"nothing", {}, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto located = AutostartEntry::Locate(Env(row.env));
        EXPECT_EQ(located.ok() ? located->string() : "", row.expected);
    }
}

TEST(AutostartEntryTest, ExecWordsAreQuotedAsTheDesktopEntryFormatWants)
{
    const std::pair<const char*, const char*> rows[] = {
        {"/usr/bin/kelvanto", "/usr/bin/kelvanto"},
        {"/home/a b/kelvanto", "\"/home/a b/kelvanto\""},
        {"/opt/100%/kelvanto", "\"/opt/100%%/kelvanto\""},
        {"/x/$HOME\\\"`", "\"/x/\\$HOME\\\\\\\"\\`\""},
        {"", "\"\""},
    };
    for (const auto& [word, quoted] : rows) {
        SCOPED_TRACE(word);
        EXPECT_EQ(AutostartEntry::QuoteExecWord(word), quoted);
    }
}

TEST(AutostartEntryTest, WriteCreatesTheFolderAndRemoveDeletesTheEntry)
{
    test::TempDir tmp;
    const auto entry = tmp.path() / "config" / "autostart" / "kelvanto.desktop";
    ASSERT_TRUE(AutostartEntry::Write(entry, {"/usr/bin/kelvanto", "--data-dir", "/data/my folder"}).ok());
    const auto text = ReadFileBytes(entry);
    ASSERT_TRUE(text.ok());
    EXPECT_NE(text->find("\nExec=/usr/bin/kelvanto --data-dir \"/data/my folder\"\n"), std::string::npos) << *text;
    EXPECT_EQ(text->rfind("[Desktop Entry]\nType=Application\n", 0), 0u);
    ASSERT_TRUE(AutostartEntry::Remove(entry).ok());
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_TRUE(AutostartEntry::Remove(entry).ok()) << "a missing entry is already removed";
}

} // namespace
} // namespace kelvanto
