#include "engines/sql/TableDefinition.h"

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

FakeResult ShowCreate(const char* first, const std::string& definition)
{
    return FakeResult {{Named(first), Named("Create Table")}, {{std::string("t"), definition}}};
}

FakeResult ColumnType(const char* column, const char* type)
{
    return FakeResult {
        {Named("Field"), Named("Type"), Named("Null")}, {{std::string(column), std::string(type), "YES"}}};
}

FieldInfo Column(
    const char* name, int type, unsigned long length, unsigned flags, std::optional<std::string> def = std::nullopt)
{
    FieldInfo field = Named(name);
    field.type = type;
    field.length = length;
    field.flags = flags;
    field.def = std::move(def);
    return field;
}

TEST(TableDefinition, ServerDefinitionIsFlattenedAndMadeConditional)
{
    FakeConnection connection;
    connection.Answer("SHOW CREATE TABLE `t`",
        ShowCreate("Table", "CREATE TABLE `t` (\n  `id` int(11) NOT NULL,\r\n  PRIMARY KEY (`id`)\n) ENGINE=InnoDB;"));
    auto definition = GetTableDefinition(connection, "t", "InnoDB", {}, true, true);
    ASSERT_TRUE(definition) << definition.error();
    EXPECT_EQ(
        *definition, "CREATE TABLE IF NOT EXISTS `t` (  `id` int(11) NOT NULL,  PRIMARY KEY (`id`)) ENGINE=InnoDB");
}

TEST(TableDefinition, ServerDefinitionEdgeCases)
{
    FakeConnection connection;
    // Views and temporary tables keep their own beginning; the name is always backquoted, with doubling.
    connection.Answer(
        "SHOW CREATE TABLE `v``1`", ShowCreate("View", "CREATE ALGORITHM=UNDEFINED VIEW `v``1` AS select 1"));
    connection.Answer("SHOW CREATE TABLE `tmp`", ShowCreate("Table", "CREATE TEMPORARY TABLE `tmp` (\n  `a` int\n)"));
    connection.Answer("SHOW CREATE TABLE `short`", ShowCreate("Table", "CREATE TABLE"));
    connection.Answer("SHOW CREATE TABLE `empty`", FakeResult {{Named("Table"), Named("Create Table")}, {}});
    connection.Answer("SHOW CREATE TABLE `semis`", ShowCreate("Table", "CREATE TABLE `semis` (a int);;"));
    connection.Fail("SHOW CREATE TABLE `gone`", 1146, "Table 'gone' doesn't exist");

    EXPECT_EQ(*ReadTableDefinition(connection, "v`1"), "CREATE ALGORITHM=UNDEFINED VIEW `v``1` AS select 1");
    EXPECT_EQ(*ReadTableDefinition(connection, "tmp"), "CREATE TEMPORARY TABLE `tmp` (  `a` int)");
    EXPECT_EQ(*ReadTableDefinition(connection, "short"), "CREATE TABLE");
    auto empty = ReadTableDefinition(connection, "empty");
    ASSERT_TRUE(empty);
    EXPECT_EQ(*empty, "");
    EXPECT_EQ(
        *GetTableDefinition(connection, "semis", "", {}, false, true), "CREATE TABLE IF NOT EXISTS `semis` (a int);");
    auto gone = GetTableDefinition(connection, "gone", "", {}, true, true);
    ASSERT_FALSE(gone);
    EXPECT_NE(gone.error().find("doesn't exist"), std::string::npos);
    // A query without a result set is a failure too.
    EXPECT_FALSE(ReadTableDefinition(connection, "unscripted"));
}

TEST(TableDefinition, RebuildsTheDocumentedExampleByteForByte)
{
    FakeConnection connection(32319, "3.23.19");
    connection.Answer("SHOW COLUMNS FROM `t` LIKE 'name'", ColumnType("name", "varchar(20)"));
    const std::vector<FieldInfo> columns = {
        Column("id", FieldType::Long, 11, FieldFlag::NotNull | FieldFlag::PrimaryKey | FieldFlag::AutoIncrement),
        Column("name", FieldType::VarString, 20, 0),
    };
    auto definition = GetTableDefinition(connection, "t", "MyISAM", columns, true, false);
    ASSERT_TRUE(definition) << definition.error();
    EXPECT_EQ(*definition,
        "CREATE TABLE IF NOT EXISTS `t`(`id` INT(11) NOT NULL AUTO_INCREMENT, `name` VARCHAR(20) NULL, "
        "PRIMARY KEY (`id`))TYPE=MyISAM");
    EXPECT_EQ(connection.CountOf("SHOW CREATE TABLE `t`"), 0);
}

TEST(TableDefinition, RebuildCoversTypesAttributesDefaultsAndKeys)
{
    FakeConnection connection(32305, "3.23.5");
    connection.Answer("SHOW COLUMNS FROM t LIKE 'kind'", ColumnType("kind", "  enum('a','B') "));
    connection.Answer("SHOW COLUMNS FROM t LIKE 'tags'", ColumnType("tags", "Set('x','Y')"));
    connection.Answer("SHOW COLUMNS FROM t LIKE 'first\\_name'", ColumnType("first_name", "char(10) binary"));
    connection.Fail("SHOW COLUMNS FROM t LIKE 'broken'", 1054, "no");
    const unsigned notNull = FieldFlag::NotNull;
    const std::vector<FieldInfo> columns = {
        Column(
            "a", FieldType::Tiny, 3, notNull | FieldFlag::Unsigned | FieldFlag::ZeroFill | FieldFlag::PrimaryKey, "0"),
        Column("b", FieldType::Int24, 9, FieldFlag::Unsigned | FieldFlag::PrimaryKey),
        Column("c", FieldType::Decimal, 10, 0, "NULL"),
        Column("d", FieldType::Date, 10, notNull, "2000-01-01"),
        Column("e", FieldType::VarString, 0, 0, "NULL"),
        Column("kind", FieldType::Enum, 1, 0),
        Column("tags", FieldType::Set, 3, 0),
        Column("first_name", FieldType::String, 10, 0, "it's"),
        Column("f", FieldType::Bit, 1, 0),
        Column("g", FieldType::Bit, 8, 0),
        Column("broken", FieldType::Blob, 0, 0),
        Column("odd", 99, 0, 0),
        Column("n", FieldType::Null, 0, 0),
    };
    // "e" has no scripted type text either: an unanswered SHOW COLUMNS leaves the column out.
    auto definition = RebuildTableDefinition(connection, "t", "", columns, false);
    ASSERT_TRUE(definition) << definition.error();
    EXPECT_EQ(*definition,
        "CREATE TABLE IF NOT EXISTS t(a TINYINT(3) UNSIGNED ZEROFILL NOT NULL DEFAULT 0, "
        "b MEDIUMINT(9) UNSIGNED NULL, c DECIMAL NULL DEFAULT NULL, d DATE NOT NULL DEFAULT '2000-01-01', "
        "kind ENUM('a','B') NULL, tags SET('x','Y') NULL, first_name CHAR(10) BINARY NULL DEFAULT 'it\\'s', "
        "f BIT NULL, g BIT(8) NULL, n NULL NULL, PRIMARY KEY (a, b))");
}

TEST(TableDefinition, RebuildWithoutAnyDescribableColumnFails)
{
    FakeConnection connection(32200, "3.22.0");
    EXPECT_FALSE(RebuildTableDefinition(connection, "t", "MyISAM", {}, true));
    EXPECT_FALSE(RebuildTableDefinition(connection, "t", "MyISAM", {Column("odd", 99, 0, 0)}, true));
}

} // namespace
} // namespace kelvanto
