#include "engines/sql/CreateDatabase.h"

#include "tests/support/FakeConnection.h"

#include <gtest/gtest.h>

namespace kelvanto
{
namespace
{

struct BlockCase
{
    const char* label;
    unsigned long version;
    bool quoting;
    const char* charset;
    std::string expected;
};

TEST(CreateDatabase, SqlBlockFollowsTheVersionSwitches)
{
    const BlockCase cases[] = {
        {"3.23.10 without quoting", 32310, false, "", "CREATE DATABASE shop;\r\nUSE shop;\r\n\r\n"},
        {"3.23.11 quoted", 32311, true, "", "CREATE DATABASE `shop`;\r\nUSE `shop`;\r\n\r\n"},
        {"3.23.12 if not exists", 32312, true, "", "CREATE DATABASE IF NOT EXISTS `shop`;\r\nUSE `shop`;\r\n\r\n"},
        {"3.23.12 unquoted", 32312, false, "", "CREATE DATABASE IF NOT EXISTS shop;\r\nUSE shop;\r\n\r\n"},
        {"4.0.18 ignores charset", 40018, true, "latin1",
            "CREATE DATABASE IF NOT EXISTS `shop`;\r\nUSE `shop`;\r\n\r\n"},
        {"4.1.0 no charset clause", 40100, true, "latin1",
            "CREATE DATABASE IF NOT EXISTS `shop`;\r\nUSE `shop`;\r\n\r\n"},
        {"4.1.1 charset clause", 40101, true, "latin1",
            "CREATE DATABASE IF NOT EXISTS `shop` DEFAULT CHARACTER SET latin1;\r\nUSE `shop`;\r\n\r\n"},
        {"4.1.1 empty charset", 40101, true, "", "CREATE DATABASE IF NOT EXISTS `shop`;\r\nUSE `shop`;\r\n\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(
            BuildCreateDatabaseBlock("shop", 1, c.quoting, ServerFeatures::ForVersion(c.version), c.charset, "\r\n"),
            c.expected);
    }
}

TEST(CreateDatabase, NamesWithBackquotesAndUnixLineEnds)
{
    EXPECT_EQ(BuildCreateDatabaseBlock("a`b", 1, true, ServerFeatures::ForVersion(100611), "utf8mb4", "\n"),
        "CREATE DATABASE IF NOT EXISTS `a``b` DEFAULT CHARACTER SET utf8mb4;\nUSE `a``b`;\n\n");
}

TEST(CreateDatabase, PhpBlockEscapesNameAndStatement)
{
    const auto features = ServerFeatures::ForVersion(100611);
    EXPECT_EQ(BuildCreateDatabaseBlock("shop", 2, true, features, "utf8mb4", "\r\n"),
        "  mysql_query('CREATE DATABASE IF NOT EXISTS `shop` DEFAULT CHARACTER SET utf8mb4;',$conn) or die('Failed to "
        "create database shop!');\r\n  mysql_select_db('shop',$conn) or die('Failed to select database shop!');\r\n");
    EXPECT_EQ(BuildCreateDatabaseBlock("o'k\\", 2, true, features, "", "\n"),
        "  mysql_query('CREATE DATABASE IF NOT EXISTS `o\\'k\\\\`;',$conn) or die('Failed to create database "
        "o\\'k\\\\!');\n  mysql_select_db('o\\'k\\\\',$conn) or die('Failed to select database o\\'k\\\\!');\n");
}

// A database whose collation is not its character set's default keeps it; any other
// database, or a server that cannot tell, gets the block as before.
TEST(CreateDatabase, CollationFollowsTheCharsetOnlyWhenNotItsDefault)
{
    struct Row
    {
        const char* name;
        unsigned long version;
        std::optional<std::string> collation; // @@COLLATION_DATABASE
        std::optional<std::string> charsetDefault; // SHOW CHARACTER SET's default collation
        std::string expected;
    };
    const std::string plain = "CREATE DATABASE IF NOT EXISTS `shop` DEFAULT CHARACTER SET utf8mb4;\n";
    const Row rows[] = {
        {"case-sensitive database", 100611, "utf8mb4_bin", "utf8mb4_general_ci",
            "CREATE DATABASE IF NOT EXISTS `shop` DEFAULT CHARACTER SET utf8mb4 COLLATE utf8mb4_bin;\n"},
        {"default collation", 100611, "utf8mb4_general_ci", "utf8mb4_general_ci", plain},
        {"no collation answer", 100611, std::nullopt, "utf8mb4_general_ci", plain},
        {"no character set answer", 100611, "utf8mb4_bin", std::nullopt, plain},
        {"4.1.0 asks nothing", 40100, "utf8mb4_bin", "utf8mb4_general_ci", "CREATE DATABASE IF NOT EXISTS `shop`;\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::FakeConnection connection(row.version, "x");
        if (row.collation) {
            connection.Answer("SELECT @@COLLATION_DATABASE",
                test::FakeResult {{FieldInfo {"@@c", {}, 0, 0, FieldType::VarString}}, {{*row.collation}}});
        }
        if (row.charsetDefault) {
            std::vector<FieldInfo> fields;
            for (const char* name : {"Charset", "Description", "Default collation", "Maxlen"})
                fields.push_back(FieldInfo {name, {}, 0, 0, FieldType::VarString});
            connection.Answer("SHOW CHARACTER SET LIKE 'utf8mb4'",
                test::FakeResult {fields, {{"utf8mb4", "UTF-8 Unicode", *row.charsetDefault, "4"}}});
        }
        const std::string collation = NonDefaultDatabaseCollation(connection, "utf8mb4");
        const std::string block = BuildCreateDatabaseBlock(
            "shop", 1, true, ServerFeatures::ForVersion(row.version), "utf8mb4", "\n", collation);
        EXPECT_EQ(block.substr(0, block.find('\n') + 1), row.expected);
    }
    EXPECT_EQ(BuildCreateDatabaseBlock("shop", 1, true, ServerFeatures::ForVersion(100611), "", "\n", "utf8mb4_bin"),
        "CREATE DATABASE IF NOT EXISTS `shop`;\nUSE `shop`;\n\n");
}

} // namespace
} // namespace kelvanto
