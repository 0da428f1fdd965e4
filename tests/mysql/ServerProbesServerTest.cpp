// Character-set handshake, table kinds and listing probes against the private MariaDB server.
#include "mysql/ServerProbes.h"

#include "mysql/MySqlLibrary.h"
#include "mysql/OpenConnection.h"
#include "tests/support/ServerSession.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kelvanto
{
namespace
{

using test::FirstValue;
using test::Open;
using test::SettingsFor;

class ServerProbesServer : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InitMySqlLibrary(); }

    // A database kelvanto_e_probe with a table, a view, a table whose name holds a
    // backquote, and a latin1 database beside it.
    void CreateSample(Connection& connection)
    {
        for (const char* sql : {"DROP DATABASE IF EXISTS kelvanto_e_probe", "DROP DATABASE IF EXISTS kelvanto_e_latin",
                 "CREATE DATABASE kelvanto_e_probe CHARACTER SET utf8mb4",
                 "CREATE DATABASE kelvanto_e_latin CHARACTER SET latin1", "USE kelvanto_e_probe",
                 "CREATE TABLE film (id INT PRIMARY KEY, title VARCHAR(20))",
                 "CREATE VIEW film_list AS SELECT * FROM film", "CREATE TABLE `odd``name` (a INT)"}) {
            ASSERT_TRUE(connection.Query(sql)) << sql << ": " << connection.ErrorText();
        }
    }
};

TEST_F(ServerProbesServer, HandshakePutsTheCharsetInForce)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    auto connection = Open(SettingsFor(server));
    ASSERT_TRUE(connection);
    CreateSample(*connection);
    const std::string serverCharset = NegotiateCharset(*connection, false);
    EXPECT_EQ(serverCharset, FirstValue(*connection, "SELECT @@CHARACTER_SET_SERVER"));
    EXPECT_EQ(FirstValue(*connection, "SELECT @@CHARACTER_SET_CLIENT"), serverCharset);
    ASSERT_TRUE(connection->SelectDatabase("kelvanto_e_latin"));
    EXPECT_EQ(NegotiateCharset(*connection, true), "latin1");
    EXPECT_EQ(FirstValue(*connection, "SELECT @@CHARACTER_SET_CONNECTION"), "latin1");
}

TEST_F(ServerProbesServer, TellsTablesFromViews)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    auto connection = Open(SettingsFor(server));
    ASSERT_TRUE(connection);
    CreateSample(*connection);
    EXPECT_EQ(DetectTableKind(*connection, "film", true), 1);
    EXPECT_EQ(DetectTableKind(*connection, "film_list", true), 2);
    EXPECT_EQ(DetectTableKind(*connection, "film_list", false), 2);
    EXPECT_EQ(DetectTableKind(*connection, "odd`name", true), 1);
    EXPECT_EQ(DetectTableKind(*connection, "no_such_table", true), 0);
}

TEST_F(ServerProbesServer, ProbesListDatabasesTablesAndKinds)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    {
        auto connection = Open(SettingsFor(server));
        ASSERT_TRUE(connection);
        CreateSample(*connection);
    }
    ServerConnection settings = SettingsFor(server);
    settings.database = "kelvanto_e_probe";
    const Connector connector = MakeMariaDbConnector();
    auto tables = ProbeDatabaseTables(connector, settings);
    ASSERT_TRUE(tables) << tables.error();
    std::sort(tables->begin(), tables->end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    const std::vector<TableItem> expected = {
        {2, 1, "kelvanto_e_probe", "film"},
        {2, 2, "kelvanto_e_probe", "film_list"},
        {2, 1, "kelvanto_e_probe", "odd`name"},
    };
    EXPECT_EQ(*tables, expected);

    auto all = ProbeAllDatabases(connector, settings);
    ASSERT_TRUE(all) << all.error();
    auto probe = std::find_if(all->begin(), all->end(), [](const auto& db) { return db.name == "kelvanto_e_probe"; });
    ASSERT_NE(probe, all->end());
    EXPECT_EQ(probe->checkState, 2);
    EXPECT_EQ(probe->tables.size(), 3u);
    auto latin = std::find_if(all->begin(), all->end(), [](const auto& db) { return db.name == "kelvanto_e_latin"; });
    ASSERT_NE(latin, all->end());
    EXPECT_TRUE(latin->tables.empty());

    settings.database = "kelvanto_e_no_such_db";
    auto missing = ProbeDatabaseTables(connector, settings);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().rfind("Failed to use the database!\n\nError NO. 1049\n", 0), 0u) << missing.error();

    settings.password = "definitely wrong";
    settings.user = "kelvanto_nobody";
    auto denied = ProbeAllDatabases(connector, settings);
    ASSERT_FALSE(denied);
    EXPECT_EQ(denied.error().rfind("Failed to connect to the MySQL server!\n\nError NO. 1045\n", 0), 0u)
        << denied.error();
}

} // namespace
} // namespace kelvanto
