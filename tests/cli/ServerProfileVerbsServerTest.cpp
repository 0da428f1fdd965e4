// kelvanto-cli server list | add | edit | remove | test with the profile dialog's checks and
// messages, and tasks whose JSON names a stored profile.
#include "model/ServerListStore.h"
#include "mysql/MySqlLibrary.h"
#include "tests/cli/CliHarness.h"
#include "tests/cli/InProcessScheduler.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace kelvanto
{
namespace
{

using test::CliHarness;

std::vector<std::string> Server(std::vector<std::string> args)
{
    args.insert(args.begin(), "server");
    return args;
}

TEST(ServerProfileVerbsTest, AddRunsTheDialogsChecksInOrder)
{
    CliHarness h;
    ASSERT_EQ(h.Run(Server({"add", "Existing", "--host", "db1"})).code, 0);
    const std::string before = h.ReadFile(h.dataDir() / "myserver.dll");
    struct Row
    {
        std::vector<std::string> args;
        std::string err;
    };
    const Row rows[] = {
        {{"add", "", "--host", ""}, "Please input the Connection Name.\n"},
        {{"add", "P", "--host", "", "--port", "0"}, "Please input the Host name or IP address.\n"},
        {{"add", "P", "--host", "h", "--port", "0"}, "Please input a number between 1 and 65535.\n"},
        {{"add", "P", "--host", "h", "--port", "65536"}, "Please input a number between 1 and 65535.\n"},
        {{"add", "P", "--host", "h", "--port", "33o6"}, "Please input a number between 1 and 65535.\n"},
        {{"add", "P", "--host", "h", "--save-password", "--user", ""}, "Please input the username.\n"},
        {{"add", "P", "--host", "h", "--save-password"}, "Please input the password.\n"},
        {{"add", "Existing", "--host", "h"}, "The connection name already exists!\n"},
        {{"edit", "nobody", "--host", "h"}, "no server profile named \"nobody\"\n"},
        {{"edit", "Existing", "--port", "70000"}, "Please input a number between 1 and 65535.\n"},
        {{"remove", "nobody"}, "no server profile named \"nobody\"\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args[0] + " " + row.args[1]);
        const auto result = h.Run(Server(row.args));
        EXPECT_EQ(result.code, 1);
        EXPECT_EQ(result.err, row.err);
        EXPECT_EQ(h.ReadFile(h.dataDir() / "myserver.dll"), before) << "a refusal leaves the list as it was";
    }
    EXPECT_EQ(h.Run(Server({"add", "oops", "--hots", "h"})).code, 2);
    EXPECT_EQ(h.Run(Server({"lst"})).code, 2);
}

TEST(ServerProfileVerbsTest, ProfilesAreAddedEditedAndRemovedAsTheServerManagerDoes)
{
    CliHarness h;
    EXPECT_EQ(h.Run(Server({"add", "Prod", "--host", "db1", "--port", "3307", "--user", "admin", "--password-stdin",
                        "--ssl", "--comment", "two\nlines"}),
                   "s3cret\n")
                  .out,
        "Added server profile \"Prod\"\n");
    // Without "Save password" the dialog keeps no password; names differ in case only: accepted.
    EXPECT_EQ(h.Run(Server({"add", "prod", "--host", "db2", "--password", "x", "--no-save-password"})).code, 0);
    EXPECT_EQ(h.Run(Server({"list"})).out,
        "Prod\tdb1\t3307\tadmin\t****\ttwo lines\t\tssl\n"
        "prod\tdb2\t3306\troot\tNULL\t\t\t\n");
    ServerList stored;
    ASSERT_TRUE(LoadServerListFile(h.dataDir() / "myserver.dll", stored).ok());
    EXPECT_EQ(stored.at(0)->password, "s3cret");
    EXPECT_EQ(stored.at(0)->savePassword, 1);
    EXPECT_EQ(stored.at(1)->password, "");

    // Edit changes only what it is given, and does not compare the name with the others.
    EXPECT_EQ(h.Run(Server({"edit", "prod", "--name", "Prod", "--compression", "--port", "3310"})).out,
        "Changed server profile \"Prod\"\n");
    EXPECT_EQ(h.Run(Server({"list"})).out,
        "Prod\tdb1\t3307\tadmin\t****\ttwo lines\t\tssl\n"
        "Prod\tdb2\t3310\troot\tNULL\t\t\tcompression\n");
    EXPECT_EQ(h.Run(Server({"remove", "Prod"})).out, "Removed server profile \"Prod\"\n");
    EXPECT_EQ(h.Run(Server({"list"})).out, "Prod\tdb2\t3310\troot\tNULL\t\t\tcompression\n");
}

TEST(ServerProfileVerbsTest, ATaskNamesAStoredProfileAndChangesWhatItGives)
{
    for (const bool withScheduler : {false, true}) {
        SCOPED_TRACE(withScheduler ? "through a scheduler" : "without a scheduler");
        CliHarness h;
        h.Run({"list"}); // makes the data folder
        std::unique_ptr<test::InProcessScheduler> scheduler;
        if (withScheduler)
            scheduler = std::make_unique<test::InProcessScheduler>(h);
        ASSERT_EQ(
            h.Run(Server({"add", "Prod", "--host", "db1", "--port", "3307", "--user", "u", "--password", "p", "--ssl"}))
                .code,
            0);
        const auto imported = h.Run({"task", "import", "-"},
            R"({"name": "T", "source": {"profile": "Prod", "database": "shop"}, "destination": {"profile": "Prod"}})");
        ASSERT_EQ(imported.code, 0) << imported.err;
        const auto refused = h.Run({"task", "import", "-"}, R"({"name": "U", "source": {"profile": "Nope"}})");
        EXPECT_EQ(refused.code, 1);
        EXPECT_EQ(refused.err, "source.profile: no stored server profile is named \"Nope\"\n");
        scheduler.reset();

        const auto task = nlohmann::json::parse(h.Run({"task", "export", "T", "--with-passwords"}).out);
        EXPECT_EQ(task["source"]["connectionName"], "Prod");
        EXPECT_EQ(task["source"]["host"], "db1");
        EXPECT_EQ(task["source"]["port"], 3307);
        EXPECT_EQ(task["source"]["password"], "p");
        EXPECT_EQ(task["source"]["useSsl"], 1);
        EXPECT_EQ(task["source"]["database"], "shop");
        EXPECT_EQ(task["destination"]["database"], "");
    }
}

TEST(ServerProfileVerbsServerTest, TestConnectsWithTheProfileOrSaysWhyNot)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    CliHarness h;
    const std::string port = std::to_string(server.port);
    ASSERT_EQ(h.Run(Server({"add", "Local", "--host", server.host, "--port", port, "--user", server.user})).code, 0);

    auto ok = h.Run(Server({"test", "Local"}));
    EXPECT_EQ(ok.code, 0) << ok.err;
    EXPECT_TRUE(ok.out.starts_with("Successfully connected to the MySQL server!\n\nMySQL version: 10.")) << ok.out;

    struct Row
    {
        std::vector<std::string> args;
        std::string err; // the start of it
    };
    const Row rows[] = {
        {{"test", "--host", server.host, "--port", "1"}, "Failed to connect to the MySQL server!\n\nError NO. 2002\n"},
        {{"test", "Local", "--ssl"}, "Failed to connect to the MySQL server!\n\nError NO. 2026\nTLS/SSL error"},
        {{"test", "Local", "--port", "0"}, "Please input a number between 1 and 65535.\n"},
        {{"test", "Local", "--host", ""}, "Please input the Host name or IP address.\n"},
        {{"test", "Nobody"}, "kelvanto-cli: no server profile named \"Nobody\"\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args[1]);
        const auto result = h.Run(Server(row.args));
        EXPECT_EQ(result.code, 1);
        EXPECT_TRUE(result.err.starts_with(row.err)) << result.err;
    }
}

} // namespace
} // namespace kelvanto
