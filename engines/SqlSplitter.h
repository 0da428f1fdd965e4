#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kelvanto
{

// Cuts SQL text into statements, line by line, the way scripts and restore files are cut.
// CR and LF each end a line and never enter a statement. At a line end the gathered text,
// without its leading blanks, tabs, vertical tabs and form feeds, is thrown away unless it
// begins with a letter A-Z or a-z (this drops comment lines and "/*!...*/;" lines), and
// is a complete statement when its very last character is ';'; otherwise the next line is
// appended to it with nothing in between. Quotes are not recognised. At the end of the
// input the open statement is trimmed and gets a ';' when it lacks one.
//
// The input may come in pieces of any size (a file read through a buffer): the statements
// are the same however the bytes are cut. Only the statement being gathered is held.
class SqlSplitter
{
public:
    // The next piece of input. It must stay valid until Next() has returned false for it.
    void Feed(std::string_view bytes);
    // Moves the next complete statement into `statement`; false when the input fed so far
    // runs out before one is complete.
    bool Next(std::string& statement);
    // The end of the input: moves the open statement, if there is one, into `statement`.
    // The splitter is then ready for a new input.
    bool Finish(std::string& statement);
    // The bytes of the last piece fed that Next() has not looked at yet.
    std::size_t Unread() const { return m_input.size() - m_position; }

private:
    // What the text gathered since the last statement or thrown-away line is.
    enum class State : unsigned char {
        Blank, // nothing but white space so far
        Statement, // begins with a letter: gathered in m_statement
        Discarded, // begins with another character: ignored up to the line end
    };

    // Takes the bytes of one line (or of a part of it) without its line end.
    void Take(std::string_view bytes);
    // A line end; true when it completed a statement.
    bool EndLine(std::string& statement);
    std::size_t NextLineEnd();

    std::string_view m_input;
    std::size_t m_position = 0;
    // Where the next CR and LF at or after m_position are (m_input.size() when none), so that
    // every byte is searched once however the lines end.
    std::size_t m_nextCr = 0;
    std::size_t m_nextLf = 0;
    State m_state = State::Blank;
    std::string m_statement;
};

// Cuts a script text held in memory into statements and appends them to `statements`.
void SplitScript(std::string_view text, std::vector<std::string>& statements);

} // namespace kelvanto
