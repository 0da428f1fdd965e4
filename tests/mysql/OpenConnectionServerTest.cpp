// The real connection against the private MariaDB server: opening, failures, results,
// escaping and cancellation from another thread.
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

class OpenConnectionServer : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InitMySqlLibrary(); }
};

TEST_F(OpenConnectionServer, OpensWithPlainAndCompressedProtocol)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    for (std::uint8_t compression : {0, 1}) {
        SCOPED_TRACE(int(compression));
        ServerConnection settings = SettingsFor(server);
        settings.useCompression = compression;
        auto connection = Open(settings);
        ASSERT_TRUE(connection);
        EXPECT_GE(connection->ServerVersion(), 100000u);
        EXPECT_NE(connection->ServerInfo().find("MariaDB"), std::string::npos) << connection->ServerInfo();
        EXPECT_EQ(FirstValue(*connection, "SELECT 6*7"), "42");
        EXPECT_EQ(FirstValue(*connection, "SELECT DATABASE() IS NULL"), "1");
    }
}

TEST_F(OpenConnectionServer, FailuresComeBackAsNumberAndText)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    ServerConnection badPassword = SettingsFor(server);
    badPassword.user = "kelvanto_nobody";
    badPassword.password = "wrong";
    ConnectResult denied = OpenConnection(badPassword);
    ASSERT_TRUE(std::holds_alternative<ConnectError>(denied));
    EXPECT_EQ(std::get<ConnectError>(denied).number, 1045u);
    EXPECT_NE(std::get<ConnectError>(denied).text.find("kelvanto_nobody"), std::string::npos);

    // Port 1 on the loopback address: nothing listens there.
    ServerConnection refused = SettingsFor(server);
    refused.port = 1;
    ConnectResult closed = OpenConnection(refused);
    ASSERT_TRUE(std::holds_alternative<ConnectError>(closed));
    EXPECT_EQ(std::get<ConnectError>(closed).number, 2002u);
    EXPECT_FALSE(std::get<ConnectError>(closed).text.empty());
}

TEST_F(OpenConnectionServer, ResultsFieldsEscapingAndErrors)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    auto connection = Open(SettingsFor(server));
    ASSERT_TRUE(connection);
    ASSERT_TRUE(connection->Query("DROP DATABASE IF EXISTS kelvanto_e_conn"));
    ASSERT_TRUE(connection->Query("CREATE DATABASE kelvanto_e_conn"));
    ASSERT_TRUE(connection->SelectDatabase("kelvanto_e_conn"));
    ASSERT_TRUE(connection->Query(
        "CREATE TABLE t (id INT NOT NULL AUTO_INCREMENT PRIMARY KEY, name VARCHAR(20) DEFAULT 'x', b BLOB)"));

    std::string insert = "INSERT INTO t (name, b) VALUES ('a', '";
    const std::string hard("it's \\ \"q\" \0 \x1a\n\r end", 20);
    connection->AppendEscaped(insert, hard);
    insert += "'), (NULL, NULL)";
    ASSERT_TRUE(connection->Query(insert)) << connection->ErrorText();

    ASSERT_TRUE(connection->Query("SELECT id, name, b FROM t ORDER BY id"));
    auto rows = connection->UseResult();
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->Fields().size(), 3u);
    EXPECT_EQ(rows->Fields()[0].type, FieldType::Long);
    EXPECT_TRUE(rows->Fields()[0].flags & FieldFlag::PrimaryKey);
    EXPECT_EQ(rows->Fields()[2].type, FieldType::Blob);
    RowView row;
    ASSERT_TRUE(rows->FetchRow(row));
    EXPECT_EQ(row.value(2), hard);
    ASSERT_TRUE(rows->FetchRow(row));
    EXPECT_TRUE(row.isNull(1));
    EXPECT_FALSE(rows->FetchRow(row));
    rows.reset();

    auto fields = connection->ListFields("t");
    ASSERT_TRUE(fields);
    ASSERT_EQ(fields->Fields().size(), 3u);
    EXPECT_EQ(fields->Fields()[1].name, "name");
    EXPECT_EQ(fields->Fields()[1].type, FieldType::VarString);

    EXPECT_FALSE(connection->Query("SELECT * FROM no_such_table"));
    EXPECT_EQ(connection->ErrorNumber(), 1146u);
    EXPECT_FALSE(connection->SelectDatabase("kelvanto_e_no_such_db"));
    EXPECT_EQ(connection->ErrorNumber(), 1049u);
    EXPECT_EQ(connection->ListFields("no_such_table"), nullptr);
    EXPECT_TRUE(connection->Query("DROP DATABASE kelvanto_e_conn"));
}

// Runs SELECT SLEEP(30) on a connection of `settings` in another thread, cancels it once
// the server runs it, and checks that the query came back early with an error.
void ExpectCancelBreaksSleep(const ServerConnection& settings, const ServerConnection& observerSettings)
{
    auto connection = Open(settings);
    ASSERT_TRUE(connection);
    auto query = std::async(std::launch::async, [&] {
        // A sleep that ran to its end succeeds; a broken one fails.
        const bool slept = connection->Query("SELECT SLEEP(30)");
        const unsigned error = connection->ErrorNumber();
        EndMySqlThread();
        return std::make_pair(slept, error);
    });
    auto observer = Open(observerSettings);
    ASSERT_TRUE(observer);
    bool running = false;
    for (int i = 0; i < 1000 && !running; ++i) {
        running = FirstValue(
                      *observer, "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE INFO = 'SELECT SLEEP(30)'")
            == "1";
        if (!running)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(running);
    connection->Cancel();
    const auto [slept, error] = query.get();
    EXPECT_FALSE(slept) << "the sleep ran to its end";
    EXPECT_NE(error, 0u);
    // Every later call fails at once, with an error to report.
    EXPECT_FALSE(connection->Query("SELECT 1"));
    EXPECT_NE(connection->ErrorNumber(), 0u);
    EXPECT_FALSE(connection->ErrorText().empty());
    connection->Cancel(); // a second cancel is harmless
}

TEST_F(OpenConnectionServer, CancelFromAnotherThreadBreaksABlockingQuery)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    ExpectCancelBreaksSleep(SettingsFor(server), SettingsFor(server));
}

TEST_F(OpenConnectionServer, CancelStillBreaksTheQueryWhenNoSecondConnectionIsAllowed)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    auto admin = Open(SettingsFor(server));
    ASSERT_TRUE(admin);
    ASSERT_TRUE(admin->Query("DROP USER IF EXISTS 'kelvanto_one'@'127.0.0.1'"));
    ASSERT_TRUE(admin->Query("CREATE USER 'kelvanto_one'@'127.0.0.1' IDENTIFIED BY 'one' WITH MAX_USER_CONNECTIONS 1"))
        << admin->ErrorText();
    ServerConnection single = SettingsFor(server);
    single.host = "127.0.0.1";
    single.user = "kelvanto_one";
    single.password = "one";
    ExpectCancelBreaksSleep(single, SettingsFor(server));
    admin->Query("DROP USER 'kelvanto_one'@'127.0.0.1'");
}

} // namespace
} // namespace kelvanto
