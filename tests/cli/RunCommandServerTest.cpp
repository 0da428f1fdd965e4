#include "app/DefaultEngines.h"
#include "tests/cli/CliHarness.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdlib>

namespace kelvanto
{
namespace
{

using nlohmann::json;
using test::CliHarness;

// The shipped example, pointed at the test server, a private copy of Sakila and a private
// backup folder: imported, run once in the foreground, and its dump checked.
TEST(RunCommandServerTest, TheSakilaExampleRunsToFinishedAndLeavesOneDump)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    test::RoundTripDatabase database("clirun", {server});
    ASSERT_EQ(test::LoadSakila(server, database.name()), "");

    CliHarness h;
    h.engines = MakeDefaultEngines;
    const char* source = std::getenv("KELVANTO_SOURCE_DIR");
    json task = json::parse(h.ReadFile(std::filesystem::path(source ? source : ".") / "examples/backup-sakila.json"));
    task["source"]["host"] = server.host;
    task["source"]["port"] = server.port;
    task["source"]["user"] = server.user;
    task["source"]["password"] = server.password;
    task["databases"][0]["name"] = database.name();
    for (auto& table : task["databases"][0]["tables"])
        table["database"] = database.name();
    const auto backups = h.tmp.path() / "backups";
    task["backupSettings"]["backupFolder"] = backups.string() + "/";
    ASSERT_EQ(h.Run({"task", "import", "-"}, task.dump()).code, 0);

    auto run = h.Run({"run", "Backup sakila"});
    ASSERT_EQ(run.code, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("\tGeneral Info\tFinished\n"), std::string::npos) << run.out;

    std::vector<std::filesystem::path> dumps;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(backups)) {
        if (entry.is_regular_file())
            dumps.push_back(entry.path());
    }
    ASSERT_EQ(dumps.size(), 1u);
    EXPECT_EQ(dumps[0].extension(), ".sql");
    const std::string dump = h.ReadFile(dumps[0]);
    for (const char* piece : {"CREATE TABLE IF NOT EXISTS `film` (", "INSERT INTO `actor`", "`customer_list`"})
        EXPECT_NE(dump.find(piece), std::string::npos) << piece;

    // The run is recorded in the saved task list: its history names the file.
    json saved = json::parse(h.Run({"task", "export", "Backup sakila"}).out);
    ASSERT_EQ(saved["backupHistory"].size(), 1u);
    EXPECT_EQ(saved["backupHistory"][0]["files"][0], dumps[0].string());
}

} // namespace
} // namespace kelvanto
