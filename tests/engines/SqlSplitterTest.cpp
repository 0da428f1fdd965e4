#include "engines/SqlSplitter.h"
#include "engines/SqlFileReader.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace kelvanto
{
namespace
{

using Statements = std::vector<std::string>;

std::string WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

// Every statement the reader gives with a buffer of the given size; "<read error>" ends the
// list when reading failed.
Statements ReadWithBuffer(const std::string& path, std::size_t bufferSize)
{
    SqlFileReader reader(bufferSize);
    Statements statements;
    if (!reader.Open(path))
        return {"<open failed>"};
    std::string statement;
    for (;;) {
        const SqlFileReader::Status status = reader.Next(statement);
        if (status == SqlFileReader::Status::End)
            return statements;
        if (status == SqlFileReader::Status::ReadError) {
            statements.push_back("<read error>");
            return statements;
        }
        statements.push_back(statement);
    }
}

struct SplitCase
{
    const char* name;
    std::string text;
    Statements expected;
};

const std::vector<SplitCase>& Cases()
{
    static const std::vector<SplitCase> cases = {
        {"empty", "", {}},
        {"two lines", "SELECT 1;\nSELECT 2;\n", {"SELECT 1;", "SELECT 2;"}},
        {"one line holds both", "SELECT 1;SELECT 2;", {"SELECT 1;SELECT 2;"}},
        {"joined with nothing between", "SELECT a\nFROM t;", {"SELECT aFROM t;"}},
        {"continuation keeps its blanks", "CREATE TABLE t (\n  id INT\n);", {"CREATE TABLE t (  id INT);"}},
        {"a ';' is added at the end", "SELECT 1;\n  SELECT 2 \t", {"SELECT 1;", "SELECT 2;"}},
        {"comments only", "-- one\n# two\n/* three */\n", {}},
        {"a comment without line end", "SELECT 1;\n-- last", {"SELECT 1;"}},
        {"comment before a statement is dropped", "-- note\nSELECT 1;", {"SELECT 1;"}},
        {"comment inside a statement is left out", "SELECT 1\n-- note\n;", {"SELECT 1;"}},
        {"conditional comments are dropped", "/*!40101 SET NAMES utf8 */;\nSET a=1;", {"SET a=1;"}},
        {"blank after ';' keeps it open", "SELECT 1; \nSELECT 2;", {"SELECT 1; SELECT 2;"}},
        {"a lone ';' closes", "SELECT 1\n;\nSELECT 2;", {"SELECT 1;", "SELECT 2;"}},
        {"a line end in quotes ends nothing", "INSERT INTO t VALUES ('a;\nb');", {"INSERT INTO t VALUES ('a;\nb');"}},
        {"lower case and leading blanks", " \t\v\fselect 1;", {"select 1;"}},
        {"non-letters start nothing", "1 SELECT;\n(SELECT 1);\n'x';\n\xc3\xa9 SELECT;\nDELIMITER ;;", {}},
        {"CR alone", "SELECT 1;\rSELECT\r 2;\r", {"SELECT 1;", "SELECT 2;"}},
        {"CRLF", "SELECT 1;\r\nSELECT\r\n 2;\r\n", {"SELECT 1;", "SELECT 2;"}},
        {"LF alone", "SELECT 1;\nSELECT\n 2;\n", {"SELECT 1;", "SELECT 2;"}},
        {"blank lines inside", "SELECT\n\n   \n 1;", {"SELECT    1;"}},
        {"NUL and bytes above 127 inside", std::string("SELECT '\0\xff';", 12), {std::string("SELECT '\0\xff';", 12)}},
    };
    return cases;
}

// Both variants give the expected statements for the same bytes, however the file is cut
// by the reading buffer.
void ExpectSplit(const test::TempDir& dir, const SplitCase& row)
{
    Statements script;
    SplitScript(row.text, script);
    EXPECT_EQ(script, row.expected);

    const std::string path = WriteFile(dir.path() / "case.sql", row.text);
    Statements file;
    EXPECT_TRUE(ReadSqlFile(path, file));
    EXPECT_EQ(file, row.expected);
    for (std::size_t size = 1; size <= row.text.size() + 1; ++size) {
        SCOPED_TRACE(size);
        ASSERT_EQ(ReadWithBuffer(path, size), row.expected);
    }
}

// Whatever the plain rules give is split again into itself.
TEST(SqlSplitter, ScriptAndFileGiveTheStatementsOfTheRules)
{
    test::TempDir dir;
    for (const SplitCase& row : Cases()) {
        SCOPED_TRACE(row.name);
        ExpectSplit(dir, row);
        std::string again;
        for (const auto& statement : row.expected)
            again += statement + "\n";
        Statements resplit;
        SplitScript(again, resplit);
        EXPECT_EQ(resplit, row.expected);
    }
}

const std::vector<SplitCase>& QuoteCases()
{
    static const std::vector<SplitCase> cases = {
        {"backslashed apostrophe", "INSERT INTO t VALUES ('it\\'s;\n', 'x');\nSELECT 2;",
            {"INSERT INTO t VALUES ('it\\'s;\n', 'x');", "SELECT 2;"}},
        {"doubled apostrophe", "INSERT INTO t VALUES ('it''s\n;');\nSELECT 2;",
            {"INSERT INTO t VALUES ('it''s\n;');", "SELECT 2;"}},
        {"an escaped backslash ends nothing", "SELECT 'a\\\\';\nSELECT 2;", {"SELECT 'a\\\\';", "SELECT 2;"}},
        {"double quotes", "SELECT \"a\\\"b;\n\"\"\";\nSELECT 2;", {"SELECT \"a\\\"b;\n\"\"\";", "SELECT 2;"}},
        {"backquotes: doubled, a backslash escapes nothing", "CREATE TABLE `t``;\n\\`(a INT);\nSELECT 2;",
            {"CREATE TABLE `t``;\n\\`(a INT);", "SELECT 2;"}},
        {"names and values keep CR and LF", "INSERT INTO `a\r\nb;` VALUES ('x\ry;\n');\r\n",
            {"INSERT INTO `a\r\nb;` VALUES ('x\ry;\n');"}},
        {"a quote in a -- comment opens nothing", "SELECT 1 -- it's\n;\nSELECT 2;", {"SELECT 1 ;", "SELECT 2;"}},
        {"a # comment after the ';' ends the line", "SELECT 1; # don't\nSELECT 2;", {"SELECT 1;", "SELECT 2;"}},
        {"-- at the line end", "SELECT 1 --\n;", {"SELECT 1 ;"}},
        {"negative numbers beside quotes", "SELECT -1,-'2',1--1,'-'--'\n';\nSELECT 2;",
            {"SELECT -1,-'2',1--1,'-'--'\n';", "SELECT 2;"}},
        {"dashes without a blank are no comment", "SELECT 1---1;\nSELECT 2;", {"SELECT 1---1;", "SELECT 2;"}},
        {"block comment across lines", "SELECT /* it's;\n*/ 1;\nSELECT 2;", {"SELECT /* it's;*/ 1;", "SELECT 2;"}},
        {"a comment that starts a line is dropped whole", "/* head;\nDROP DATABASE x;\n*/\nSELECT 1;", {"SELECT 1;"}},
        {"comment markers in quotes", "SELECT '-- x', \"# y\", `/* z`;\nSELECT 2;",
            {"SELECT '-- x', \"# y\", `/* z`;", "SELECT 2;"}},
        {"a DELIMITER block keeps its line ends",
            "DELIMITER ;;\nCREATE PROCEDURE p()\nBEGIN\n  SELECT 1;\n  SELECT 'a;;\nb';\nEND;;\nDELIMITER ;\nSELECT "
            "2;\n",
            {"CREATE PROCEDURE p()\nBEGIN\n  SELECT 1;\n  SELECT 'a;;\nb';\nEND", "SELECT 2;"}},
        {"the terminator ends a statement only at a line end",
            "delimiter $$\nSELECT '$$' $$ SELECT 1 $$\nSELECT 2\n$$\nDELIMITER ;\nSELECT 3;",
            {"SELECT '$$' $$ SELECT 1", "SELECT 2", "SELECT 3;"}},
        {"CRLF in a DELIMITER block", "DELIMITER //\r\nSELECT 1\r\n//\r\nSELECT\r\n2\r\n", {"SELECT 1", "SELECT\r\n2"}},
        {"words that begin like DELIMITER", "DELETE FROM t;\nDELIMITERS;\nDELIMITER\nSELECT 1;",
            {"DELETE FROM t;", "DELIMITERS;", "SELECT 1;"}},
    };
    return cases;
}

TEST(SqlSplitter, QuotesCommentsAndDelimiterLinesAreFollowed)
{
    test::TempDir dir;
    for (const SplitCase& row : QuoteCases()) {
        SCOPED_TRACE(row.name);
        ExpectSplit(dir, row);
    }
}

// A statement longer than the limit stops the splitter instead of growing; one of exactly
// the limit is given.
TEST(SqlSplitter, AStatementLongerThanTheLimitIsRefused)
{
    test::TempDir dir;
    const std::string fits = "SELECT '" + std::string(10, 'x') + "';";
    for (const std::string& tooLong :
        {"SELECT '" + std::string(11, 'x') + "';", "SELECT\n" + std::string(14, 'x') + ";"}) {
        SCOPED_TRACE(tooLong);
        const std::string path = WriteFile(dir.path() / "long.sql", fits + "\n" + tooLong + "\nSELECT 3;\n");
        for (std::size_t size : {std::size_t {1}, std::size_t {7}, std::size_t {1000}}) {
            SqlFileReader reader(size);
            ASSERT_TRUE(reader.Open(path));
            reader.SetLimit(fits.size());
            std::string statement;
            ASSERT_EQ(reader.Next(statement), SqlFileReader::Status::Statement);
            EXPECT_EQ(statement, fits);
            EXPECT_EQ(reader.Next(statement), SqlFileReader::Status::TooLong);
            EXPECT_EQ(reader.Next(statement), SqlFileReader::Status::End);
        }
    }
    SqlSplitter splitter;
    splitter.SetLimit(std::size_t {1} << 40);
    EXPECT_EQ(splitter.Limit(), SqlSplitter::kLargestLimit);
}

TEST(SqlSplitter, PiecesCutAtEveryOffsetGiveTheWholeTextsStatements)
{
    std::string all;
    for (const SplitCase& row : QuoteCases())
        all += row.text + "\r\n";
    for (const SplitCase& row : Cases())
        all += row.text + "\r\n";
    Statements whole;
    SplitScript(all, whole);
    ASSERT_GT(whole.size(), 20u);
    for (std::size_t cut = 0; cut <= all.size(); ++cut) {
        SCOPED_TRACE(cut);
        SqlSplitter splitter;
        Statements pieces;
        std::string statement;
        for (std::string_view piece : {std::string_view(all).substr(0, cut), std::string_view(all).substr(cut)}) {
            splitter.Feed(piece);
            while (splitter.Next(statement))
                pieces.push_back(statement);
        }
        if (splitter.Finish(statement))
            pieces.push_back(statement);
        ASSERT_EQ(pieces, whole);
    }
}

TEST(SqlSplitter, FilesThatCannotBeReadAreRefused)
{
    test::TempDir dir;
    Statements statements;
    EXPECT_FALSE(ReadSqlFile("", statements));
    EXPECT_FALSE(ReadSqlFile((dir.path() / "missing.sql").string(), statements));
    EXPECT_FALSE(ReadSqlFile(dir.path().string(), statements));
    const auto fifo = dir.path() / "pipe.sql";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(ReadSqlFile(fifo.string(), statements)); // refused, not waited on
    EXPECT_TRUE(ReadSqlFile(WriteFile(dir.path() / "comments.sql", "-- nothing\n"), statements));
    EXPECT_TRUE(statements.empty());
}

// The length taken at the open is what is read: a file cut shorter while it is read is a
// read error, not a shorter file; bytes added later are not read.
TEST(SqlSplitter, TheLengthAtTheOpenIsWhatIsRead)
{
    test::TempDir dir;
    const std::string path = WriteFile(dir.path() / "dump.sql", "SELECT 1;\nSELECT 2;\nSELECT 3;\n");

    SqlFileReader shrinking(8);
    ASSERT_TRUE(shrinking.Open(path));
    std::string statement;
    ASSERT_EQ(shrinking.Next(statement), SqlFileReader::Status::Statement);
    EXPECT_EQ(statement, "SELECT 1;");
    std::filesystem::resize_file(path, 12);
    EXPECT_EQ(shrinking.Next(statement), SqlFileReader::Status::ReadError);
    EXPECT_EQ(shrinking.Next(statement), SqlFileReader::Status::End);

    WriteFile(path, "SELECT 1;\nSELECT 2");
    SqlFileReader growing(4);
    ASSERT_TRUE(growing.Open(path));
    std::ofstream(path, std::ios::binary | std::ios::app) << "00;\nSELECT 3;\n";
    Statements statements;
    while (growing.Next(statement) == SqlFileReader::Status::Statement)
        statements.push_back(statement);
    EXPECT_EQ(statements, (Statements {"SELECT 1;", "SELECT 2;"}));
}

} // namespace
} // namespace kelvanto
