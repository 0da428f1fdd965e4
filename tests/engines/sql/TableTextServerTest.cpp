// Names, definitions and row values against the private MariaDB server: what the text
// functions produce must be taken back by the server as the same names, tables and rows.
#include "engines/sql/RowValues.h"
#include "engines/sql/TableDefinition.h"
#include "mysql/SqlNames.h"

#include "mysql/MySqlLibrary.h"
#include "mysql/OpenConnection.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

namespace kelvanto
{
namespace
{

std::unique_ptr<Connection> OpenDatabase(const test::TestServerAddress& server, const char* database)
{
    InitMySqlLibrary();
    ServerConnection settings;
    settings.host = server.host;
    settings.port = server.port;
    settings.user = server.user;
    settings.password = server.password;
    ConnectResult result = OpenConnection(settings);
    if (auto* error = std::get_if<ConnectError>(&result)) {
        ADD_FAILURE() << "connect failed: " << error->text;
        return nullptr;
    }
    auto connection = std::move(std::get<std::unique_ptr<Connection>>(result));
    const std::string name = QuoteName(database, true);
    if (!connection->Query("DROP DATABASE IF EXISTS " + name) || !connection->Query("CREATE DATABASE " + name)
        || !connection->SelectDatabase(database) || !connection->Query("SET NAMES utf8mb4")) {
        ADD_FAILURE() << connection->ErrorText();
        return nullptr;
    }
    return connection;
}

std::vector<std::string> Column0(Connection& connection, const std::string& sql)
{
    std::vector<std::string> values;
    if (!connection.Query(sql)) {
        ADD_FAILURE() << sql << ": " << connection.ErrorText();
        return values;
    }
    auto result = connection.StoreResult();
    RowView row;
    while (result && result->FetchRow(row))
        values.emplace_back(row.isNull(0) ? "NULL" : row.value(0));
    return values;
}

TEST(TableTextServer, QuotedNamesAndLikeLiteralsMatchExactlyOneTable)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    auto connection = OpenDatabase(server, "kelvanto_e_names");
    ASSERT_TRUE(connection);
    const std::vector<std::string> names = {"a_b", "axb", "a%b", "a'b", "a\\b", "a\\\\b", "a`b", "a``b"};
    for (const auto& name : names)
        ASSERT_TRUE(connection->Query("CREATE TABLE " + QuoteName(name, true) + " (x INT)")) << name;
    for (const auto& name : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(
            Column0(*connection, "SHOW TABLES LIKE '" + LikeLiteral(name) + "'"), std::vector<std::string> {name});
        EXPECT_EQ(Column0(*connection, "SHOW TABLE STATUS LIKE '" + LikeLiteral(name) + "'"),
            std::vector<std::string> {name});
    }
    connection->Query("DROP DATABASE kelvanto_e_names");
}

TEST(TableTextServer, FlattenedDefinitionRecreatesTheTable)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    auto connection = OpenDatabase(server, "kelvanto_e_def");
    ASSERT_TRUE(connection);
    ASSERT_TRUE(connection->Query("CREATE TABLE `we``ird` (id INT NOT NULL AUTO_INCREMENT, note VARCHAR(10) DEFAULT "
                                  "'it''s', PRIMARY KEY (id), KEY k (note)) COMMENT 'line\\none'"));
    auto definition = GetTableDefinition(*connection, "we`ird", "", {}, true, true);
    ASSERT_TRUE(definition) << definition.error();
    EXPECT_EQ(definition->find('\n'), std::string::npos);
    EXPECT_EQ(definition->rfind("CREATE TABLE IF NOT EXISTS `we``ird` (", 0), 0u) << *definition;

    const auto before = Column0(*connection, "SHOW CREATE TABLE `we``ird`");
    ASSERT_TRUE(connection->Query("DROP TABLE `we``ird`"));
    ASSERT_TRUE(connection->Query(*definition)) << connection->ErrorText();
    ASSERT_TRUE(connection->Query(*definition)) << "IF NOT EXISTS makes a second run harmless";
    EXPECT_EQ(Column0(*connection, "SHOW CREATE TABLE `we``ird`"), before);
    connection->Query("DROP DATABASE kelvanto_e_def");
}

TEST(TableTextServer, RenderedRowsInsertBackTheSameValues)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    auto connection = OpenDatabase(server, "kelvanto_e_rows");
    ASSERT_TRUE(connection);
    ASSERT_TRUE(connection->Query(
        "CREATE TABLE hard (id INT PRIMARY KEY, d DECIMAL(6,2), f DOUBLE, s VARCHAR(40), b BLOB, bt BIT(8), "
        "bn BIT(3) NOT NULL DEFAULT b'101', g GEOMETRY, j JSON, dt DATETIME, ts TIMESTAMP NULL DEFAULT NULL, "
        "e ENUM('a','b'), y YEAR, tm TIME, u BIGINT UNSIGNED)"));
    ASSERT_TRUE(connection->Query("CREATE TABLE copy LIKE hard"));
    ASSERT_TRUE(connection->Query(
        "INSERT INTO hard VALUES "
        "(1, 1.50, 2.5e-7, 'O''Brien \\\\ \"x\"', 0x00010203275C0A0D1A, b'00000000', b'011', "
        "ST_GeomFromText('POINT(1 2)'), '{\"k\": \"it''s\"}', '2007-01-02 03:04:05', '2007-01-02 03:04:05', 'b', "
        "2007, '-12:30:00', 18446744073709551615),"
        "(2, NULL, NULL, '', '', NULL, b'000', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL),"
        "(3, -0.01, -1e300, 'grüße ✓', NULL, b'11111111', b'111', ST_GeomFromText('LINESTRING(0 0,1 1)'), '[]', "
        "'9999-12-31 23:59:59', NULL, 'a', 1901, '00:00:00', 0)"))
        << connection->ErrorText();

    ASSERT_TRUE(connection->Query("SELECT * FROM hard ORDER BY id"));
    auto rows = connection->UseResult();
    ASSERT_TRUE(rows);
    std::vector<std::string> inserts;
    std::string statement;
    RowView row;
    while (rows->FetchRow(row)) {
        statement = "INSERT INTO copy VALUES ";
        std::string error;
        ASSERT_TRUE(RenderRowValues(row, rows->Fields(), *connection, statement, &error)) << error;
        inserts.push_back(statement);
    }
    rows.reset();
    ASSERT_EQ(inserts.size(), 3u);
    for (const auto& insert : inserts)
        ASSERT_TRUE(connection->Query(insert)) << insert << ": " << connection->ErrorText();

    const char* compare = "SELECT COUNT(*) FROM hard h JOIN copy c ON c.id = h.id WHERE "
                          "h.d <=> c.d AND h.f <=> c.f AND h.s <=> c.s AND h.b <=> c.b AND h.bt <=> c.bt "
                          "AND h.bn <=> c.bn AND ST_AsBinary(h.g) <=> ST_AsBinary(c.g) AND h.j <=> c.j "
                          "AND h.dt <=> c.dt AND h.ts <=> c.ts AND h.e <=> c.e AND h.y <=> c.y AND h.tm <=> c.tm "
                          "AND h.u <=> c.u";
    EXPECT_EQ(Column0(*connection, compare), std::vector<std::string> {"3"});
    EXPECT_EQ(Column0(*connection, "SELECT COUNT(*) FROM copy"), std::vector<std::string> {"3"});
    connection->Query("DROP DATABASE kelvanto_e_rows");
}

} // namespace
} // namespace kelvanto
