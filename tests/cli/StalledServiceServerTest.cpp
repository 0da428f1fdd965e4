// kelvanto-cli serve as a real process whose runs wait on servers that do not answer: runs
// connecting to a socket that never greets, a script reading from a server that stalled in
// the middle of a statement (a proxy of the test that froze), and a backup waiting for a lock
// that the test holds. SIGTERM ends the service within seconds all the same, every run
// cancelled.
#include "app/ControlClient.h"
#include "app/ControlProtocol.h"
#include "app/JsonText.h"
#include "mysql/MySqlLibrary.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/ServerSession.h"
#include "tests/support/StalledServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestServer.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <csignal>

namespace kelvanto::test
{
namespace
{

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

Json Source(const TestServerAddress& server, int port)
{
    return {{"host", "127.0.0.1"}, {"port", port}, {"user", server.user}, {"password", server.password}};
}

class StalledService : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InitMySqlLibrary(); }

    std::vector<std::string> Cli(std::vector<std::string> args) const
    {
        std::vector<std::string> argv {CliExecutable(), "--data-dir", (tmp.path() / "data").string()};
        argv.insert(argv.end(), args.begin(), args.end());
        return argv;
    }

    void Import(const Json& task) const
    {
        const auto imported = RunProgram(Cli({"task", "import", "-"}), task.dump());
        ASSERT_EQ(imported.code, 0) << imported.err;
    }

    bool Answers() const
    {
        auto client = ControlClient::Connect(tmp.path() / "data" / "kelvanto.sock");
        if (!client)
            return false;
        auto reply = client->Request(ControlRequestLine("hello"), 2s);
        return reply && (*reply)["ok"] == true;
    }

    std::string ListRow(const std::string& name) const
    {
        const std::string list = RunProgram(Cli({"list"})).out;
        const auto at = list.find(name + "\t");
        return at == std::string::npos ? std::string() : list.substr(at, list.find('\n', at) - at);
    }

    TempDir tmp;
};

TEST_F(StalledService, SigtermEndsTheServiceWithinSecondsWhateverItsRunsWaitFor)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    RoundTripDatabase database("kv_svc_stall", {server});
    std::string output;
    ASSERT_EQ(RunMariadbClient(server,
                  "CREATE DATABASE " + QuoteName(database.name()) + ";\nCREATE TABLE " + QuoteName(database.name())
                      + ".t (id INT PRIMARY KEY);\nINSERT INTO " + QuoteName(database.name()) + ".t VALUES (1);\n",
                  &output),
        0)
        << output;
    SilentListener silent;
    StallingProxy proxy(server.host, server.port);

    const std::vector<std::string> connecting {"Connecting 1", "Connecting 2", "Connecting 3", "Connecting 4"};
    for (const std::string& name : connecting)
        Import({{"name", name}, {"type", 5}, {"source", Source(server, silent.port())}, {"script", "SELECT 1;"}});
    Import({{"name", "Stalled"}, {"type", 5}, {"source", Source(server, proxy.port())},
        {"script", "SELECT SLEEP(5);\nSELECT 1;"}});
    Import({{"name", "Locked"}, {"type", 1}, {"source", Source(server, server.port)},
        {"backupSettings",
            {{"fileType", 1}, {"fileMode", 2}, {"fileSplit", 1},
                {"backupFolder", (tmp.path() / "backups").string() + "/"}}},
        {"databases",
            {{{"checkState", 2}, {"name", database.name()},
                {"tables", {{{"checkState", 2}, {"kind", 1}, {"database", database.name()}, {"name", "t"}}}}}}}});

    const auto observer = Open(SettingsFor(server));
    ASSERT_TRUE(observer);
    const auto holder = Open(SettingsFor(server));
    ASSERT_TRUE(holder);
    ASSERT_TRUE(holder->Query("LOCK TABLES " + QuoteName(database.name()) + ".t WRITE"));

    ChildProcess service(Cli({"serve"}));
    ASSERT_TRUE(WaitUntil([&] { return Answers() || !service.Running(); }, 20s)) << service.Err();
    std::vector<std::unique_ptr<ChildProcess>> runs;
    for (const std::string& name : connecting)
        runs.push_back(std::make_unique<ChildProcess>(Cli({"run", name})));
    runs.push_back(std::make_unique<ChildProcess>(Cli({"run", "Stalled"})));
    runs.push_back(std::make_unique<ChildProcess>(Cli({"run", "Locked"})));

    // The script's sleep runs in the server: from now on its answer never reaches the service.
    EXPECT_TRUE(WaitUntil(
        [&] {
            return FirstValue(
                       *observer, "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE INFO = 'SELECT SLEEP(5)'")
                == "1";
        },
        20s));
    proxy.Freeze();
    EXPECT_TRUE(WaitUntil(
        [&] {
            return FirstValue(*observer,
                       "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE STATE = 'Waiting for table "
                       "metadata lock' AND DB = '"
                           + database.name() + "'")
                == "1";
        },
        20s))
        << service.Err();
    for (const std::string& name : connecting) {
        EXPECT_TRUE(WaitUntil(
            [&] {
                return service.Err().find(name + ": Connecting to the source MySQL server (127.0.0.1)... \n")
                    != std::string::npos;
            },
            20s))
            << service.Err();
    }

    const auto signalled = Clock::now();
    service.Signal(SIGTERM);
    const std::optional<int> code = service.Wait(60s);
    const auto took = Clock::now() - signalled;
    ASSERT_TRUE(code.has_value()) << "the service did not end";
    EXPECT_EQ(*code, 0) << service.Err();
    EXPECT_LT(took, 15s) << service.Err();
    ASSERT_TRUE(holder->Query("UNLOCK TABLES"));

    // Every run was a stop's, none a failure: the service ended them, they did not time out.
    for (const std::string& name : {connecting[0], connecting[3], std::string("Stalled"), std::string("Locked")}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(ListRow(name).ends_with("\tCancelled")) << ListRow(name) << "\n" << service.Err();
    }
    EXPECT_EQ(service.Err().find("Failed to connect"), std::string::npos) << service.Err();
}

} // namespace
} // namespace kelvanto::test
