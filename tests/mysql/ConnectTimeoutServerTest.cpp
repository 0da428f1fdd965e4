// The connection layer's part in connections that cannot hang (the engines' tests cover the
// time-outs themselves): a cancel from another thread ends an attempt at once, a cancel
// breaks a statement of a server that stalled (a proxy that froze, as a server stopped with
// SIGSTOP), and the session waits for a lock as long as asked. Bounds are generous: they tell
// what works from what does not, not how fast it is.
#include "mysql/OpenConnection.h"

#include "mysql/ConnectAbort.h"
#include "mysql/ConnectHandle.h"
#include "mysql/MySqlLibrary.h"
#include "tests/support/ServerSession.h"
#include "tests/support/StalledServer.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace kelvanto
{
namespace
{

using test::FirstValue;
using test::SettingsFor;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

class ConnectTimeoutServer : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InitMySqlLibrary(); }
};

ServerConnection At(const test::TestServerAddress& server, int port)
{
    ServerConnection settings = SettingsFor(server);
    settings.host = "127.0.0.1";
    settings.port = port;
    return settings;
}

ConnectControl Timeouts(std::int32_t connect, std::int32_t read, std::int32_t lockWait = 0)
{
    ConnectControl control;
    control.timeouts = ConnectionTimeouts {connect, read, read, lockWait};
    return control;
}

ConnectError ErrorOf(ConnectResult result)
{
    auto* error = std::get_if<ConnectError>(&result);
    return error ? *error : ConnectError {0, "connected"};
}

TEST_F(ConnectTimeoutServer, ACancelEndsTheAttemptAtOnceFromAnotherThread)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    test::SilentListener silent;
    ConnectAbort abort;
    ConnectControl control = Timeouts(600, 0);
    control.abort = &abort;
    auto attempt = std::async(std::launch::async, [&] {
        ConnectResult result = OpenConnection(At(server, silent.port()), control);
        EndMySqlThread();
        return ErrorOf(std::move(result));
    });
    std::this_thread::sleep_for(300ms);
    const auto cancelled = Clock::now();
    abort.Cancel();
    ASSERT_EQ(attempt.wait_for(15s), std::future_status::ready);
    EXPECT_LT(Clock::now() - cancelled, 10s);
    const ConnectError error = attempt.get();
    EXPECT_EQ(error.number, kConnectCancelledError);
    EXPECT_EQ(error.text, "The connection attempt was cancelled");

    // An abort cancelled before the attempt ends it before anything is waited for, also on a
    // server that would answer.
    ConnectAbort early;
    early.Cancel();
    control.abort = &early;
    EXPECT_EQ(ErrorOf(OpenConnection(SettingsFor(server), control)).number, kConnectCancelledError);
}

// A statement blocked on a stalled server (no read time-out, as a script's) is broken by a
// cancel: the kill over a second connection cannot get through, the local cancel does.
TEST_F(ConnectTimeoutServer, ACancelBreaksAStatementOfAStalledServer)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    test::StallingProxy proxy(server.host, server.port);
    ConnectResult result = OpenConnection(At(server, proxy.port()), Timeouts(10, 0));
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<Connection>>(result)) << ErrorOf(std::move(result)).text;
    Connection& connection = *std::get<std::unique_ptr<Connection>>(result);
    proxy.Freeze();
    auto query = std::async(std::launch::async, [&] {
        const bool answered = connection.Query("SELECT 1");
        EndMySqlThread();
        return answered;
    });
    EXPECT_EQ(query.wait_for(1s), std::future_status::timeout) << "the frozen server answered";
    const auto cancelled = Clock::now();
    connection.Cancel();
    ASSERT_EQ(query.wait_for(15s), std::future_status::ready);
    EXPECT_LT(Clock::now() - cancelled, 15s);
    EXPECT_FALSE(query.get());
    EXPECT_NE(connection.ErrorNumber(), 0u);
}

TEST_F(ConnectTimeoutServer, TheSessionWaitsForALockAsLongAsAsked)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    for (const std::int32_t seconds : {0, 7}) {
        SCOPED_TRACE(seconds);
        ConnectResult result = OpenConnection(SettingsFor(server), Timeouts(10, 0, seconds));
        ASSERT_TRUE(std::holds_alternative<std::unique_ptr<Connection>>(result)) << ErrorOf(std::move(result)).text;
        Connection& connection = *std::get<std::unique_ptr<Connection>>(result);
        const std::string global = FirstValue(connection, "SELECT @@GLOBAL.lock_wait_timeout");
        // 0 leaves the server's own.
        EXPECT_EQ(FirstValue(connection, "SELECT @@SESSION.lock_wait_timeout"),
            seconds == 0 ? global : std::to_string(seconds));
    }
}

} // namespace
} // namespace kelvanto
