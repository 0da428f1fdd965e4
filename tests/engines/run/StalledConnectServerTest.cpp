// Every engine against a server that accepts and never greets (a socket of the test that
// listens and never accepts): the run fails within its connect time-out with the library's
// error, says that it timed out, and a stop while it connects ends it at once, cancelled.
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

// The log line that starts with `head`, or "".
std::string LineStarting(const FakeRunContext& context, const std::string& head)
{
    for (const std::string& line : context.LogTexts()) {
        if (line.starts_with(head))
            return line;
    }
    return {};
}

TEST_F(StalledEngines, AServerThatNeverGreetsFailsTheRunWithinTheConnectTimeout)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    KELVANTO_REQUIRE_SERVER(other, 2);
    ASSERT_TRUE(Prepare(server, other));
    SilentListener silent;
    for (const StalledEngine& row : StalledEngineRows()) {
        SCOPED_TRACE(row.name);
        Task task = TaskFor(row, silent.port());
        task.extras.timeouts.connect = 2;
        FakeRunContext context(task, folder());
        const auto started = Clock::now();
        const RunOutcome outcome = Run(row, context);
        EXPECT_LT(Clock::now() - started, 15s);
        EXPECT_EQ(ResultOf(outcome, context), RunResult::Failed) << context.LogText();
        // The lines that were there before: the attempt, and its failure with the library's error.
        EXPECT_NE(context.LogText().find("MySQL server (127.0.0.1)... \n"), std::string::npos) << context.LogText();
        const std::string failure = LineStarting(context, row.connectFailure);
        EXPECT_TRUE(failure.starts_with(std::string(row.connectFailure) + "  Error NO. 2013  Lost connection"))
            << context.LogText();
        EXPECT_TRUE(failure.ends_with(" (timed out after 2 s)")) << failure;
        EXPECT_TRUE(context.Registered().empty());
    }
}

TEST_F(StalledEngines, AStopWhileTheRunConnectsEndsItAtOnce)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    KELVANTO_REQUIRE_SERVER(other, 2);
    ASSERT_TRUE(Prepare(server, other));
    SilentListener silent;
    for (const StalledEngine& row : StalledEngineRows()) {
        SCOPED_TRACE(row.name);
        // The default connect time-out (30 s) is far away: only the stop can end the attempt.
        FakeRunContext context(TaskFor(row, silent.port()), folder());
        std::atomic<bool> connecting {false};
        context.SetLogHook([&](const LogLine& line) {
            if (line.text.starts_with("Connecting to the "))
                connecting = true;
        });
        auto run = std::async(std::launch::async, [&] {
            const RunOutcome outcome = Run(row, context);
            EndMySqlThread();
            return outcome;
        });
        ASSERT_TRUE(WaitUntil([&] { return connecting.load(); }, 20s));
        std::this_thread::sleep_for(300ms);
        const auto stopped = Clock::now();
        context.SetQuit(true);
        ASSERT_EQ(run.wait_for(20s), std::future_status::ready);
        EXPECT_LT(Clock::now() - stopped, 5s);
        EXPECT_EQ(ResultOf(run.get(), context), RunResult::Cancelled) << context.LogText();
        // The stop is no failure of the connection: the runner writes "User canceled!".
        EXPECT_EQ(context.LogText().find("Failed to connect"), std::string::npos) << context.LogText();
        EXPECT_TRUE(context.Registered().empty());
    }
}

// The restore that verifies a backup connects the same way: a verification server that never
// greets fails the verification within the time-out, and the backup completes with that error.
TEST_F(StalledEngines, AVerificationServerThatNeverGreetsFailsTheVerificationInTime)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    KELVANTO_REQUIRE_SERVER(other, 2);
    ASSERT_TRUE(Prepare(server, other));
    SilentListener silent;
    Task task = TaskFor(StalledEngineRows().front(), server.port);
    ServerConnection verifier = SettingsFor(server);
    verifier.host = "127.0.0.1";
    verifier.port = silent.port();
    task.extras.verifyRestore = VerifyServer {{}, verifier};
    task.extras.timeouts.connect = 2;
    FakeRunContext context(task, folder());
    const auto started = Clock::now();
    const RunOutcome outcome = RunBackupToFiles(context, MakeMariaDbConnector());
    EXPECT_LT(Clock::now() - started, 20s);
    EXPECT_EQ(ResultOf(outcome, context), RunResult::CompletedWithErrors) << context.LogText();
    const std::string failure = LineStarting(context, "The verification by restore into");
    EXPECT_NE(
        failure.find(": cannot connect to the verification server: Error NO. 2013  Lost connection"), std::string::npos)
        << context.LogText();
    EXPECT_TRUE(failure.ends_with(" (timed out after 2 s)")) << failure;
}

} // namespace
} // namespace kelvanto::test
