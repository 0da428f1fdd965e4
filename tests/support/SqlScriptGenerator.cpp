#include "tests/support/SqlScriptGenerator.h"

#include "tests/support/RoundTrip.h"

#include <array>
#include <vector>

namespace kelvanto::test
{

namespace
{

class Generator
{
public:
    Generator(std::mt19937_64& random, std::string database)
        : m_random(random)
        , m_database(std::move(database))
    { }

    std::string Script()
    {
        const std::string name = QuoteName(m_database);
        std::string text = "CREATE DATABASE " + name + End()
            + Pick({"USE " + name + End(), "use " + m_database + "\n", "\\u " + m_database + "\n"});
        text += "CREATE TABLE t (id INT AUTO_INCREMENT PRIMARY KEY," + Gap() + "v TEXT, n BIGINT)" + End();
        const int count = Number(3, 25);
        for (int i = 0; i < count; ++i)
            text += Statement();
        // Some files end with a statement left open.
        if (Chance(4))
            text += "INSERT INTO t (v) VALUES (" + Literal() + ")";
        return text;
    }

private:
    int Number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }
    bool Chance(int oneIn) { return Number(1, oneIn) == 1; }
    std::string Pick(const std::vector<std::string>& options)
    {
        return options[static_cast<std::size_t>(Number(0, static_cast<int>(options.size()) - 1))];
    }
    std::string LineEnd() { return Chance(3) ? "\r\n" : "\n"; }

    // What may stand between two words: blanks, line ends, comments of every kind.
    std::string Gap()
    {
        switch (Number(0, 9)) {
        case 0:
            return LineEnd();
        case 1:
            return " /* a ' \" ; */ ";
        case 2:
            return " -- c ' ;" + LineEnd();
        case 3:
            return " #;'" + LineEnd();
        case 4:
            return "/*" + LineEnd() + "*/";
        case 5:
            return "\t";
        default:
            return " ";
        }
    }

    // The end of a statement: the delimiter, and what may follow it on its line.
    std::string End()
    {
        std::string end = m_delimiter;
        switch (Number(0, 5)) {
        case 0:
            return end + " ";
        case 1:
            return end;
        case 2:
            return end + " /* c */" + LineEnd();
        case 3:
            return end + " -- c" + LineEnd();
        default:
            return end + LineEnd();
        }
    }

    std::string Literal()
    {
        const bool escapes = !m_noBackslashEscapes;
        const char quote = m_ansiQuotes || Chance(3) ? '\'' : (Chance(2) ? '"' : '\'');
        std::string text(1, quote);
        const int parts = Number(0, 6);
        for (int i = 0; i < parts; ++i) {
            switch (Number(0, 11)) {
            case 0:
                text += ";";
                break;
            case 1:
                text += LineEnd();
                break;
            case 2:
                text += std::string(2, quote);
                break;
            case 3:
                text += escapes ? std::string("\\") + quote : std::string(2, quote);
                break;
            case 4:
                text += escapes ? "\\\\" : "\\";
                break;
            case 5:
                text += "-- /* # */";
                break;
            case 6:
                text += quote == '\'' ? "\"`" : "'`";
                break;
            case 7:
                text += escapes ? "\\n\\t\\0" : "x";
                break;
            case 8:
                text += "\xc3\xa9\xe2\x82\xac";
                break;
            case 9:
                text += m_delimiter;
                break;
            default:
                text += "abc";
                break;
            }
        }
        text += quote;
        // Adjacent literals are one value, also across a line end.
        if (Chance(6))
            text += LineEnd() + "'tail'";
        return text;
    }

    std::string Integer() { return Pick({std::to_string(Number(-99, 99)), "5--1", "- -3", "7 -- c\n", "0x1F"}); }

    std::string Insert()
    {
        std::string text = "INSERT INTO t" + Gap() + "(v, n) VALUES";
        const int rows = Number(1, 3);
        for (int i = 0; i < rows; ++i)
            text += std::string(i > 0 ? "," : "") + Gap() + "(" + Literal() + "," + Gap() + Integer() + ")";
        return text;
    }

    std::string Statement()
    {
        switch (Number(0, 15)) {
        case 0:
            m_noBackslashEscapes = !m_noBackslashEscapes;
            return Mode();
        case 1:
            if (!Chance(3))
                break;
            m_ansiQuotes = !m_ansiQuotes;
            return Mode();
        case 2: {
            // A delimiter change, and a statement or two that it ends as one text.
            m_delimiter = Pick({";", "//", "$$", ";;"});
            std::string text = "DELIMITER " + m_delimiter + LineEnd();
            if (m_delimiter != ";")
                text += Insert() + ";" + Gap() + Insert() + End();
            return text;
        }
        case 3:
            return "/*!40101 " + Insert() + " */" + End();
        case 4:
            return "/*M!100100 " + Insert() + " */" + End();
        case 5:
            return "UPDATE t SET v = CONCAT(IFNULL(v, ''), " + Literal()
                + ") WHERE id % 3 = " + std::to_string(Number(0, 2)) + End();
        case 6:
            return "DELETE FROM t WHERE n = " + Integer() + End();
        case 7:
            if (m_delimiter == ";")
                break;
            return "CREATE TRIGGER tr" + std::to_string(m_triggers++) + " BEFORE INSERT ON t FOR EACH ROW BEGIN" + Gap()
                + "SET NEW.n = IFNULL(NEW.n, 0) + 1;" + Gap() + "SET NEW.v = CONCAT(IFNULL(NEW.v, ''), "
                + (m_ansiQuotes ? std::string("'x'") : Literal()) + ");" + LineEnd() + "END" + End();
        case 8:
            return Pick({";", " ;", "/* only a comment */;"}) + LineEnd();
        default:
            break;
        }
        return Insert() + End();
    }

    // A change of the session's sql_mode, as a plain or an executable statement.
    std::string Mode()
    {
        std::string modes;
        if (m_noBackslashEscapes)
            modes = "NO_BACKSLASH_ESCAPES";
        if (m_ansiQuotes)
            modes += std::string(modes.empty() ? "" : ",") + "ANSI_QUOTES";
        const std::string set = "SET sql_mode = '" + modes + "'";
        return (Chance(2) ? "/*!40101 " + set + " */" : set) + End();
    }

    std::mt19937_64& m_random;
    std::string m_database;
    std::string m_delimiter = ";";
    bool m_noBackslashEscapes = false;
    bool m_ansiQuotes = false;
    int m_triggers = 0;
};

} // namespace

std::string GenerateSqlScript(std::mt19937_64& random, const std::string& database)
{
    return Generator(random, database).Script();
}

} // namespace kelvanto::test
