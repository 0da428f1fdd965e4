// Ctrl-C while a script or a restore runs in `kelvanto-cli run`, through the runner's stop:
// "User canceled!", the task stopped, nothing after the stop sent, the connection closed.
// The tasks are imported in their hand-written JSON form (a script as one text, a restore
// file given by its path alone).
#include "app/DefaultEngines.h"
#include "tests/cli/CliHarness.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace kelvanto
{
namespace
{

using nlohmann::json;
using test::CliHarness;
using test::TestServerAddress;
using Clock = std::chrono::steady_clock;

std::string Count(const TestServerAddress& server, const std::string& sql)
{
    std::string output;
    test::RunMariadbClient(server, sql, &output, "--skip-column-names");
    return output.substr(0, output.find('\n'));
}

// The server's connections that have the database selected (its name needs no escaping).
std::string ConnectionsUsing(const TestServerAddress& server, const std::string& database)
{
    return Count(server, "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE DB = '" + database + "';");
}

// Waits (20 s at most) until the condition holds, then presses Ctrl-C and notes when.
class CtrlCWhen
{
public:
    explicit CtrlCWhen(std::function<bool()> condition)
        : m_thread([this, condition = std::move(condition)] {
            for (int i = 0; i < 400 && !m_done && !condition(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            pressedAt = Clock::now();
            interrupted = true;
        })
    { }
    ~CtrlCWhen()
    {
        m_done = true;
        m_thread.join();
    }
    CtrlCWhen(const CtrlCWhen&) = delete;
    CtrlCWhen& operator=(const CtrlCWhen&) = delete;

    std::atomic<bool> interrupted {false};
    Clock::time_point pressedAt;

private:
    std::atomic<bool> m_done {false};
    std::thread m_thread;
};

json Server(const TestServerAddress& server)
{
    return {{"host", server.host}, {"port", server.port}, {"user", server.user}, {"password", server.password}};
}

// Runs the task until the condition holds, then stops it; checks what every stop must leave.
void RunAndStop(CliHarness& h, const TestServerAddress& server, const std::string& database, const std::string& name,
    std::function<bool()> condition)
{
    CtrlCWhen ctrlC(std::move(condition));
    h.interrupted = &ctrlC.interrupted;
    auto run = h.Run({"run", name});
    const auto stopped = Clock::now();
    EXPECT_EQ(run.code, 130) << run.out << run.err;
    EXPECT_NE(run.out.find("\tWarning Info\tUser canceled!\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Failed"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Finished"), std::string::npos) << run.out;
    EXPECT_NE(h.Run({"list"}).out.find("\tStop\t"), std::string::npos);
    // The runner waits 3 s for the worker, then cancels its connection; a statement that
    // kept the run would hold it for half a minute.
    EXPECT_LT(stopped - ctrlC.pressedAt, std::chrono::seconds(10));
    std::string open = ConnectionsUsing(server, database);
    for (int i = 0; i < 100 && open != "0"; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        open = ConnectionsUsing(server, database);
    }
    EXPECT_EQ(open, "0");
}

TEST(StopDuringRunServerTest, CtrlCDuringALongStatementOfAScript)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    test::RoundTripDatabase database("kv_sleep", {server});
    CliHarness h;
    h.engines = MakeDefaultEngines;
    const std::string quoted = test::QuoteName(database.name());
    const json task = {{"name", "Sleep"}, {"type", 5}, {"source", Server(server)},
        {"script",
            "CREATE DATABASE " + quoted + ";\nUSE " + quoted + ";\nSELECT SLEEP(30);\nCREATE TABLE after (i INT);"}};
    ASSERT_EQ(h.Run({"task", "import", "-"}, task.dump()).code, 0);

    RunAndStop(h, server, database.name(), "Sleep", [&] {
        return Count(server,
                   "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE INFO = 'SELECT SLEEP(30)' AND DB = '"
                       + database.name() + "';")
            == "1";
    });
    EXPECT_EQ(Count(server, "SHOW TABLES FROM " + quoted + ";"), "");
}

TEST(StopDuringRunServerTest, CtrlCDuringALargeRestore)
{
    KELVANTO_REQUIRE_SERVER(server, 2);
    test::RoundTripDatabase database("kv_large", {server});
    CliHarness h;
    h.engines = MakeDefaultEngines;
    const std::string quoted = test::QuoteName(database.name());
    constexpr int kRows = 100000;
    std::string dump = "CREATE DATABASE " + quoted + ";\nUSE " + quoted + ";\nCREATE TABLE t (i INT);\n";
    for (int i = 0; i < kRows; ++i)
        dump += "INSERT INTO t VALUES (" + std::to_string(i) + ");\n";
    const json task = {{"name", "Large"}, {"type", 6}, {"destination", Server(server)},
        {"restoreFiles", json::array({json {{"path", h.WriteFile("large.sql", dump)}}})}};
    ASSERT_EQ(h.Run({"task", "import", "-"}, task.dump()).code, 0);

    const std::string rows = "SELECT COUNT(*) FROM " + quoted + ".t;";
    RunAndStop(h, server, database.name(), "Large", [&] { return std::atoi(Count(server, rows).c_str()) >= 1000; });
    const int restored = std::atoi(Count(server, rows).c_str());
    EXPECT_GE(restored, 1000);
    EXPECT_LT(restored, kRows);
}

} // namespace
} // namespace kelvanto
