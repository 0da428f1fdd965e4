// "Use SSL protocol" against the private servers: the second one offers TLS (a certificate
// made by scripts/mariadb-fixture), the first one does not.
#include "mysql/OpenConnection.h"

#include "mysql/MySqlLibrary.h"
#include "tests/support/ServerSession.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace kelvanto
{
namespace
{

using test::FirstValue;
using test::Open;
using test::SettingsFor;

class TlsConnectionServer : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InitMySqlLibrary(); }
};

// Declares `var` as server 2, which must offer TLS.
#define REQUIRE_TLS_SERVER(var)                                                                                        \
    KELVANTO_REQUIRE_SERVER(var, 2);                                                                                   \
    if (test::Env("KELVANTO_TEST_MYSQL2_TLS") != "1") {                                                                \
        if (test::RunningUnderCi())                                                                                    \
            FAIL() << "test server 2 offers no TLS under CI (scripts/mariadb-fixture starts it with TLS)";             \
        GTEST_SKIP() << "test server 2 offers no TLS: start it with scripts/mariadb-fixture";                          \
    }

std::string SessionCipher(Connection& connection)
{
    if (!connection.Query("SHOW SESSION STATUS LIKE 'Ssl_cipher'"))
        return "<query failed: " + connection.ErrorText() + ">";
    auto result = connection.StoreResult();
    RowView row;
    if (!result || !result->FetchRow(row) || row.count < 2)
        return "<no row>";
    return std::string(row.value(1));
}

TEST_F(TlsConnectionServer, UseSslMeansTlsOrNoConnection)
{
    KELVANTO_REQUIRE_SERVER(plain, 1);
    REQUIRE_TLS_SERVER(tls);
    struct Row
    {
        const char* name;
        const test::TestServerAddress& server;
        std::uint8_t useSsl;
        std::uint8_t useCompression;
        bool connects;
        bool encrypted;
    };
    const Row rows[] = {
        {"TLS server, useSsl", tls, 1, 0, true, true},
        {"TLS server, useSsl and compression", tls, 1, 1, true, true},
        {"TLS server, useSsl off stays in clear", tls, 0, 0, true, false},
        {"server without TLS, useSsl off", plain, 0, 0, true, false},
        {"server without TLS, useSsl", plain, 1, 0, false, false},
        {"server without TLS, useSsl and compression", plain, 1, 1, false, false},
        {"useSsl 2 is not on", plain, 2, 0, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ServerConnection settings = SettingsFor(row.server);
        settings.useSsl = row.useSsl;
        settings.useCompression = row.useCompression;
        ConnectResult result = OpenConnection(settings);
        if (!row.connects) {
            ASSERT_TRUE(std::holds_alternative<ConnectError>(result));
            EXPECT_EQ(std::get<ConnectError>(result).number, 2026u);
            EXPECT_EQ(std::get<ConnectError>(result).text,
                "TLS/SSL error: SSL is required, but the server does not support it");
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<std::unique_ptr<Connection>>(result))
            << std::get<ConnectError>(result).number << " " << std::get<ConnectError>(result).text;
        auto& connection = *std::get<std::unique_ptr<Connection>>(result);
        const std::string cipher = SessionCipher(connection);
        if (row.encrypted)
            EXPECT_FALSE(cipher.empty() || cipher[0] == '<') << cipher;
        else
            EXPECT_EQ(cipher, "");
        EXPECT_EQ(FirstValue(connection, "SELECT 6*7"), "42");
    }
}

TEST_F(TlsConnectionServer, TheConnectionThatCancelsARunUsesTlsToo)
{
    REQUIRE_TLS_SERVER(tls);
    auto admin = Open(SettingsFor(tls));
    ASSERT_TRUE(admin);
    // An account that only TLS can use: the KILL reaches the server only over TLS.
    ASSERT_TRUE(admin->Query("DROP USER IF EXISTS 'kelvanto_tls'@'127.0.0.1'"));
    ASSERT_TRUE(admin->Query("CREATE USER 'kelvanto_tls'@'127.0.0.1' IDENTIFIED BY 'tls' REQUIRE SSL"))
        << admin->ErrorText();
    ServerConnection settings = SettingsFor(tls);
    settings.user = "kelvanto_tls";
    settings.password = "tls";
    settings.useSsl = 1;
    const std::string killsBefore = FirstValue(*admin,
        "SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS "
        "WHERE VARIABLE_NAME = 'COM_KILL'");

    auto connection = Open(settings);
    ASSERT_TRUE(connection);
    auto query = std::async(std::launch::async, [&] {
        const bool slept = connection->Query("SELECT SLEEP(30)");
        EndMySqlThread();
        return slept;
    });
    bool running = false;
    for (int i = 0; i < 1000 && !running; ++i) {
        running
            = FirstValue(*admin, "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE INFO = 'SELECT SLEEP(30)'")
            == "1";
        if (!running)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(running);
    connection->Cancel();
    EXPECT_FALSE(query.get());
    const std::string killsAfter = FirstValue(*admin,
        "SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS "
        "WHERE VARIABLE_NAME = 'COM_KILL'");
    EXPECT_EQ(std::stoi(killsAfter), std::stoi(killsBefore) + 1) << "the KILL did not come over TLS";
    admin->Query("DROP USER 'kelvanto_tls'@'127.0.0.1'");
}

} // namespace
} // namespace kelvanto
