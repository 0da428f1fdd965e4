#include "engines/sql/ClientSqlReader.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kelvanto
{

namespace
{

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
            // Swapped, so that the caller's last text lends its buffer to the next one.
            std::swap(item, m_item);
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

} // namespace kelvanto
