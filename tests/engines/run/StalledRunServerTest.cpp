// Every engine whose server stalls in the middle of the run (a proxy of the test in front of
// the test server freezes, as a server stopped with SIGSTOP would, while the server itself
// serves the other tests on): with a read time-out the run fails within it and says that it
// timed out; without one (a script's, a restore's by default) or before it, a stop ends the
// run, cancelled, within seconds.
#include "tests/engines/run/StalledEngines.h"
#include "tests/support/StalledServer.h"
#include "tests/support/WaitUntil.h"

#include <atomic>
#include <future>
#include <thread>

namespace kelvanto::test
{
namespace
{

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Freezes the proxy when the run writes the row's line, and says when.
void FreezeAfter(FakeRunContext& context, const StalledEngine& row, StallingProxy& proxy, std::atomic<bool>& frozen)
{
    context.SetLogHook([&proxy, &frozen, head = std::string(row.stallAfter)](const LogLine& line) {
        if (!frozen && line.text.starts_with(head)) {
            proxy.Freeze();
            frozen = true;
        }
    });
}

TEST_F(StalledEngines, AServerThatStallsInTheRunFailsItWithinTheReadTimeout)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    KELVANTO_REQUIRE_SERVER(other, 2);
    ASSERT_TRUE(Prepare(server, other));
    for (const StalledEngine& row : StalledEngineRows()) {
        SCOPED_TRACE(row.name);
        StallingProxy proxy(server.host, server.port);
        Task task = TaskFor(row, proxy.port());
        // A script's and a restore's statements have none unless the task sets one.
        task.extras.timeouts.read = 2;
        FakeRunContext context(task, folder());
        std::atomic<bool> frozen {false};
        FreezeAfter(context, row, proxy, frozen);
        const auto started = Clock::now();
        const RunOutcome outcome = Run(row, context);
        EXPECT_LT(Clock::now() - started, 20s);
        ASSERT_TRUE(frozen.load()) << context.LogText();
        EXPECT_EQ(ResultOf(outcome, context), RunResult::Failed) << context.LogText();
        EXPECT_NE(context.LogText().find("Lost the connection to the MySQL server!  Error NO. 2013  Lost connection to "
                                         "server during query (timed out after 2 s)\n"),
            std::string::npos)
            << context.LogText();
        EXPECT_EQ(context.LogText().find("Finished"), std::string::npos) << context.LogText();
        EXPECT_TRUE(context.Registered().empty());
    }
}

TEST_F(StalledEngines, AStopEndsARunWhoseServerStalledWithinSeconds)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    KELVANTO_REQUIRE_SERVER(other, 2);
    ASSERT_TRUE(Prepare(server, other));
    for (const StalledEngine& row : StalledEngineRows()) {
        SCOPED_TRACE(row.name);
        StallingProxy proxy(server.host, server.port);
        // The default time-outs: 900 s, or none for the script and the restore.
        FakeRunContext context(TaskFor(row, proxy.port()), folder());
        std::atomic<bool> frozen {false};
        FreezeAfter(context, row, proxy, frozen);
        auto run = std::async(std::launch::async, [&] {
            const RunOutcome outcome = Run(row, context);
            EndMySqlThread();
            return outcome;
        });
        ASSERT_TRUE(WaitUntil([&] { return frozen.load(); }, 30s)) << context.LogText();
        std::this_thread::sleep_for(500ms);
        EXPECT_EQ(run.wait_for(0s), std::future_status::timeout) << "the run did not wait for the stalled server";
        // As the runner does when the run does not stop by itself.
        const auto stopped = Clock::now();
        context.SetQuit(true);
        context.CancelRegistered();
        ASSERT_EQ(run.wait_for(30s), std::future_status::ready);
        EXPECT_LT(Clock::now() - stopped, 15s);
        EXPECT_EQ(ResultOf(run.get(), context), RunResult::Cancelled) << context.LogText();
        EXPECT_EQ(context.LogText().find("Lost the connection"), std::string::npos) << context.LogText();
        EXPECT_TRUE(context.Registered().empty());
    }
}

} // namespace
} // namespace kelvanto::test
