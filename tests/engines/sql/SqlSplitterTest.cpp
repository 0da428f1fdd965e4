#include "engines/sql/SqlSplitter.h"
#include "engines/io/SqlFileReader.h"

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

// Every item the file reader gives with a buffer of the given size, as "<kind>:<text>";
// "<read error>" or "<too long>" ends the list when reading stopped.
Statements ReadWithBuffer(
    const std::string& path, std::size_t bufferSize, std::size_t limit = SqlSplitter::kLargestLimit)
{
    SqlFileReader reader(bufferSize);
    if (!reader.Open(path))
        return {"<open failed>"};
    reader.SetLimit(limit);
    Statements items;
    SqlFileReader::Item item;
    for (;;) {
        switch (reader.Next(item)) {
        case SqlFileReader::Status::Item:
            items.push_back(std::to_string(static_cast<int>(item.kind)) + ":" + item.text);
            break;
        case SqlFileReader::Status::End:
            return items;
        case SqlFileReader::Status::ReadError:
            items.push_back("<read error>");
            return items;
        case SqlFileReader::Status::TooLong:
            items.push_back("<too long>");
            return items;
        }
    }
}

struct SplitCase
{
    const char* name;
    std::string text;
    Statements expected; // empty with `refused`: the text is refused with that reason
    std::string refused = {};
};

// A script is cut as the stock client cuts it (ClientSqlReaderTest checks the rules against
// it); its commands come back as the statements that do what the client does.
const std::vector<SplitCase>& Cases()
{
    static const std::vector<SplitCase> cases = {
        {"empty", "", {}},
        {"one line holds two", "SELECT 1;SELECT 2;", {"SELECT 1", "SELECT 2"}},
        {"lines joined with LF", "SELECT a\r\nFROM t;", {"SELECT a\nFROM t"}},
        {"the last statement needs no delimiter", "SELECT 1;\n  SELECT 2 \t", {"SELECT 1", "SELECT 2"}},
        {"comments only", "-- one\n# two\n/* three */\n", {}},
        {"executable comments are kept", "/*!40101 SET NAMES utf8 */;\nSET a=1;",
            {"/*!40101 SET NAMES utf8 */", "SET a=1"}},
        {"a DELIMITER block", "DELIMITER ;;\nCREATE PROCEDURE p()\nBEGIN\n  SELECT 1;\nEND;;\nDELIMITER ;\nSELECT 2;\n",
            {"CREATE PROCEDURE p()\nBEGIN\n  SELECT 1;\nEND", "SELECT 2"}},
        {"use and charset become statements", "use `a``b`\n\\C latin1\nSELECT 1;",
            {"USE `a``b`", "SET NAMES latin1", "SELECT 1"}},
        {"quit ends the script", "SELECT 1;\nquit\nSELECT 2;", {"SELECT 1"}},
        {"a shell command is refused", "SELECT 1;\n\\! rm -rf /\n", {},
            "line 2: the client command \\! (system) reaches outside the server (a program, a file or another "
            "connection) "
            "and is not run"},
        {"an unknown command is refused", "SELECT 1 \\k;", {}, "line 1: Unknown command '\\k'."},
        {"a NUL byte is refused", std::string("SELECT '\0';", 11), {},
            "line 1: a NUL byte (ASCII '\\0'), which the stock client accepts only with --binary-mode"},
    };
    return cases;
}

// SplitScript and a file read through buffers of every size give the same statements.
TEST(SqlSplitter, ScriptsAndFilesAreCutAsTheClientCutsThem)
{
    test::TempDir dir;
    for (const SplitCase& row : Cases()) {
        SCOPED_TRACE(row.name);
        const Result<Statements> script = SplitScript(row.text);
        if (!row.refused.empty()) {
            ASSERT_FALSE(script.ok());
            EXPECT_EQ(script.error(), row.refused);
        } else {
            ASSERT_TRUE(script.ok()) << script.error();
            EXPECT_EQ(*script, row.expected);
        }
        const std::string path = WriteFile(dir.path() / "case.sql", row.text);
        Statements file;
        EXPECT_EQ(ReadSqlFile(path, file), row.refused.empty());
        if (row.refused.empty()) {
            EXPECT_EQ(file, row.expected);
        }
        const Statements whole = ReadWithBuffer(path, row.text.size() + 1);
        for (std::size_t size = 1; size <= row.text.size(); ++size) {
            SCOPED_TRACE(size);
            ASSERT_EQ(ReadWithBuffer(path, size), whole);
        }
    }
}

// What the script page shows of a stored task is cut back into the same statements (a
// trailing ';' of an old statement aside, and a USE in the form the client's command gives):
// old statements, and statements that hold the delimiter.
TEST(SqlSplitter, AJoinedScriptIsCutIntoItsStatementsAgain)
{
    const std::vector<std::pair<Statements, Statements>> lists = {
        {{"USE shop;", "DELETE FROM t WHERE x = 1;"}, {"USE `shop`", "DELETE FROM t WHERE x = 1"}},
        {{"SELECT 1", "SELECT 'a;b'", "SELECT '-- x'"}, {"SELECT 1", "SELECT 'a;b'", "SELECT '-- x'"}},
        {{"CREATE PROCEDURE p()\nBEGIN\n  SELECT 1;\n  SELECT '$$';\nEND", "SELECT 3"},
            {"CREATE PROCEDURE p()\nBEGIN\n  SELECT 1;\n  SELECT '$$';\nEND", "SELECT 3"}},
        {{"CREATE TRIGGER t BEFORE INSERT ON x FOR EACH ROW SET NEW.a = 1;", "SELECT 'x\ny'"},
            {"CREATE TRIGGER t BEFORE INSERT ON x FOR EACH ROW SET NEW.a = 1", "SELECT 'x\ny'"}},
    };
    for (const auto& [stored, expected] : lists) {
        const std::string script = JoinScript(stored);
        SCOPED_TRACE(script);
        const Result<Statements> back = SplitScript(script);
        ASSERT_TRUE(back.ok()) << back.error();
        EXPECT_EQ(*back, expected);
    }
}

// A statement longer than the limit stops the reading instead of growing; one of exactly the
// limit is given.
TEST(SqlSplitter, AStatementLongerThanTheLimitIsRefused)
{
    test::TempDir dir;
    const std::string fits = "SELECT '" + std::string(10, 'x') + "'";
    const std::string path
        = WriteFile(dir.path() / "long.sql", fits + ";\nSELECT '" + std::string(11, 'x') + "';\nSELECT 3;\n");
    for (std::size_t size : {std::size_t {1}, std::size_t {7}, std::size_t {1000}})
        EXPECT_EQ(ReadWithBuffer(path, size, fits.size()), (Statements {"0:" + fits, "<too long>"}));
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
    SqlFileReader::Item item;
    ASSERT_EQ(shrinking.Next(item), SqlFileReader::Status::Item);
    EXPECT_EQ(item.text, "SELECT 1");
    std::filesystem::resize_file(path, 12);
    EXPECT_EQ(shrinking.Next(item), SqlFileReader::Status::ReadError);
    EXPECT_EQ(shrinking.Next(item), SqlFileReader::Status::End);

    WriteFile(path, "SELECT 1;\nSELECT 2");
    SqlFileReader growing(4);
    ASSERT_TRUE(growing.Open(path));
    std::ofstream(path, std::ios::binary | std::ios::app) << "00;\nSELECT 3;\n";
    Statements statements;
    while (growing.Next(item) == SqlFileReader::Status::Item)
        statements.push_back(item.text);
    EXPECT_EQ(statements, (Statements {"SELECT 1", "SELECT 2"}));
}

} // namespace
} // namespace kelvanto
