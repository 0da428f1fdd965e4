#include "engines/ClientSqlReader.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kelvanto
{

namespace
{

constexpr std::string_view kNulRefused = "a NUL byte (ASCII '\\0'), which the stock client accepts only with "
                                         "--binary-mode";

bool IsQuote(unsigned char c)
{
    return c == '\'' || c == '"' || c == '`';
}

} // namespace

ClientSqlReader::ClientSqlReader()
    : m_charset(&DefaultClientCharset())
{ }

bool ClientSqlReader::SetCharacterSet(std::string_view name)
{
    const ClientCharset* charset = FindClientCharset(name);
    if (!charset || charset->encoding == ClientCharset::Encoding::Wide)
        return false;
    m_charset = charset;
    return true;
}

void ClientSqlReader::Feed(std::string_view bytes)
{
    if (m_writtenNul != std::string::npos)
        m_writtenNul = m_writtenNul >= m_position ? m_writtenNul - m_position : std::string::npos;
    m_input.erase(0, m_position);
    m_position = 0;
    m_input.append(bytes);
}

void ClientSqlReader::Finish()
{
    m_inputEnded = true;
}

ClientSqlReader::Step ClientSqlReader::Next(Item& item)
{
    for (;;) {
        if (m_ready) {
            item = std::move(m_item);
            m_ready = false;
            return Step::Item;
        }
        if (m_ended)
            return Step::End;
        if (Advance() == Progress::NeedInput)
            return Step::NeedInput;
    }
}

ClientSqlReader::Progress ClientSqlReader::Advance()
{
    if (m_quit) {
        EndText();
        return Progress::Going;
    }
    const bool atEnd = m_position == m_input.size();
    if (atEnd && !m_inputEnded)
        return Progress::NeedInput;
    if (!m_lineStarted) {
        if (atEnd) {
            EndText();
            return Progress::Going;
        }
        return StartLine();
    }
    if (m_skippingLine) {
        SkipLineRest();
        return Progress::Going;
    }
    if (atEnd) {
        EndLine(); // the last line, without a line end
        return Progress::Going;
    }
    const int lineEnd = LineEndAt(m_position);
    if (lineEnd == kUnknown)
        return Progress::NeedInput;
    if (lineEnd > 0) {
        m_position += static_cast<std::size_t>(lineEnd);
        EndLine();
        return Progress::Going;
    }
    TakePlainRun();
    if (m_ended || m_position == m_input.size() || LineEndAt(m_position) != 0)
        return Progress::Going;
    return TakeByte();
}

ClientSqlReader::Progress ClientSqlReader::StartLine()
{
    if (m_line == 1 && !m_bomChecked) {
        if (!Known(3))
            return Progress::NeedInput;
        if (Peek(0) == 0xEF && Peek(1) == 0xBB && Peek(2) == 0xBF)
            m_position += 3;
        m_bomChecked = true;
    }
    if (StatementEmpty())
        m_statementLine = m_line;
    m_needSpace = false;
    m_versionComment = false;
    m_segmentStart = m_statement.size();
    if (StatementEmpty() && !m_inComment && m_inString == 0) {
        const Progress progress = TakeCommandLine();
        if (progress == Progress::NeedInput || m_commandLine)
            return progress;
    }
    m_lineStarted = true;
    return Progress::Going;
}

// A line that begins a statement may be one of the client's commands ("use db"). Only its
// first word is looked at until it names a command; then the whole line is needed.
ClientSqlReader::Progress ClientSqlReader::TakeCommandLine()
{
    m_commandLine = false;
    const std::string_view fed = std::string_view(m_input).substr(m_position);
    const std::size_t newline = fed.find('\n');
    const bool whole = newline != std::string_view::npos || m_inputEnded;
    std::string_view line = fed.substr(0, newline);
    // A CR at the end is the line end's when a LF follows (or may, while it is not fed).
    if (!line.empty() && line.back() == '\r' && (newline != std::string_view::npos || !m_inputEnded))
        line.remove_suffix(1);
    std::size_t word = 0;
    while (word < line.size() && IsClientBlank(*m_charset, static_cast<unsigned char>(line[word])))
        ++word;
    const std::string_view head = line.substr(word, kLongestCommandName + 1);
    const std::size_t wordEnd = head.find_first_of(" \t");
    const bool wordKnown = wordEnd != std::string_view::npos || head.size() > kLongestCommandName || whole;
    if (wordKnown && !FindCommandByName(head.substr(0, wordEnd)))
        return Progress::Going;
    // Such a line is held whole, and held to the limit of a statement.
    if (line.size() > m_limit) {
        m_tooLong = true;
        m_ended = true;
        return Progress::Going;
    }
    if (!whole)
        return Progress::NeedInput;
    if (line.find('\0') != std::string_view::npos) {
        Refuse(std::string(kNulRefused));
        return Progress::Going;
    }
    const ClientCommandInfo* info = FindCommandInText(line, m_delimiter, *m_charset);
    if (!info)
        return Progress::Going;
    m_commandLine = true;
    const std::string text(line);
    m_position += newline == std::string_view::npos ? fed.size() : newline + 1;
    if (RunCommand(*info, text))
        ++m_line;
    return Progress::Going;
}

// One step of the client's reading of a line, in the order in which it tests a byte.
ClientSqlReader::Progress ClientSqlReader::TakeByte()
{
    if (!Known(std::max<std::size_t>(kLongestCharacter, m_delimiter.size())))
        return Progress::NeedInput;
    const auto c = static_cast<unsigned char>(m_input[m_position]);
    if (c == 0 && !IsWrittenNul(m_position)) {
        Refuse(std::string(kNulRefused));
        return Progress::Going;
    }
    if (StatementEmpty() && IsClientBlank(*m_charset, c)) {
        ++m_position;
        return Progress::Going;
    }
    if (c >= 0x80) {
        char bytes[kLongestCharacter] = {};
        std::size_t known = 0;
        for (int next = Peek(0); known < kLongestCharacter && next >= 0; next = Peek(known))
            bytes[known++] = static_cast<char>(next);
        if (const std::size_t length = MultiByteLength(*m_charset, std::string_view(bytes, known)); length > 0) {
            if (!m_inComment && !Append(std::string_view(bytes, length)))
                return Progress::Going;
            m_position += length;
            return Progress::Going;
        }
    }
    if (!m_inComment && c == '\\' && EscapesIn(m_inString))
        return TakeBackslash();
    const int next = Peek(1);
    if (!m_inComment && m_inString == 0) {
        bool delimiter = true;
        for (std::size_t i = 0; i < m_delimiter.size() && delimiter; ++i)
            delimiter = Peek(i) == static_cast<unsigned char>(m_delimiter[i]);
        if (delimiter) {
            m_position += m_delimiter.size();
            m_segmentStart = m_statement.size();
            // A statement that is one of the client's commands ("use db;") is carried out by it.
            if (const ClientCommandInfo* info = FindCommandInText(m_statement, m_delimiter, *m_charset)) {
                const std::string text = m_statement;
                if (RunCommand(*info, text)) {
                    m_statement.clear();
                    m_segmentStart = 0;
                }
            } else {
                SendStatement();
            }
            SkipToNextStatement();
            return Progress::Going;
        }
        // The client reads a line as a C string: the NUL that its help command wrote ends it.
        const int third = Peek(2) == 0 && IsWrittenNul(m_position + 2) ? kLineEnd : Peek(2);
        if (c == '#'
            || (c == '-' && next == '-'
                && (third == kLineEnd || StatementEmpty()
                    || IsClientBlank(*m_charset, static_cast<unsigned char>(third))))) {
            m_segmentStart = m_statement.size();
            m_skippingLine = true;
            return Progress::Going;
        }
    }
    const int third = Peek(2);
    const bool kept = third == '!' || (third == 'M' && Peek(3) == '!');
    if (m_inString == 0 && c == '/' && next == '*' && !kept) {
        m_position += 2;
        m_inComment = true;
        m_segmentStart = m_statement.size();
        return Progress::Going;
    }
    if (m_inComment && !m_versionComment && c == '*' && next == '/') {
        m_position += 2;
        m_inComment = false;
        m_segmentStart = m_statement.size();
        m_needSpace = true;
        return Progress::Going;
    }
    if (m_inString == 0 && c == '/' && next == '*' && third == '!')
        m_versionComment = true;
    else if (m_inString == 0 && m_versionComment && c == '*' && next == '/')
        m_versionComment = false;
    if (static_cast<char>(c) == m_inString)
        m_inString = 0;
    else if (!m_inComment && m_inString == 0 && IsQuote(c))
        m_inString = static_cast<char>(c);
    if (!m_inComment) {
        if (m_needSpace && !IsClientBlank(*m_charset, c) && !Append(" "))
            return Progress::Going;
        m_needSpace = false;
        if (!Append(std::string_view(&m_input[m_position], 1)))
            return Progress::Going;
    }
    ++m_position;
    return Progress::Going;
}

ClientSqlReader::Progress ClientSqlReader::TakeBackslash()
{
    const int next = Peek(1) == 0 && IsWrittenNul(m_position + 1) ? kLineEnd : Peek(1);
    if (next == kLineEnd) {
        // The client takes a backslash at the line end for one that its line editor added.
        ++m_position;
        m_skippingLine = true;
        return Progress::Going;
    }
    if (next == 0) {
        Refuse(std::string(kNulRefused));
        return Progress::Going;
    }
    const char letter = static_cast<char>(next);
    if (m_inString != 0 || letter == 'N') {
        if (Append(std::string_view(&m_input[m_position], 2)))
            m_position += 2;
        return Progress::Going;
    }
    const ClientCommandInfo* info = FindCommandByLetter(letter);
    if (!info) {
        Refuse(std::string("Unknown command '\\") + letter + "'.");
        return Progress::Going;
    }
    m_segmentStart = m_statement.size();
    if (!info->takesArgument) {
        const std::string text = {'\\', letter};
        if (RunCommand(*info, text))
            m_position += 2;
        return Progress::Going;
    }
    // A command with an argument reads the rest of the line.
    std::string_view rest;
    if (!RestOfLine(rest))
        return Progress::NeedInput;
    if (m_ended)
        return Progress::Going;
    const std::string text(rest);
    if (!RunCommand(*info, text))
        return Progress::Going;
    if (info->command == ClientCommand::Help && m_ready)
        WriteHelpNul(rest);
    m_position += 2;
    // The argument is skipped: inside "/*!...*/" up to its end, else up to the delimiter,
    // which goes with it; the skip stops at a NUL.
    std::string_view after = rest.substr(2);
    const std::size_t stop = std::min(after.find('\0'), after.size());
    after = after.substr(0, stop);
    if (m_versionComment) {
        const std::size_t end = after.find("*/");
        m_position += end == std::string_view::npos ? stop : end;
    } else {
        const std::size_t end = after.find(m_delimiter);
        m_position += end == std::string_view::npos ? stop : end + m_delimiter.size();
    }
    return Progress::Going;
}

// Bytes that need no look of their own, taken at once: most of a dump's rows.
void ClientSqlReader::TakePlainRun()
{
    if (m_needSpace || StatementEmpty())
        return;
    const bool bytewise = HasAsciiTrailBytes(*m_charset) || static_cast<unsigned char>(m_delimiter[0]) >= 0x80;
    const auto* const begin = reinterpret_cast<const unsigned char*>(m_input.data()) + m_position;
    const auto* const end = begin + (m_input.size() - m_position);
    const auto* p = begin;
    // A byte that ends a run: a line end, a NUL, or (read character by character) a byte of a
    // multi-byte character; in code also what may start a quote, a comment, a command or the
    // delimiter; in quotes their closing quote and a backslash.
    const auto ends
        = [bytewise](unsigned char c) { return c == '\n' || c == '\r' || c == 0 || (bytewise && c >= 0x80); };
    if (m_inComment) {
        while (p < end && *p != '*' && *p != '/' && !ends(*p))
            ++p;
        m_position += static_cast<std::size_t>(p - begin);
        return;
    }
    std::array<bool, 256> codeStops {};
    for (unsigned char c : std::string_view("\n\r'\"`\\#-/*"))
        codeStops[c] = true;
    codeStops[0] = true;
    codeStops[static_cast<unsigned char>(m_delimiter[0])] = true;
    if (bytewise)
        std::fill(codeStops.begin() + 0x80, codeStops.end(), true);
    char inString = m_inString;
    while (p < end) {
        if (inString != 0) {
            const bool escapes = EscapesIn(inString);
            while (p < end && *p != inString && !(escapes && *p == '\\') && !ends(*p))
                ++p;
            if (p == end || ends(*p))
                break;
            if (*p == '\\') {
                if (p + 1 == end || ends(p[1]))
                    break;
                p += 2;
                continue;
            }
            inString = 0;
            ++p;
            continue;
        }
        while (p < end && !codeStops[*p])
            ++p;
        if (p == end)
            break;
        const unsigned char c = *p;
        if (static_cast<char>(c) == m_delimiter[0])
            break;
        if (IsQuote(c)) {
            inString = static_cast<char>(c);
        } else if (c == '-' || c == '/' || (c == '*' && m_versionComment)) {
            // Plain unless the next byte makes a mark of it: "--", "/*", or the "*/" that ends
            // a "/*!" comment.
            const unsigned char mark = c == '-' ? '-' : (c == '/' ? '*' : '/');
            if (p + 1 == end || p[1] == mark)
                break;
        } else if (c != '*') {
            break;
        }
        ++p;
    }
    const auto taken = static_cast<std::size_t>(p - begin);
    if (taken > 0 && Append(std::string_view(m_input).substr(m_position, taken))) {
        m_inString = inString;
        m_position += taken;
    }
}

void ClientSqlReader::WriteHelpNul(std::string_view rest)
{
    std::size_t argument = rest.find(' ');
    while (argument < rest.size() && IsClientBlank(*m_charset, static_cast<unsigned char>(rest[argument])))
        ++argument;
    if (argument >= rest.size() || rest[argument] == '\'')
        return;
    std::size_t end = rest.size();
    while (end > 0 && IsClientBlank(*m_charset, static_cast<unsigned char>(rest[end - 1])))
        --end;
    if (end == rest.size())
        return;
    m_writtenNul = m_position + end;
    m_input[m_writtenNul] = '\0';
}

// What follows a delimiter up to the next statement, blanks and the line end, whatever the
// session's status, so that the bytes read so far cover the statement's line.
void ClientSqlReader::SkipToNextStatement()
{
    while (!m_ended && StatementEmpty() && m_position < m_input.size()) {
        const int lineEnd = LineEndAt(m_position);
        if (lineEnd > 0) {
            m_position += static_cast<std::size_t>(lineEnd);
            EndLine();
            return;
        }
        if (lineEnd == kUnknown || !IsClientBlank(*m_charset, static_cast<unsigned char>(m_input[m_position])))
            return;
        ++m_position;
    }
}

void ClientSqlReader::SkipLineRest()
{
    const std::string_view fed = std::string_view(m_input).substr(m_position);
    const std::size_t newline = fed.find('\n');
    const std::string_view skipped = fed.substr(0, newline);
    std::size_t nul = skipped.find('\0');
    if (nul != std::string_view::npos && IsWrittenNul(m_position + nul))
        nul = skipped.find('\0', nul + 1);
    if (nul != std::string_view::npos) {
        Refuse(std::string(kNulRefused));
        return;
    }
    if (newline == std::string_view::npos) {
        m_position = m_input.size();
        if (m_inputEnded) {
            m_skippingLine = false;
            EndLine();
        }
        return;
    }
    m_position += newline + 1;
    m_skippingLine = false;
    EndLine();
}

void ClientSqlReader::EndLine()
{
    // A line adds its line end to the statement, unless the bytes it added since its last
    // comment or delimiter begin with "delimiter" (outside quotes and comments).
    if (!StatementEmpty() && !m_inComment
        && (m_inString != 0 || !BeginsWithDelimiterWord(std::string_view(m_statement).substr(m_segmentStart))))
        Append("\n");
    ++m_line;
    m_lineStarted = false;
    m_skippingLine = false;
}

void ClientSqlReader::EndText()
{
    SendStatement();
    m_ended = true;
}

int ClientSqlReader::Peek(std::size_t offset) const
{
    for (std::size_t at = m_position, i = 0;; ++at, ++i) {
        if (at >= m_input.size())
            return m_inputEnded ? kLineEnd : kUnknown;
        const int end = LineEndAt(at);
        if (end == kUnknown)
            return kUnknown;
        if (end > 0)
            return kLineEnd;
        if (i == offset)
            return static_cast<unsigned char>(m_input[at]);
    }
}

bool ClientSqlReader::Known(std::size_t count) const
{
    return count == 0 || Peek(count - 1) != kUnknown;
}

int ClientSqlReader::LineEndAt(std::size_t at) const
{
    if (m_input[at] == '\n')
        return 1;
    if (m_input[at] != '\r')
        return 0;
    if (at + 1 < m_input.size())
        return m_input[at + 1] == '\n' ? 2 : 0;
    return m_inputEnded ? 0 : kUnknown;
}

bool ClientSqlReader::RestOfLine(std::string_view& rest)
{
    const std::string_view fed = std::string_view(m_input).substr(m_position);
    const std::size_t newline = fed.find('\n');
    // The rest of the line is held whole, and held to the limit of a statement.
    if (fed.substr(0, newline).size() > m_limit) {
        m_tooLong = true;
        m_ended = true;
        rest = {};
        return true;
    }
    if (newline == std::string_view::npos && !m_inputEnded)
        return false;
    rest = fed.substr(0, newline);
    if (newline != std::string_view::npos && !rest.empty() && rest.back() == '\r')
        rest.remove_suffix(1);
    return true;
}

bool ClientSqlReader::Append(std::string_view bytes)
{
    if (m_statement.size() + bytes.size() > m_limit) {
        m_tooLong = true;
        m_ended = true;
        std::string().swap(m_statement);
        return false;
    }
    m_statement.append(bytes);
    return true;
}

bool ClientSqlReader::EscapesIn(char quote) const
{
    if (quote == '`')
        return false;
    if (quote == '"' && (m_status & kAnsiQuotes) != 0)
        return false;
    return quote == 0 || (m_status & kNoBackslashEscapes) == 0;
}

void ClientSqlReader::Give(Item::Kind kind, std::string text, std::size_t line)
{
    m_item.kind = kind;
    m_item.text = std::move(text);
    m_item.line = line;
    m_ready = true;
}

void ClientSqlReader::Refuse(std::string message)
{
    Give(Item::Kind::Error, std::move(message), m_line);
    m_ended = true;
}

} // namespace kelvanto
