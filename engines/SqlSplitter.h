#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kelvanto
{

// Cuts SQL text into statements, line by line, the way scripts and restore files are cut.
// CR and LF each end a line. At a line end the gathered text, without its leading blanks,
// tabs, vertical tabs and form feeds, is thrown away unless it begins with a letter A-Z or
// a-z (this drops comment lines and "/*!...*/;" lines, and a "/* ... */" comment that
// starts such a line is dropped whole, however many lines it spans), and is a complete
// statement when its very last character is ';'; otherwise the next line is appended to it
// with nothing in between. At the end of the input the open statement is trimmed and gets
// a ';' when it lacks one.
//
// Quoted text ('...', "..." and `...`, with their doubling, and the backslash escapes of
// the first two) is taken as it stands: a line end inside it ends nothing and is kept, so
// names and values holding line ends come back exactly. A "-- " or "#" comment runs to
// the line end and is left out of the statement (a line "SELECT 1; -- note" ends the
// statement); a "/* ... */" comment inside a statement is kept, and a line end inside it
// ends nothing. A quote inside a comment opens nothing. Text without quotes and comment
// markers is cut exactly as by the plain line rule above.
//
// A line "DELIMITER xx" between statements makes xx the terminator until the next such
// line, as the stock client does. With a terminator other than ';' line ends are kept in
// the statement, the terminator still ends a statement only at the end of a line, and it
// is not part of the statement given.
//
// The input may come in pieces of any size (a file read through a buffer): the statements
// are the same however the bytes are cut. Only the statement being gathered is held, and
// never more than the limit: a longer statement stops the splitter (TooLong()).
class SqlSplitter
{
public:
    // The largest statement a server takes (max_allowed_packet is at most 1 GiB).
    static constexpr std::size_t kLargestLimit = std::size_t {1} << 30;

    // The longest statement text that is gathered; at most kLargestLimit.
    void SetLimit(std::size_t limit) { m_limit = limit < kLargestLimit ? limit : kLargestLimit; }
    std::size_t Limit() const { return m_limit; }

    // The next piece of input. It must stay valid until Next() has returned false for it.
    void Feed(std::string_view bytes);
    // Moves the next complete statement into `statement`; false when the input fed so far
    // runs out before one is complete, or when a statement grew past the limit.
    bool Next(std::string& statement);
    // The end of the input: moves the open statement, if there is one, into `statement`.
    // The splitter is then ready for a new input (the terminator is ';' again).
    bool Finish(std::string& statement);
    // The bytes of the last piece fed that Next() has not looked at yet.
    std::size_t Unread() const { return m_input.size() - m_position; }
    // True once a statement grew past the limit; nothing more is given from this input.
    bool TooLong() const { return m_tooLong; }

private:
    // What the text gathered since the last statement or thrown-away line is.
    enum class State : unsigned char {
        Blank, // nothing but white space so far
        Statement, // begins with a letter: gathered in m_statement
        Discarded, // begins with another character: ignored up to the line end
        Keyword, // the letters so far may begin "DELIMITER ": held in m_statement
        Command, // a DELIMITER line: held in m_statement up to its end
    };
    // Where in the SQL text the next byte of a statement or a thrown-away line is.
    enum class Lexer : unsigned char {
        Code,
        SingleQuoted,
        DoubleQuoted,
        BackQuoted,
        BlockComment,
        LineComment,
    };

    // Each takes bytes from the start of `bytes` and returns how many it took; they stop
    // before a line end that ends a line (not one inside quoted text) and never take more
    // than one byte past a marker, so that markers cut between pieces are seen.
    std::size_t TakeBlank(std::string_view bytes);
    std::size_t TakeStatement(std::string_view bytes);
    std::size_t TakeCode(std::string_view bytes);
    // Code and quoted text up to the first byte that needs more than its own kind; 0 when
    // the first byte does.
    std::size_t TakePlainRun(std::string_view bytes);
    std::size_t TakeQuoted(std::string_view bytes, char quote);
    std::size_t TakeDiscarded(std::string_view bytes);
    std::size_t TakeKeyword(std::string_view bytes);
    std::size_t TakeCommand(std::string_view bytes);
    // Takes a byte of a comment, which may close it.
    std::size_t TakeBlockComment(std::string_view bytes, bool keep);
    // The letters held as a possible DELIMITER go on as the start of a statement.
    void KeywordIsStatement();
    // A line end (the byte given); true when it completed a statement.
    bool EndLine(char lineEnd, std::string& statement);
    bool EndStatementLine(char lineEnd, std::string& statement);
    void TakeDelimiterLine();
    // Moves the statement out and starts afresh; false when nothing is left of it.
    bool GiveStatement(std::string& statement);
    void Append(std::string_view bytes);
    void Reset();

    std::string_view m_input;
    std::size_t m_position = 0;
    std::size_t m_limit = kLargestLimit;
    State m_state = State::Blank;
    Lexer m_lexer = Lexer::Code;
    // Markers that a following byte completes: "/" (then "*"), "*" (then "/") in a comment,
    // "\" in a quoted text, and the dashes of "-- ".
    bool m_slash = false;
    bool m_star = false;
    bool m_escape = false;
    unsigned char m_dashes = 0;
    // A "-- " or "#" comment was left out on the current line.
    bool m_lineHadComment = false;
    bool m_tooLong = false;
    std::string m_delimiter = ";";
    std::string m_statement;
};

// Cuts a script text held in memory into statements and appends them to `statements`.
void SplitScript(std::string_view text, std::vector<std::string>& statements);

} // namespace kelvanto
