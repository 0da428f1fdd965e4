#include "engines/backup/DumpWriter.h"
#include "model/Version.h"

#include "engines/io/FileSink.h"
#include "engines/sql/DumpText.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace kelvanto
{
namespace
{

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const TimeStamp kRunTime {2007, 3, 4, 5, 6, 7, 1};

TEST(DumpTextTest, SqlHeaderIsTheCommentBlockWithTheRunTime)
{
    std::string out;
    AppendDumpHeaderText(out, "db.example", "10.6.11-MariaDB", kSqlDumpFile, "\r\n", kRunTime);
    EXPECT_EQ(out,
        "-- Kelvanto Standard Edition " KELVANTO_SHORT_VERSION "\r\n"
        "--\r\n"
        "-- Host: db.example\r\n"
        "--\r\n"
        "-- MySQL Server Version: 10.6.11-MariaDB\r\n"
        "--\r\n"
        "-- 2007-03-04 05:06:07\r\n"
        "--\r\n"
        "-- ------------------------------------------------------\r\n"
        "\r\n");
}

TEST(DumpTextTest, PhpHeaderOpensThePageAndConnectLineEscapesItsTexts)
{
    std::string out;
    AppendDumpHeaderText(out, "h", "5.0.96", kPhpDumpFile, "\n", TimeStamp {12, 11, 10, 9, 8, 7, 1});
    ServerConnection connection;
    connection.host = "h";
    connection.port = 3307;
    connection.user = "o'neil";
    connection.password = "a\\b'c";
    AppendPhpConnectText(out, connection, "\n");
    AppendPhpFooterText(out, "\n");
    EXPECT_EQ(out,
        "<?\n"
        "/**************************************************\n"
        "**\n"
        "** Kelvanto " KELVANTO_SHORT_VERSION " Standard Edition\n"
        "**\n"
        "** Host: h\n"
        "**\n"
        "** MySQL Server Version: 5.0.96\n"
        "**\n"
        "** 12-11-10 09:08:07\n"
        "**\n"
        "**************************************************/\n"
        "?>\n"
        "\n"
        "<?\n"
        "  $conn = mysql_connect('h:3307','o\\'neil','a\\\\b\\'c') or die('Can not connect to server!');\n"
        "  mysql_close($conn);\n"
        "  echo 'Finished';\n"
        "?>\n");
}

TEST(DumpTextTest, StatementLines)
{
    struct Row
    {
        const char* name;
        std::string statement;
        std::uint8_t fileType;
        std::string expected;
    };
    const std::string php1 = "  mysql_query('";
    const std::string php2 = "',$conn) or die('Failed! Error NO. '.mysql_errno($conn).'<br>'.mysql_error($conn));\n";
    const Row rows[] = {
        {"sql gets a semicolon", "DELETE FROM `t`", kSqlDumpFile, "DELETE FROM `t`;\n"},
        {"sql keeps its one semicolon", "SET AUTOCOMMIT=0;", kSqlDumpFile, "SET AUTOCOMMIT=0;\n"},
        {"empty stays empty", "", kSqlDumpFile, "\n"},
        // The SQL escaping put a backslash before the apostrophe; PHP doubles that
        // backslash first and then escapes the apostrophe itself.
        {"php escapes backslash then apostrophe", "INSERT INTO `t` VALUES ('O\\'Brien','a\\\\b')", kPhpDumpFile,
            php1 + "INSERT INTO `t` VALUES (\\'O\\\\\\'Brien\\',\\'a\\\\\\\\b\\');" + php2},
        {"php semicolon stays inside the quotes", "SET AUTOCOMMIT=0;", kPhpDumpFile, php1 + "SET AUTOCOMMIT=0;" + php2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string out;
        AppendStatementText(out, row.statement, row.fileType, "\n");
        EXPECT_EQ(out, row.expected);
    }
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

TEST(DumpTextTest, PrologueSetsInOneOrderAndEpilogueRestoresInAnother)
{
    DumpSessionOptions options;
    options.addSetNames = true;
    options.addUniqueChecks = true;
    options.addForeignKeyChecks = true;
    options.addSqlNotes = true;
    options.serverCharset = "utf8mb4";
    options.sqlModeLines = true;
    options.utcSession = true;
    EXPECT_EQ(Joined(PrologueStatements(options)),
        "SET @OLD_CHARACTER_SET_CLIENT=@@CHARACTER_SET_CLIENT\n"
        "SET @OLD_CHARACTER_SET_RESULTS=@@CHARACTER_SET_RESULTS\n"
        "SET @OLD_CHARACTER_SET_CONNECTION=@@CHARACTER_SET_CONNECTION\n"
        "SET @OLD_COLLATION_CONNECTION=@@COLLATION_CONNECTION\n"
        "SET CHARACTER_SET_CLIENT='utf8mb4'\n"
        "SET CHARACTER_SET_RESULTS='utf8mb4'\n"
        "SET CHARACTER_SET_CONNECTION='utf8mb4'\n"
        "SET NAMES 'utf8mb4'\n"
        "SET @OLD_UNIQUE_CHECKS=@@UNIQUE_CHECKS\n"
        "SET UNIQUE_CHECKS=0\n"
        "SET @OLD_FOREIGN_KEY_CHECKS=@@FOREIGN_KEY_CHECKS\n"
        "SET FOREIGN_KEY_CHECKS=0\n"
        "SET @OLD_SQL_MODE=@@SQL_MODE\n"
        "SET SQL_MODE='NO_AUTO_VALUE_ON_ZERO'\n"
        "SET @OLD_TIME_ZONE=@@TIME_ZONE\n"
        "SET TIME_ZONE='+00:00'\n"
        "SET @OLD_SQL_NOTES=@@SQL_NOTES\n"
        "SET SQL_NOTES=0\n");
    EXPECT_EQ(Joined(EpilogueStatements(options)),
        "SET TIME_ZONE=@OLD_TIME_ZONE\n"
        "SET SQL_MODE=@OLD_SQL_MODE\n"
        "SET FOREIGN_KEY_CHECKS=@OLD_FOREIGN_KEY_CHECKS\n"
        "SET UNIQUE_CHECKS=@OLD_UNIQUE_CHECKS\n"
        "SET SQL_NOTES=@OLD_SQL_NOTES\n"
        "SET CHARACTER_SET_CLIENT=@OLD_CHARACTER_SET_CLIENT\n"
        "SET CHARACTER_SET_RESULTS=@OLD_CHARACTER_SET_RESULTS\n"
        "SET CHARACTER_SET_CONNECTION=@OLD_CHARACTER_SET_CONNECTION\n"
        "SET COLLATION_CONNECTION=@OLD_COLLATION_CONNECTION\n");
}

TEST(DumpTextTest, PrologueAndEpilogueLeaveOutWhatIsSwitchedOff)
{
    DumpSessionOptions options;
    options.addSetNames = true; // no charset negotiated: no character-set lines
    options.addSqlNotes = true;
    EXPECT_EQ(Joined(PrologueStatements(options)), "SET @OLD_SQL_NOTES=@@SQL_NOTES\nSET SQL_NOTES=0\n");
    EXPECT_EQ(Joined(EpilogueStatements(options)), "SET SQL_NOTES=@OLD_SQL_NOTES\n");
    EXPECT_TRUE(PrologueStatements(DumpSessionOptions {}).empty());
    EXPECT_TRUE(EpilogueStatements(DumpSessionOptions {}).empty());
}

class DumpFileTest : public ::testing::Test
{
protected:
    test::TempDir m_dir;
    FileSink m_files;
    std::string path(const char* name) const { return (m_dir.path() / name).string(); }
};

TEST_F(DumpFileTest, CreateReplacesTheOldFileWhenClosedAndAppendAddsAtTheEnd)
{
    const std::string file = path("dump.sql");
    {
        std::ofstream(file) << "old content";
    }
    ASSERT_TRUE(m_files.Create(file));
    // The old file stays whole until the new one is.
    EXPECT_EQ(ReadAll(file), "old content");
    ASSERT_TRUE(m_files.Append(file, "one\n"));
    ASSERT_TRUE(m_files.Append(file, "two\n"));
    ASSERT_TRUE(m_files.Close());
    EXPECT_EQ(ReadAll(file), "one\ntwo\n");
}

TEST_F(DumpFileTest, FailuresLeaveNothingBehind)
{
    EXPECT_FALSE(m_files.Create(""));
    EXPECT_FALSE(m_files.Append("", "text"));
    EXPECT_FALSE(m_files.Create(path("missing/dump.sql")));
    // Appending never creates a file: a file that vanished is a failure, not a new file.
    EXPECT_FALSE(m_files.Append(path("gone.sql"), "text"));
    EXPECT_FALSE(std::filesystem::exists(path("gone.sql")));
}

TEST_F(DumpFileTest, FullDiskIsAFailedAppend)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full on this system";
    EXPECT_FALSE(m_files.Append("/dev/full", "INSERT INTO `t` VALUES (1);\n") && m_files.Flush());
    EXPECT_FALSE(m_files.Close());
    DumpWriter writer(m_files, kSqlDumpFile, "\n");
    EXPECT_FALSE(writer.AppendStatement("/dev/full", "DELETE FROM `t`"));
}

TEST_F(DumpFileTest, FreeFunctionsWriteTheRealFile)
{
    const std::string file = path("dump.php");
    ASSERT_TRUE(CreateDumpFile(file));
    ASSERT_TRUE(AppendStatement(file, "SET SQL_NOTES=0", kPhpDumpFile, "\r\n"));
    ASSERT_TRUE(WritePhpFooter(file, "\r\n"));
    EXPECT_EQ(ReadAll(file),
        "  mysql_query('SET SQL_NOTES=0;',$conn) or die('Failed! Error NO. '.mysql_errno($conn)."
        "'<br>'.mysql_error($conn));\r\n"
        "  mysql_close($conn);\r\n  echo 'Finished';\r\n?>\r\n");
    EXPECT_FALSE(AppendStatement(path("none.sql"), "SELECT 1", kSqlDumpFile, "\n"));
}

} // namespace
} // namespace kelvanto
