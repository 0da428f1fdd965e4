#include "engines/sql/ClientSqlReader.h"

#include <algorithm>
#include <array>

// How the reader looks at the text it was fed: lines, look-ahead, runs of plain bytes, and
// the statement it gathers.

namespace kelvanto
{

namespace
{

bool IsQuote(unsigned char c)
{
    return c == '\'' || c == '"' || c == '`';
}

} // namespace

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
