// Version rules and listing probes against scripted servers, including versions that no
// server here can give (3.23, 4.0, 4.1.0).
#include "mysql/ServerProbes.h"

#include "mysql/OpenConnection.h"
#include "mysql/ServerFeatures.h"
#include "tests/support/FakeConnection.h"

#include <gtest/gtest.h>

namespace kelvanto
{
namespace
{

using test::FakeConnection;
using test::FakeResult;

FieldInfo Named(const char* name)
{
    FieldInfo field;
    field.name = name;
    return field;
}

FakeResult OneValue(const char* column, std::optional<std::string> value)
{
    return FakeResult {{Named(column)}, {{std::move(value)}}};
}

TEST(ServerFeatures, ThresholdsAtEachBoundary)
{
    struct Row
    {
        unsigned long version;
        bool quote, readLocal, ifNotExists, showCreate, charset, sqlMode, dbCharset, utc;
        bool fullTables = false, columnExtras = false;
    };
    const Row rows[] = {
        {32305, false, false, false, false, false, false, false, false},
        {32306, true, false, false, false, false, false, false, false},
        {32310, true, false, false, false, false, false, false, false},
        {32311, true, true, false, false, false, false, false, false},
        {32312, true, true, true, false, false, false, false, false},
        {32319, true, true, true, false, false, false, false, false},
        {32320, true, true, true, true, false, false, false, false},
        {40018, true, true, true, true, false, false, false, false},
        {40100, true, true, true, true, true, false, false, false},
        {40101, true, true, true, true, true, true, true, false},
        {40103, true, true, true, true, true, true, true, true},
        {50001, true, true, true, true, true, true, true, true, false, false},
        {50002, true, true, true, true, true, true, true, true, true, false},
        {50199, true, true, true, true, true, true, true, true, true, false},
        {50200, true, true, true, true, true, true, true, true, true, true},
        {100611, true, true, true, true, true, true, true, true, true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        const auto f = ServerFeatures::ForVersion(row.version);
        EXPECT_EQ(f.version, row.version);
        EXPECT_EQ(f.quoteNames, row.quote);
        EXPECT_EQ(f.readLocalLocks, row.readLocal);
        EXPECT_EQ(f.createIfNotExists, row.ifNotExists);
        EXPECT_EQ(f.showCreate, row.showCreate);
        EXPECT_EQ(f.charsetAware, row.charset);
        EXPECT_EQ(f.sqlModeLines, row.sqlMode);
        EXPECT_EQ(f.databaseCharsetClause, row.dbCharset);
        EXPECT_EQ(f.utcSession, row.utc);
        EXPECT_EQ(f.fullTables, row.fullTables);
        EXPECT_EQ(f.columnExtras, row.columnExtras);
    }
}

TEST(OpenConnection, ClientFlagsFromCompressionAndSsl)
{
    ServerConnection settings;
    EXPECT_EQ(ConnectFlags(settings), 0u);
    settings.useCompression = 1;
    EXPECT_EQ(ConnectFlags(settings), 32u);
    settings.useSsl = 1;
    EXPECT_EQ(ConnectFlags(settings), 2080u);
    settings.useCompression = 0;
    EXPECT_EQ(ConnectFlags(settings), 2048u);
    settings.useSsl = 2; // only 1 switches it on
    EXPECT_EQ(ConnectFlags(settings), 0u);
}

TEST(NegotiateCharset, NothingIsSentBelow41)
{
    for (unsigned long version : {32319ul, 40018ul, 40099ul}) {
        SCOPED_TRACE(version);
        FakeConnection connection(version, "4.0.18");
        EXPECT_EQ(NegotiateCharset(connection, false), "");
        EXPECT_EQ(NegotiateCharset(connection, true), "");
        EXPECT_TRUE(connection.Queries().empty());
    }
}

TEST(NegotiateCharset, TrimsTheNameAndSetsIt)
{
    FakeConnection connection(40100, "4.1.0-alpha");
    connection.Answer("SELECT @@CHARACTER_SET_SERVER", OneValue("@@CHARACTER_SET_SERVER", "  latin1 \t"));
    connection.Answer("SELECT @@CHARACTER_SET_DATABASE", OneValue("@@CHARACTER_SET_DATABASE", "utf8"));
    EXPECT_EQ(NegotiateCharset(connection, false), "latin1");
    EXPECT_EQ(NegotiateCharset(connection, true), "utf8");
    EXPECT_EQ(connection.Queries(),
        (std::vector<std::string> {"SELECT @@CHARACTER_SET_SERVER", "SET NAMES 'latin1'",
            "SELECT @@CHARACTER_SET_DATABASE", "SET NAMES 'utf8'"}));
}

TEST(NegotiateCharset, FailedNullOrEmptyAnswersSetNothing)
{
    FakeConnection failed(40101);
    failed.Fail("SELECT @@CHARACTER_SET_SERVER", 1064, "syntax");
    FakeConnection noResult(40101); // unscripted: succeeds without a result set
    FakeConnection noRow(40101);
    noRow.Answer("SELECT @@CHARACTER_SET_SERVER", FakeResult {{Named("c")}, {}});
    FakeConnection nullValue(40101);
    nullValue.Answer("SELECT @@CHARACTER_SET_SERVER", OneValue("c", std::nullopt));
    FakeConnection blank(40101);
    blank.Answer("SELECT @@CHARACTER_SET_SERVER", OneValue("c", "   "));
    for (FakeConnection* connection : {&failed, &noResult, &noRow, &nullValue, &blank}) {
        EXPECT_EQ(NegotiateCharset(*connection, false), "");
        EXPECT_EQ(connection->Queries(), std::vector<std::string> {"SELECT @@CHARACTER_SET_SERVER"});
    }
}

TEST(DetectTableKind, ByTheFirstColumnName)
{
    FakeConnection connection(40101);
    connection.Answer("SHOW CREATE TABLE `t`", FakeResult {{Named("Table"), Named("Create Table")}, {}});
    connection.Answer("SHOW CREATE TABLE `v`", FakeResult {{Named("View"), Named("Create View")}, {}});
    connection.Answer("SHOW CREATE TABLE `lower`", FakeResult {{Named("table")}, {}});
    connection.Answer("SHOW CREATE TABLE `a``b`", FakeResult {{Named("View")}, {}});
    connection.Answer("SHOW CREATE TABLE bare", FakeResult {{Named("Table")}, {}});
    connection.Fail("SHOW CREATE TABLE `gone`", 1146, "missing");
    EXPECT_EQ(DetectTableKind(connection, "t", true), 1);
    EXPECT_EQ(DetectTableKind(connection, "v", true), 2);
    EXPECT_EQ(DetectTableKind(connection, "lower", true), 0);
    EXPECT_EQ(DetectTableKind(connection, "a`b", true), 2);
    EXPECT_EQ(DetectTableKind(connection, "bare", false), 1);
    EXPECT_EQ(DetectTableKind(connection, "gone", true), 0);
    EXPECT_EQ(DetectTableKind(connection, "no result", true), 0);
}

TEST(DetectTableKind, OldServersAreAskedNothing)
{
    FakeConnection connection(32319, "3.23.19");
    EXPECT_EQ(DetectTableKind(connection, "v", true), 1);
    EXPECT_TRUE(connection.Queries().empty());
}

TEST(Listing, DatabasesWithTablesAndKinds)
{
    FakeConnection connection(40101);
    connection.SetDatabases({"shop", "locked", "mysql"});
    connection.SetTables("shop", {"film", "film_list"});
    connection.SetTables("mysql", {});
    connection.FailSelect("locked", 1044, "Access denied");
    connection.Answer("SHOW CREATE TABLE `film`", FakeResult {{Named("Table")}, {}});
    connection.Answer("SHOW CREATE TABLE `film_list`", FakeResult {{Named("View")}, {}});
    auto databases = ListDatabasesWithTables(connection, true);
    ASSERT_TRUE(databases) << databases.error();
    const std::vector<DatabaseItem> expected = {
        {2, "shop", {{2, 1, "shop", "film"}, {2, 2, "shop", "film_list"}}},
        {2, "locked", {}},
        {2, "mysql", {}},
    };
    EXPECT_EQ(*databases, expected);
    // A database-level handshake after each successful selection.
    EXPECT_EQ(connection.CountOf("SELECT @@CHARACTER_SET_DATABASE"), 2);

    FakeConnection refused(40101);
    auto none = ListDatabasesWithTables(refused, false);
    ASSERT_FALSE(none);
    EXPECT_EQ(none.error(), "Failed to list the databases!\n\nError NO. 1227\nAccess denied");
}

TEST(Listing, OldServerListsEveryObjectAsTableUnquoted)
{
    FakeConnection connection(32305, "3.23.5");
    connection.SelectDatabase("old");
    connection.SetTables("old", {"a", "b"});
    auto tables = ListTablesWithKinds(connection, "old");
    ASSERT_TRUE(tables);
    EXPECT_EQ(*tables, (std::vector<TableItem> {{2, 1, "old", "a"}, {2, 1, "old", "b"}}));
    EXPECT_TRUE(connection.Queries().empty());
}

TEST(Probes, ReportTheMessageTextsAndCloseTheirConnection)
{
    ServerConnection settings;
    settings.database = "shop";
    const Connector refused = [](const ServerConnection&) -> ConnectResult {
        return ConnectError {2003, "Can't connect to MySQL server on 'x' (111)"};
    };
    auto failed = ProbeAllDatabases(refused, settings);
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error(),
        "Failed to connect to the MySQL server!\n\nError NO. 2003\nCan't connect to MySQL server on 'x' (111)");
    EXPECT_EQ(ProbeDatabaseTables(refused, settings).error(), failed.error());

    const Connector noDatabase = [](const ServerConnection&) -> ConnectResult {
        auto connection = std::make_unique<FakeConnection>(100611);
        connection->FailSelect("shop", 1049, "Unknown database 'shop'");
        return connection;
    };
    auto unknown = ProbeDatabaseTables(noDatabase, settings);
    ASSERT_FALSE(unknown);
    EXPECT_EQ(unknown.error(), "Failed to use the database!\n\nError NO. 1049\nUnknown database 'shop'");

    const Connector good = [](const ServerConnection&) -> ConnectResult {
        auto connection = std::make_unique<FakeConnection>(100611);
        connection->SetTables("shop", {"film"});
        connection->SetDatabases({"shop"});
        connection->Answer("SHOW CREATE TABLE `film`", FakeResult {{Named("Table")}, {}});
        return connection;
    };
    auto tables = ProbeDatabaseTables(good, settings);
    ASSERT_TRUE(tables) << tables.error();
    EXPECT_EQ(*tables, (std::vector<TableItem> {{2, 1, "shop", "film"}}));
    auto all = ProbeAllDatabases(good, settings);
    ASSERT_TRUE(all) << all.error();
    EXPECT_EQ(all->size(), 1u);
}

} // namespace
} // namespace kelvanto
