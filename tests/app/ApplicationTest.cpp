#include "app/Application.h"
#include "model/FileBytes.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kelvanto
{
namespace
{

std::unique_ptr<Application> OpenIn(const std::filesystem::path& root)
{
    auto folder = DataFolder::Prepare(root);
    EXPECT_TRUE(folder.ok());
    auto app = Application::Open(*folder, std::make_shared<test::FakeClock>(TimeStamp {2026, 12, 7, 9, 0, 0, 2}), {});
    EXPECT_TRUE(app.ok()) << app.error();
    return app.ok() ? std::move(*app) : nullptr;
}

std::string Legacy(const std::string& text)
{
    std::string out;
    const auto n = static_cast<std::uint32_t>(text.size());
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((n >> (8 * i)) & 0xFF);
    for (char c : text)
        out += static_cast<char>(c ^ 0x27);
    return out;
}

TEST(ApplicationTest, AFirstStartPreparesTheFolderAndTheDefaults)
{
    test::TempDir tmp;
    auto app = OpenIn(tmp.path());
    ASSERT_TRUE(app);
    EXPECT_EQ(app->GetOptions().defaultBackupFolder, (tmp.path() / "Data").string() + "/");
    EXPECT_EQ(app->GetOptions().dateFormat, 1);
    EXPECT_EQ(app->TaskCount(), 0u);
    EXPECT_TRUE(std::filesystem::exists(tmp.path() / "Logs" / "log200se.dll"));
    EXPECT_FALSE(std::filesystem::exists(tmp.path() / "myserver.dll")) << "written only when a profile is added";
    EXPECT_FALSE(std::filesystem::exists(tmp.path() / "tasks_se.tsk")) << "an empty list is no file";
}

TEST(ApplicationTest, OlderAndForeignServerListsAreRewrittenInTheCurrentLayout)
{
    test::TempDir tmp;
    // Two profiles of the legacy layout: no connection name, legacy key, no reserved byte.
    std::string legacy = "\xba\xae\xdf\xbf";
    for (const char* host : {"db1", "db2"}) {
        legacy += Legacy(host) + std::string("\xea\x0c\x00\x00", 4) + Legacy("root") + Legacy("pw") + Legacy("")
            + Legacy("") + std::string("\x01\x00\x00", 3);
    }
    std::ofstream(tmp.path() / "myserver.dll", std::ios::binary) << legacy;
    auto app = OpenIn(tmp.path());
    ASSERT_TRUE(app);
    ASSERT_EQ(app->Servers().size(), 2u);
    EXPECT_EQ(app->Servers().at(1)->connectionName, "db2");
    EXPECT_EQ(app->Servers().at(1)->port, 3306);
    EXPECT_EQ(ReadFileBytes(tmp.path() / "myserver.dll")->substr(0, 4), "\xe0\xf9\xbd\xca");
    app.reset();
    EXPECT_EQ(OpenIn(tmp.path())->Servers().size(), 2u) << "the rewritten file reads back";

    test::TempDir foreign;
    std::ofstream(foreign.path() / "myserver.dll", std::ios::binary) << "not a server list";
    ASSERT_TRUE(OpenIn(foreign.path()));
    EXPECT_EQ(*ReadFileBytes(foreign.path() / "myserver.dll"), "\xe0\xf9\xbd\xca");
}

} // namespace
} // namespace kelvanto
