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
        {"comment inside a statement stays", "SELECT 1\n-- note\n;", {"SELECT 1-- note;"}},
        {"conditional comments are dropped", "/*!40101 SET NAMES utf8 */;\nSET a=1;", {"SET a=1;"}},
        {"blank after ';' keeps it open", "SELECT 1; \nSELECT 2;", {"SELECT 1; SELECT 2;"}},
        {"a lone ';' closes", "SELECT 1\n;\nSELECT 2;", {"SELECT 1;", "SELECT 2;"}},
        {"quotes are not recognised", "INSERT INTO t VALUES ('a;\nb');", {"INSERT INTO t VALUES ('a;", "b');"}},
        {"lower case and leading blanks", " \t\v\fselect 1;", {"select 1;"}},
        {"non-letters start nothing", "1 SELECT;\n(SELECT 1);\n'x';\n\xc3\xa9 SELECT;\nDELIMITER ;;", {"DELIMITER ;;"}},
        {"CR alone", "SELECT 1;\rSELECT\r 2;\r", {"SELECT 1;", "SELECT 2;"}},
        {"CRLF", "SELECT 1;\r\nSELECT\r\n 2;\r\n", {"SELECT 1;", "SELECT 2;"}},
        {"LF alone", "SELECT 1;\nSELECT\n 2;\n", {"SELECT 1;", "SELECT 2;"}},
        {"blank lines inside", "SELECT\n\n   \n 1;", {"SELECT    1;"}},
        {"NUL and bytes above 127 inside", std::string("SELECT '\0\xff';", 12), {std::string("SELECT '\0\xff';", 12)}},
    };
    return cases;
}

// Both variants give the same statements for the same bytes, however the file is cut by
// the reading buffer, and whatever they give is split again into itself.
TEST(SqlSplitter, ScriptAndFileGiveTheStatementsOfTheRules)
{
    test::TempDir dir;
    for (const SplitCase& row : Cases()) {
        SCOPED_TRACE(row.name);
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

        std::string again;
        for (const auto& statement : script)
            again += statement + "\n";
        Statements resplit;
        SplitScript(again, resplit);
        EXPECT_EQ(resplit, script);
    }
}

TEST(SqlSplitter, PiecesCutAtEveryOffsetGiveTheWholeTextsStatements)
{
    std::string all;
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
