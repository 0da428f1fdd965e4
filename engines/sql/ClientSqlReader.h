#pragma once

#include "engines/sql/ClientCharsets.h"
#include "engines/sql/ClientCommands.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvanto
{

// Reads SQL text the way the stock mariadb client (10.11) reads a file in batch mode
// (`mariadb < file`, comments not kept, no --force, no --binary-mode), and gives what the
// client would do with it, item by item, so that a restore or a script run leaves the server
// as the client would:
//
// - Lines end at LF; a CR just before the LF is dropped. A UTF-8 BOM that begins the text is
//   skipped. A NUL byte refuses the text.
// - Blanks before a statement are skipped; a statement's lines are joined with LF, except
//   after a line that ends inside a /* */ comment or that holds a "delimiter..." command
//   after the statement it ends. A statement is given without its trailing blanks and
//   unprintable bytes; an empty one is not given.
// - Quotes ' " ` are followed. A backslash escapes the next byte in ' and " quotes, not in
//   backquotes, not in " quotes while the session has ANSI_QUOTES, and in no quote while it
//   has NO_BACKSLASH_ESCAPES: SetServerStatus() gives the session's status after every item
//   that ran.
// - "/* ... */" comments are removed (a blank takes the place of one when a byte follows it
//   that is not a blank); "/*!NNNNN ... */" and "/*M!NNNNNN ... */" are kept for the server,
//   and the delimiter ends a statement inside them too. "#", and "--" followed by a blank, by
//   the line end or at the start of a statement, run to the end of the line ("5--1" stays).
// - The delimiter (";" at first) ends a statement anywhere outside quotes and comments, as
//   often as it occurs on a line. "DELIMITER xx" (a line of its own, or a statement) changes it.
// - The client's own commands, as a line of their own ("use db"), as a statement ("use db;")
//   or as a backslash and a letter outside quotes ("\u db"): \g \G end the statement, \c
//   clears it, \u and "use" select a database, \C and "charset" set the character set, \d
//   and "delimiter" set the delimiter, \q "quit" "exit" end the text, "help" asks the server
//   for help; the others change nothing on the server. Those that reach outside the server
//   (\! system, \. source, \T tee, \P pager, \r connect, \e edit) refuse the text, as does a
//   backslash and a letter that names no command.
// - At the end of the text the open statement is given.
//
// The text is fed in pieces of any size (Feed after Next asked for input, Finish at its end);
// the items are the same however it is cut. Only the statement being gathered, a piece of
// text and a line that may be one of the client's commands are held; a statement longer than
// the limit stops the reader (TooLong()).
class ClientSqlReader
{
public:
    struct Item
    {
        enum class Kind : unsigned char {
            Statement, // text: what the client sends to the server
            UseDatabase, // text: the database to select (mysql_select_db)
            CharacterSet, // text: the character set to set (mysql_set_character_set)
            Warning, // text: what the client reports and goes on after
            Error, // text: why the client refuses the text; nothing follows
        };
        Kind kind = Kind::Statement;
        std::string text;
        std::size_t line = 0; // where the statement began, or where the command stood
    };

    enum class Step : unsigned char {
        Item, // the argument holds the next item
        NeedInput, // Feed the next piece, or Finish
        End, // nothing more comes
    };

    // Status bits of the session that change how backslashes are read.
    static constexpr unsigned kNoBackslashEscapes = 512;
    static constexpr unsigned kAnsiQuotes = 32768;
    // The largest statement a server takes (max_allowed_packet is at most 1 GiB).
    static constexpr std::size_t kLargestLimit = std::size_t {1} << 30;

    // Reads in utf8mb4 until SetCharacterSet.
    ClientSqlReader();

    // The character set of the session at the start (its name as the server gives it); false
    // for a name the client does not know, which leaves the set as it was.
    bool SetCharacterSet(std::string_view name);
    // The longest statement that is gathered; at most kLargestLimit.
    void SetLimit(std::size_t limit) { m_limit = limit < kLargestLimit ? limit : kLargestLimit; }
    std::size_t Limit() const { return m_limit; }
    // The session's status bits after the last item that ran (see kNoBackslashEscapes).
    void SetServerStatus(unsigned status) { m_status = status; }

    void Feed(std::string_view bytes);
    // The end of the text.
    void Finish();
    Step Next(Item& item);

    // The bytes fed that the items given so far have not taken.
    std::size_t Unread() const { return m_input.size() - m_position; }
    // True once a statement (or a line that may be a command) grew past the limit.
    bool TooLong() const { return m_tooLong; }

private:
    // How one call of Advance ended.
    enum class Progress : unsigned char {
        Going,
        NeedInput,
    };
    // A byte of the current line at an offset from the position: the byte, or one of these.
    static constexpr int kLineEnd = -1;
    static constexpr int kUnknown = -2; // not fed yet
    static constexpr std::string_view kNulRefused
        = "a NUL byte (ASCII '\\0'), which the stock client accepts only with --binary-mode";

    Progress Advance();
    Progress StartLine();
    Progress TakeCommandLine();
    Progress TakeByte();
    Progress TakeBackslash();
    void TakePlainRun();
    void EndLine();
    void EndText();

    // Carries a client command out; `text` is what the client hands it (the line, the
    // statement, or the rest of the line from the backslash). False when it ended the text.
    bool RunCommand(const ClientCommandInfo& info, std::string_view text);
    void SetDelimiterFrom(std::string_view text);
    void TakeCharset(std::string_view text);
    // The statement gathered, as the client sends it; nothing when it is empty.
    void SendStatement();

    int Peek(std::size_t offset) const;
    // Whether the next `count` bytes of the line (or its end) are fed.
    bool Known(std::size_t count) const;
    // The length of the line end (LF, or CR LF) at `at`; 0 for none, kUnknown when unsure.
    int LineEndAt(std::size_t at) const;
    // The rest of the line from the position when it is all fed; false otherwise.
    bool RestOfLine(std::string_view& rest);
    void SkipLineRest();
    void SkipToNextStatement();
    // The client's "\h" trims the blanks that end its line by writing a NUL over the first,
    // and then reads that NUL as a byte of the text.
    void WriteHelpNul(std::string_view rest);
    bool IsWrittenNul(std::size_t at) const { return at == m_writtenNul; }
    bool StatementEmpty() const { return m_statement.empty(); }
    bool Append(std::string_view bytes);
    bool EscapesIn(char quote) const;
    void Give(Item::Kind kind, std::string text, std::size_t line);
    void Refuse(std::string message);

    std::string m_input;
    std::size_t m_position = 0;
    // Where the client's help command wrote a NUL over the line (npos for nowhere).
    std::size_t m_writtenNul = std::string::npos;
    bool m_inputEnded = false;
    std::size_t m_limit = kLargestLimit;
    unsigned m_status = 0;
    const ClientCharset* m_charset;

    // The text so far.
    std::size_t m_line = 1;
    bool m_lineStarted = false;
    bool m_bomChecked = false;
    bool m_commandLine = false; // the line just read was one of the client's commands
    bool m_skippingLine = false; // the rest of the line is a comment (or after a lone '\')
    std::string m_delimiter = ";";
    std::string m_statement;
    std::size_t m_statementLine = 1;
    std::size_t m_segmentStart = 0; // where the bytes added since the last flush on this line begin
    char m_inString = 0;
    bool m_inComment = false;
    bool m_needSpace = false; // a comment was removed: a blank goes before the next byte
    bool m_versionComment = false; // inside "/*!...*/" on this line
    bool m_quit = false;
    bool m_ended = false;
    bool m_tooLong = false;

    bool m_ready = false;
    Item m_item;
};

} // namespace kelvanto
