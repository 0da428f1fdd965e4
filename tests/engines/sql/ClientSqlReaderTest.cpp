#include "engines/sql/ClientSqlReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvanto
{
namespace
{

using namespace std::string_literals;
using Items = std::vector<std::string>;

// An item as "<kind> <line>:<text>": S statement, U database to select, C character set,
// W warning, E refusal.
std::string Shown(const ClientSqlReader::Item& item)
{
    static constexpr const char* kKinds[] = {"S", "U", "C", "W", "E"};
    return std::string(kKinds[static_cast<int>(item.kind)]) + " " + std::to_string(item.line) + ":" + item.text;
}

// A session for the reader without a server: its sql_mode follows the SET sql_mode
// statements that run, and its status bits follow the sql_mode.
unsigned StatusAfter(const std::string& statement, unsigned status)
{
    if (statement.rfind("SET sql_mode=", 0) != 0)
        return status;
    unsigned bits = 0;
    if (statement.find("NO_BACKSLASH_ESCAPES") != std::string::npos)
        bits |= ClientSqlReader::kNoBackslashEscapes;
    if (statement.find("ANSI_QUOTES") != std::string::npos)
        bits |= ClientSqlReader::kAnsiQuotes;
    return bits;
}

// Every item of `text`, fed in pieces of `piece` bytes.
Items Read(const std::string& text, std::size_t piece, std::size_t limit = ClientSqlReader::kLargestLimit)
{
    ClientSqlReader reader;
    reader.SetLimit(limit);
    Items items;
    unsigned status = 0;
    std::size_t fed = 0;
    ClientSqlReader::Item item;
    for (;;) {
        switch (reader.Next(item)) {
        case ClientSqlReader::Step::Item:
            if (item.kind == ClientSqlReader::Item::Kind::Statement) {
                status = StatusAfter(item.text, status);
                reader.SetServerStatus(status);
            }
            items.push_back(Shown(item));
            break;
        case ClientSqlReader::Step::NeedInput:
            if (fed >= text.size()) {
                reader.Finish();
            } else {
                reader.Feed(std::string_view(text).substr(fed, piece));
                fed += piece;
            }
            break;
        case ClientSqlReader::Step::End:
            if (reader.TooLong())
                items.push_back("too long");
            return items;
        }
    }
}

struct ReadCase
{
    const char* name;
    std::string text;
    Items expected;
};

// Each row's items are what the stock mariadb 10.11 client did with the text (the queries it
// sent, the databases it selected, whether it refused the text), taken from the client itself
// on a test server; only the commands that reach outside the server are refused here where
// the client would run them.
const std::vector<ReadCase>& Cases()
{
    static const std::vector<ReadCase> cases = {
        {"reproducer: a /* in quotes opens nothing", "(SELECT '/*');\nINSERT INTO t VALUES (1,'lost');\n",
            {"S 1:"
             "(SELECT '/*')",
                "S 2:"
                "INSERT INTO t VALUES (1,'lost')"}},
        {"reproducer: a statement right after a comment",
            "/**/INSERT INTO t VALUES (1,'lost');\n/* a\nb */ INSERT INTO t VALUES (2,'x');\n",
            {"S 1:"
             " INSERT INTO t VALUES (1,'lost')",
                "S 3:"
                " INSERT INTO t VALUES (2,'x')"}},
        {"reproducer: a literal across lines", "INSERT INTO t VALUES (1,'abc'\n'def');\n",
            {"S 1:"
             "INSERT INTO t VALUES (1,'abc'\n'def')"}},
        {"reproducer: numbers across lines", "INSERT INTO t VALUES (12\n34,'a');\nINSERT INTO t VALUES (5--\n1,'a');\n",
            {"S 1:"
             "INSERT INTO t VALUES (12\n34,'a')",
                "S 3:"
                "INSERT INTO t VALUES (5\n1,'a')"}},
        {"reproducer: executable comments go to the server",
            "/*!40101 SET @a=1 */;\n/*M!100100 SET @b=2 */;\n/*!40103 SET TIME_ZONE='+00:00' */;\n",
            {"S 1:"
             "/*!40101 SET @a=1 */",
                "S 2:"
                "/*M!100100 SET @b=2 */",
                "S 3:"
                "/*!40103 SET TIME_ZONE='+00:00' */"}},
        {"reproducer: the sandbox line of a dump",
            "/*M!999999\\- enable the sandbox mode */\n/*!40101 SET NAMES utf8mb4 */;\nSELECT 1;\n",
            {"S 1:"
             "/*M!999999 enable the sandbox mode */\n/*!40101 SET NAMES utf8mb4 */",
                "S 3:"
                "SELECT 1"}},
        {"reproducer: a UTF-8 BOM", "\xef\xbb\xbfINSERT INTO sp.t VALUES (1,'bom');\n\xef\xbb\xbfSELECT 2;\n",
            {"S 1:"
             "INSERT INTO sp.t VALUES (1,'bom')",
                "S 2:"
                "\xef\xbb\xbfSELECT 2"}},
        {"reproducer: two statements on one line", "SELECT 1;SELECT 2; SELECT 3;\n",
            {"S 1:"
             "SELECT 1",
                "S 1:"
                "SELECT 2",
                "S 1:"
                "SELECT 3"}},
        {"reproducer: a blank or a comment after the delimiter",
            "SELECT 1; \nSELECT 2; /* c */\nSELECT 3; -- d\nSELECT 4;# e\n",
            {"S 1:"
             "SELECT 1",
                "S 2:"
                "SELECT 2",
                "S 3:"
                "SELECT 3",
                "S 4:"
                "SELECT 4"}},
        {"reproducer: a custom delimiter mid-line",
            "DELIMITER //\nSELECT 1// SELECT 2 //\nSELECT 3;\n//\nDELIMITER ;\n",
            {"S 2:"
             "SELECT 1",
                "S 2:"
                "SELECT 2",
                "S 3:"
                "SELECT 3;"}},
        {"reproducer: CRLF in a quoted value", "INSERT INTO t VALUES (1,'a\r\nb');\r\nSELECT 'c\rd';\r\n",
            {"S 1:"
             "INSERT INTO t VALUES (1,'a\nb')",
                "S 3:"
                "SELECT 'c\rd'"}},
        {"blanks before a statement, LF between its lines", "  \t SELECT\n  1\n\n  ;\n",
            {"S 1:"
             "SELECT\n  1"}},
        {"trailing control bytes are not sent", "SELECT 1\x01\x7f ;\n",
            {"S 1:"
             "SELECT 1"}},
        {"empty statements are not sent", ";\n ; ;\n\n", {}},
        {"quotes: escapes, doubled quotes, backquotes",
            "SELECT 'it\\'s;', \"a\\\";\", 'x''y;', `c``;`;\nSELECT '\\\\';\nSELECT `a\\`;\n",
            {"S 1:"
             "SELECT 'it\\'s;', \"a\\\";\", 'x''y;', `c``;`",
                "S 2:"
                "SELECT '\\\\'",
                "S 3:"
                "SELECT `a\\`"}},
        {"comments: three kinds and where they start",
            "SELECT 5--1;\nSELECT 6 -- c\n;\nSELECT 7 --\n;\n--x\n#y\nSELECT 8 /* c */+1;\nSELECT/**/9;\n",
            {"S 1:"
             "SELECT 5--1",
                "S 2:"
                "SELECT 6",
                "S 4:"
                "SELECT 7",
                "S 8:"
                "SELECT 8  +1",
                "S 9:"
                "SELECT 9"}},
        {"a comment in a version comment, a delimiter in one",
            "SELECT 1 /*!40101 , 2 -- x */;\n, 3;\n/*!40101 SELECT 4; */ SELECT 5;\n",
            {"S 1:"
             "SELECT 1 /*!40101 , 2 \n, 3",
                "S 3:"
                "/*!40101 SELECT 4",
                "S 3:"
                "*/ SELECT 5"}},
        {"optimizer hint syntax is a plain comment here", "SELECT /*+ no; */ 1;\n",
            {"S 1:"
             "SELECT  1"}},
        {"multi-line comment swallows quotes and delimiters", "SELECT 1 /* ' ;\n ; \" */ , 2;\n",
            {"S 1:"
             "SELECT 1  , 2"}},
        {"DELIMITER as a line, as a statement, and the odd mid-line case",
            "delimiter $$\nSELECT 1$$\nDELIMITER ;$$\nSELECT 2;DELIMITER //\nSELECT 3//\nSELECT 4;\n",
            {"S 2:"
             "SELECT 1",
                "S 4:"
                "SELECT 2;DELIMITER //\nSELECT 3//\nSELECT 4;"}},
        {"DELIMITER without an argument or with a backslash", "DELIMITER\nDELIMITER a\\\\b\nSELECT 1;\n",
            {"W 1:"
             "DELIMITER must be followed by a 'delimiter' character or string",
                "W 2:"
                "DELIMITER cannot contain a backslash character",
                "S 3:"
                "SELECT 1"}},
        {"backslash commands: go, ego, clear, NULL", "SELECT 1 \\g SELECT 2 \\G SELECT 3 \\c SELECT \\N;\n",
            {"S 1:"
             "SELECT 1",
                "S 1:"
                "SELECT 2",
                "S 1:"
                "SELECT \\N"}},
        {"use and charset as lines, statements and backslash commands",
            "use shop\nUSE `a``b`;\n\\u other\ncharset latin1\n\\C utf8\nSELECT 1;\n",
            {"U 1:"
             "shop",
                "U 2:"
                "a`b",
                "U 3:"
                "other",
                "C 4:"
                "latin1",
                "C 5:"
                "utf8mb3",
                "S 6:"
                "SELECT 1"}},
        {"use without a name goes on", "use\nSELECT 1;\n",
            {"W 1:"
             "USE must be followed by a database name",
                "S 2:"
                "SELECT 1"}},
        {"quit ends the text and sends what was open", "SELECT 1;\nSELECT 2 \\q SELECT 3;\nSELECT 4;\n",
            {"S 1:"
             "SELECT 1",
                "S 2:"
                "SELECT 2"}},
        {"quit as a line of its own", "SELECT 1;\n  quit\nSELECT 2;\n",
            {"S 1:"
             "SELECT 1"}},
        {"commands that change nothing on the server",
            "print\nstatus\nrehash\nwarnings\nnowarning\nnotee\nnopager\nprompt x> "
            "\n\\-\n\\p\\s\\#\\W\\w\\t\\n\nSELECT 1;\n",
            {"S 11:"
             "SELECT 1"}},
        {"help asks the server", "help contents\n\\h select;\nSELECT 1;\n",
            {"S 1:"
             "help 'contents'",
                "S 2:"
                "help 'select;'",
                "S 3:"
                "SELECT 1"}},
        {"the open statement is sent at the end", "SELECT 1;\nSELECT 2",
            {"S 1:"
             "SELECT 1",
                "S 2:"
                "SELECT 2"}},
        {"a backslash at a line end", "SELECT 'a\\\nb';\n",
            {"S 1:"
             "SELECT 'a\nb'"}},
        {"sjis takes a backslash after a lead byte as part of a character", "\\C sjis\nSELECT '\x81\\';\n",
            {"C 1:"
             "sjis",
                "S 2:"
                "SELECT '\x81\\'"}},
        {"refused: system", "SELECT 1;\n\\! ls\nSELECT 2;\n",
            {"S 1:"
             "SELECT 1",
                "E 2:"
                "the client command \\! (system) reaches outside the server (a program, a file or another connection) "
                "and is not run"}},
        {"refused: source as a line", "source /etc/passwd\n",
            {"E 1:"
             "the client command \\. (source) reaches outside the server (a program, a file or another connection) and "
             "is not run"}},
        {"refused: source as a statement", "SELECT 1; source x;\n",
            {"S 1:"
             "SELECT 1",
                "E 1:"
                "the client command \\. (source) reaches outside the server (a program, a file or another connection) "
                "and is not run"}},
        {"refused: tee", "\\T /tmp/out\n",
            {"E 1:"
             "the client command \\T (tee) reaches outside the server (a program, a file or another connection) and is "
             "not run"}},
        {"refused: pager", "pager less\n",
            {"E 1:"
             "the client command \\P (pager) reaches outside the server (a program, a file or another connection) and "
             "is not run"}},
        {"refused: connect", "\\r db host\n",
            {"E 1:"
             "the client command \\r (connect) reaches outside the server (a program, a file or another connection) "
             "and is not run"}},
        {"refused: edit", "SELECT 1 \\e\n",
            {"E 1:"
             "the client command \\e (edit) reaches outside the server (a program, a file or another connection) and "
             "is not run"}},
        {"refused: an unknown backslash command", "SELECT 1;\nSELECT 2 \\k;\n",
            {"S 1:"
             "SELECT 1",
                "E 2:"
                "Unknown command '\\k'."}},
        {"refused: a NUL byte",
            "SELECT 1;\nSELECT 'a\x00"
            "b';\n"s,
            {"S 1:"
             "SELECT 1",
                "E 2:"
                "a NUL byte (ASCII '\\0'), which the stock client accepts only with --binary-mode"}},
        {"refused: a wide character set", "\\C ucs2\nSELECT 1;\n",
            {"E 1:"
             "Character sets with mbminlen>1 are not supported: ucs2"}},
        {"reproducer: NO_BACKSLASH_ESCAPES read from the session",
            "SET sql_mode='NO_BACKSLASH_ESCAPES';SELECT 'a\\';\nSET sql_mode='';\nSELECT 'b\\'';\n",
            {"S 1:"
             "SET sql_mode='NO_BACKSLASH_ESCAPES'",
                "S 1:"
                "SELECT 'a\\'",
                "S 2:"
                "SET sql_mode=''",
                "S 3:"
                "SELECT 'b\\''"}},
        {"ANSI_QUOTES: no escape in double quotes",
            "SET sql_mode='ANSI_QUOTES';\nSELECT \"a\\\" AS `x`, 'b\\'c';\nSET sql_mode='';\n",
            {"S 1:"
             "SET sql_mode='ANSI_QUOTES'",
                "S 2:"
                "SELECT \"a\\\" AS `x`, 'b\\'c'",
                "S 3:"
                "SET sql_mode=''"}},
    };
    return cases;
}

TEST(ClientSqlReader, ReadsAsTheStockClientDoesInPiecesOfAnySize)
{
    for (const ReadCase& row : Cases()) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Read(row.text, row.text.size() + 1), row.expected);
        for (std::size_t piece : {std::size_t {1}, std::size_t {2}, std::size_t {7}}) {
            SCOPED_TRACE(piece);
            EXPECT_EQ(Read(row.text, piece), row.expected);
        }
    }
}

// The text of all rows at once, cut at every offset into two pieces, gives what it gives whole:
// no rule depends on where a piece ends.
TEST(ClientSqlReader, ACutAtAnyOffsetChangesNothing)
{
    std::string all;
    for (const ReadCase& row : Cases()) {
        if (row.text.find('\0') == std::string::npos && row.text.find("\\C") == std::string::npos)
            all += row.text + "\n";
    }
    const Items whole = Read(all, all.size());
    ASSERT_GT(whole.size(), 40u);
    for (std::size_t cut = 1; cut < all.size(); ++cut) {
        SCOPED_TRACE(cut);
        ClientSqlReader reader;
        Items items;
        ClientSqlReader::Item item;
        std::size_t fed = 0;
        unsigned status = 0;
        for (ClientSqlReader::Step step; (step = reader.Next(item)) != ClientSqlReader::Step::End;) {
            if (step == ClientSqlReader::Step::Item) {
                if (item.kind == ClientSqlReader::Item::Kind::Statement)
                    reader.SetServerStatus(status = StatusAfter(item.text, status));
                items.push_back(Shown(item));
            } else if (fed == 0) {
                reader.Feed(std::string_view(all).substr(0, cut));
                fed = cut;
            } else if (fed == cut) {
                reader.Feed(std::string_view(all).substr(cut));
                fed = all.size();
            } else {
                reader.Finish();
            }
        }
        ASSERT_EQ(items, whole);
    }
}

// A statement longer than the limit stops the reader instead of growing; so does a line that
// may be a client command and grows past it. One of exactly the limit is given.
TEST(ClientSqlReader, AStatementLongerThanTheLimitStopsIt)
{
    const std::string fits = "SELECT '" + std::string(10, 'x') + "'";
    for (const std::string& tooLong : {"SELECT '" + std::string(11, 'x') + "';",
             "SELECT\n" + std::string(14, 'x') + ";", "use " + std::string(30, 'x')}) {
        SCOPED_TRACE(tooLong);
        for (std::size_t piece : {std::size_t {1}, std::size_t {7}, std::size_t {1000}})
            EXPECT_EQ(Read(fits + ";\n" + tooLong + "\nSELECT 3;\n", piece, fits.size()),
                (Items {"S 1:" + fits, "too long"}));
    }
    ClientSqlReader reader;
    reader.SetLimit(std::size_t {1} << 40);
    EXPECT_EQ(reader.Limit(), ClientSqlReader::kLargestLimit);
}

// The session's character set decides which bytes are blanks and which characters are whole.
TEST(ClientSqlReader, TheSessionsCharacterSetIsFollowed)
{
    struct Row
    {
        const char* charset;
        std::string text;
        Items expected;
    };
    const Row rows[] = {
        // latin1: 0xA0 is a blank, 0x81 not printable; utf8mb4: both are bytes of the text.
        {"latin1", "\xa0SELECT 1\x81;\n", {"S 1:SELECT 1"}},
        {"utf8mb4", "\xa0SELECT 1\x81;\n", {"S 1:\xa0SELECT 1\x81"}},
        // A character of several bytes does not take the blank after a comment.
        {"utf8mb4", "SELECT 1 AS/*c*/\xc3\xa9x;\n", {"S 1:SELECT 1 AS\xc3\xa9 x"}},
        {"utf8mb3", "SELECT 1 AS/*c*/\xf0\x9f\x98\x80x;\n", {"S 1:SELECT 1 AS \xf0\x9f\x98\x80x"}},
        {"gbk", "SELECT '\x81\\';\n", {"S 1:SELECT '\x81\\'"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        ClientSqlReader reader;
        ASSERT_TRUE(reader.SetCharacterSet(row.charset));
        reader.Feed(row.text);
        reader.Finish();
        Items items;
        ClientSqlReader::Item item;
        while (reader.Next(item) == ClientSqlReader::Step::Item)
            items.push_back(Shown(item));
        EXPECT_EQ(items, row.expected);
    }
    ClientSqlReader reader;
    EXPECT_FALSE(reader.SetCharacterSet("klingon"));
    EXPECT_FALSE(reader.SetCharacterSet("utf16"));
    EXPECT_TRUE(reader.SetCharacterSet("UTF8"));
}

} // namespace
} // namespace kelvanto
