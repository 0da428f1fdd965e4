#include "engines/SqlSplitter.h"

#include <array>

namespace kelvanto
{

namespace
{

using ByteSet = std::array<bool, 256>;

constexpr ByteSet MakeSet(std::string_view bytes)
{
    ByteSet set {};
    for (char c : bytes)
        set[static_cast<unsigned char>(c)] = true;
    return set;
}

// The bytes that end a run of plain bytes, for each kind of text.
constexpr ByteSet kCodeStops = MakeSet("'\"`/-#\r\n");
constexpr ByteSet kSingleQuotedStops = MakeSet("'\\");
constexpr ByteSet kDoubleQuotedStops = MakeSet("\"\\");
constexpr ByteSet kBackQuotedStops = MakeSet("`");
constexpr ByteSet kCommentStops = MakeSet("*\r\n");
constexpr ByteSet kDiscardedStops = MakeSet("/-#\r\n");

constexpr std::string_view kKeyword = "delimiter";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The position of the first byte of `stops` at or after `from`, or the size of `bytes`.
std::size_t Skip(std::string_view bytes, std::size_t from, const ByteSet& stops)
{
    while (from < bytes.size() && !stops[static_cast<unsigned char>(bytes[from])])
        ++from;
    return from;
}

std::size_t ToLineEnd(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size() && !IsLineEnd(bytes[i]))
        ++i;
    return i;
}

bool IsKeywordAlone(std::string_view held)
{
    if (held.size() != kKeyword.size())
        return false;
    for (std::size_t i = 0; i < held.size(); ++i) {
        if (Lower(held[i]) != kKeyword[i])
            return false;
    }
    return true;
}

void TrimEnd(std::string& text, bool lineEndsToo)
{
    while (!text.empty() && (IsBlank(text.back()) || (lineEndsToo && IsLineEnd(text.back()))))
        text.pop_back();
}

bool EndsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

} // namespace

void SqlSplitter::Feed(std::string_view bytes)
{
    m_input = bytes;
    m_position = 0;
}

bool SqlSplitter::Next(std::string& statement)
{
    while (m_position < m_input.size() && !m_tooLong) {
        const std::string_view rest = m_input.substr(m_position);
        std::size_t taken = 0;
        switch (m_state) {
        case State::Blank:
            taken = TakeBlank(rest);
            break;
        case State::Statement:
            taken = TakeStatement(rest);
            break;
        case State::Discarded:
            taken = TakeDiscarded(rest);
            break;
        case State::Keyword:
            taken = TakeKeyword(rest);
            break;
        case State::Command:
            taken = TakeCommand(rest);
            break;
        }
        m_position += taken;
        // Nothing taken: the next byte is a line end that ends the line.
        if (taken == 0 && EndLine(m_input[m_position++], statement))
            return true;
    }
    return false;
}

std::size_t SqlSplitter::TakeBlank(std::string_view bytes)
{
    std::size_t first = 0;
    while (first < bytes.size() && IsBlank(bytes[first]))
        ++first;
    if (first == bytes.size() || IsLineEnd(bytes[first]))
        return first;
    const std::string_view rest = bytes.substr(first);
    if (!IsLetter(rest.front())) {
        m_state = State::Discarded;
        return first + TakeDiscarded(rest);
    }
    if (Lower(rest.front()) == kKeyword.front()) {
        m_state = State::Keyword;
        return first + TakeKeyword(rest);
    }
    m_state = State::Statement;
    return first + TakeStatement(rest);
}

std::size_t SqlSplitter::TakeStatement(std::string_view bytes)
{
    if (!m_slash && !m_escape && m_dashes == 0 && m_lexer != Lexer::BlockComment && m_lexer != Lexer::LineComment) {
        if (const std::size_t taken = TakePlainRun(bytes); taken > 0)
            return taken;
    }
    switch (m_lexer) {
    case Lexer::Code:
        return TakeCode(bytes);
    case Lexer::SingleQuoted:
        return TakeQuoted(bytes, '\'');
    case Lexer::DoubleQuoted:
        return TakeQuoted(bytes, '"');
    case Lexer::BackQuoted:
        return TakeQuoted(bytes, '`');
    case Lexer::BlockComment:
        return TakeBlockComment(bytes, true);
    case Lexer::LineComment:
        return ToLineEnd(bytes);
    }
    return 0;
}

std::size_t SqlSplitter::TakePlainRun(std::string_view bytes)
{
    // Rows of values switch between code and quoted text every few bytes: they are followed
    // here in one pass and appended at once. Whatever needs a look past the piece's end or
    // a state of its own (line ends, comment markers, "--") is left to the callers.
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    const char* p = begin;
    Lexer lexer = m_lexer;
    while (p < end) {
        if (lexer == Lexer::Code) {
            while (p < end && !kCodeStops[static_cast<unsigned char>(*p)])
                ++p;
            if (p == end)
                break;
            const char c = *p;
            if (c == '\'') {
                lexer = Lexer::SingleQuoted;
            } else if (c == '"') {
                lexer = Lexer::DoubleQuoted;
            } else if (c == '`') {
                lexer = Lexer::BackQuoted;
            } else if (!(c == '-' && p + 1 < end && p[1] != '-')) {
                break; // a lone '-' (a negative number) is taken; anything else is not
            }
            ++p;
            continue;
        }
        const ByteSet& stops = lexer == Lexer::SingleQuoted
            ? kSingleQuotedStops
            : (lexer == Lexer::DoubleQuoted ? kDoubleQuotedStops : kBackQuotedStops);
        while (p < end && !stops[static_cast<unsigned char>(*p)])
            ++p;
        if (p == end)
            break;
        if (*p == '\\') {
            if (p + 1 == end)
                break;
            p += 2;
            continue;
        }
        lexer = Lexer::Code;
        ++p;
    }
    const auto taken = static_cast<std::size_t>(p - begin);
    if (taken > 0) {
        m_lexer = lexer;
        Append(bytes.substr(0, taken));
    }
    return taken;
}

std::size_t SqlSplitter::TakeCode(std::string_view bytes)
{
    const char first = bytes.front();
    if (m_slash) {
        m_slash = false;
        if (first == '*') {
            m_lexer = Lexer::BlockComment;
            Append(bytes.substr(0, 1));
            return 1;
        }
    }
    if (m_dashes == 2 && (IsBlank(first) || IsLineEnd(first))) {
        // "-- " opens a comment to the line end, which is left out, its dashes included.
        m_dashes = 0;
        m_statement.resize(m_statement.size() - 2);
        m_lexer = Lexer::LineComment;
        m_lineHadComment = true;
        return IsLineEnd(first) ? 0 : 1;
    }
    if (first == '-') {
        // Of "---" the last two dashes can still open a comment.
        m_dashes = m_dashes < 2 ? m_dashes + 1 : 2;
        Append(bytes.substr(0, 1));
        return 1;
    }
    m_dashes = 0;
    const std::size_t run = Skip(bytes, 0, kCodeStops);
    if (run > 0) {
        Append(bytes.substr(0, run));
        return run;
    }
    switch (first) {
    case '\r':
    case '\n':
        return 0;
    case '\'':
        m_lexer = Lexer::SingleQuoted;
        break;
    case '"':
        m_lexer = Lexer::DoubleQuoted;
        break;
    case '`':
        m_lexer = Lexer::BackQuoted;
        break;
    case '/':
        m_slash = true;
        break;
    case '#':
        m_lexer = Lexer::LineComment;
        m_lineHadComment = true;
        return 1;
    default:
        break;
    }
    Append(bytes.substr(0, 1));
    return 1;
}

std::size_t SqlSplitter::TakeQuoted(std::string_view bytes, char quote)
{
    std::size_t i = 0;
    if (m_escape) {
        // The escaped byte, whatever it is, belongs to the text.
        m_escape = false;
        i = 1;
    }
    const ByteSet& stops = quote == '\'' ? kSingleQuotedStops : (quote == '"' ? kDoubleQuotedStops : kBackQuotedStops);
    i = Skip(bytes, i, stops);
    if (i < bytes.size()) {
        if (bytes[i] == '\\')
            m_escape = true;
        else
            m_lexer = Lexer::Code; // a doubled quote opens the text again at the next byte
        ++i;
    }
    Append(bytes.substr(0, i));
    return i;
}

std::size_t SqlSplitter::TakeBlockComment(std::string_view bytes, bool keep)
{
    if (m_star) {
        m_star = false;
        if (bytes.front() == '/') {
            m_lexer = Lexer::Code;
            if (keep)
                Append(bytes.substr(0, 1));
            return 1;
        }
    }
    std::size_t i = Skip(bytes, 0, kCommentStops);
    if (i == 0) {
        if (IsLineEnd(bytes.front()))
            return 0;
        m_star = true;
        i = 1;
    }
    if (keep)
        Append(bytes.substr(0, i));
    return i;
}

std::size_t SqlSplitter::TakeDiscarded(std::string_view bytes)
{
    if (m_lexer == Lexer::BlockComment)
        return TakeBlockComment(bytes, false);
    if (m_lexer == Lexer::LineComment)
        return ToLineEnd(bytes);
    // Quotes are not followed here: only a comment that goes past the line end matters.
    const char first = bytes.front();
    if (m_slash && first == '*') {
        m_slash = false;
        m_lexer = Lexer::BlockComment;
        return 1;
    }
    if (m_dashes > 0 && first == '-') {
        m_dashes = 0;
        m_lexer = Lexer::LineComment;
        return 1;
    }
    m_slash = false;
    m_dashes = 0;
    const std::size_t run = Skip(bytes, 0, kDiscardedStops);
    if (run > 0)
        return run;
    switch (first) {
    case '\r':
    case '\n':
        return 0;
    case '/':
        m_slash = true;
        break;
    case '-':
        m_dashes = 1;
        break;
    case '#':
        m_lexer = Lexer::LineComment;
        break;
    default:
        break;
    }
    return 1;
}

std::size_t SqlSplitter::TakeKeyword(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size() && !IsLineEnd(bytes[i])) {
        const std::size_t held = m_statement.size();
        const char c = bytes[i];
        const bool fits = held < kKeyword.size() ? Lower(c) == kKeyword[held] : (c == ' ' || c == '\t');
        if (!fits) {
            KeywordIsStatement();
            return i + TakeStatement(bytes.substr(i));
        }
        m_statement += c;
        ++i;
        if (held == kKeyword.size()) {
            m_state = State::Command;
            return i;
        }
    }
    return i;
}

std::size_t SqlSplitter::TakeCommand(std::string_view bytes)
{
    const std::size_t i = ToLineEnd(bytes);
    Append(bytes.substr(0, i));
    return i;
}

void SqlSplitter::KeywordIsStatement()
{
    std::string held;
    held.swap(m_statement);
    m_state = State::Statement;
    m_lexer = Lexer::Code;
    std::size_t done = 0;
    while (done < held.size())
        done += TakeStatement(std::string_view(held).substr(done));
}

void SqlSplitter::TakeDelimiterLine()
{
    std::size_t from = kKeyword.size();
    while (from < m_statement.size() && IsBlank(m_statement[from]))
        ++from;
    std::size_t to = from;
    while (to < m_statement.size() && !IsBlank(m_statement[to]))
        ++to;
    // "DELIMITER" with nothing after it changes nothing.
    if (to > from)
        m_delimiter = m_statement.substr(from, to - from);
    m_statement.clear();
    m_state = State::Blank;
}

bool SqlSplitter::EndLine(char lineEnd, std::string& statement)
{
    switch (m_state) {
    case State::Blank:
        return false;
    case State::Discarded:
        m_slash = m_star = false;
        m_dashes = 0;
        // A comment that opened on a thrown-away line is thrown away up to its end.
        if (m_lexer != Lexer::BlockComment) {
            m_lexer = Lexer::Code;
            m_state = State::Blank;
        }
        return false;
    case State::Keyword:
        if (IsKeywordAlone(m_statement)) {
            m_statement.clear();
            m_state = State::Blank;
            return false;
        }
        KeywordIsStatement();
        return EndStatementLine(lineEnd, statement);
    case State::Command:
        TakeDelimiterLine();
        return false;
    case State::Statement:
        return EndStatementLine(lineEnd, statement);
    }
    return false;
}

bool SqlSplitter::EndStatementLine(char lineEnd, std::string& statement)
{
    m_slash = m_star = false;
    if (m_dashes == 2 && m_lexer == Lexer::Code) {
        m_statement.resize(m_statement.size() - 2);
        m_lineHadComment = true;
    }
    m_dashes = 0;
    if (m_lexer == Lexer::LineComment)
        m_lexer = Lexer::Code;
    const bool commented = m_lineHadComment;
    m_lineHadComment = false;
    const bool keepLineEnds = m_delimiter != ";";
    if (m_lexer == Lexer::Code) {
        // The last character counts as it is, trailing blanks included ("SELECT 1; " goes
        // on), unless a comment was left out after them.
        std::string_view text = m_statement;
        while (commented && !text.empty() && IsBlank(text.back()))
            text.remove_suffix(1);
        if (EndsWith(text, m_delimiter)) {
            m_statement.resize(text.size());
            if (keepLineEnds) {
                m_statement.resize(text.size() - m_delimiter.size());
                TrimEnd(m_statement, true);
            }
            return GiveStatement(statement);
        }
    }
    if (keepLineEnds)
        Append(std::string_view(&lineEnd, 1));
    return false;
}

bool SqlSplitter::GiveStatement(std::string& statement)
{
    m_state = State::Blank;
    m_lexer = Lexer::Code;
    statement.swap(m_statement);
    m_statement.clear();
    return !statement.empty();
}

void SqlSplitter::Append(std::string_view bytes)
{
    if (m_statement.size() + bytes.size() > m_limit) {
        m_tooLong = true;
        std::string().swap(m_statement);
        return;
    }
    m_statement.append(bytes);
}

void SqlSplitter::Reset()
{
    m_input = {};
    m_position = 0;
    m_state = State::Blank;
    m_lexer = Lexer::Code;
    m_slash = m_star = m_escape = m_lineHadComment = m_tooLong = false;
    m_dashes = 0;
    m_delimiter.assign(1, ';'); // not = ";", which GCC 12 at -O2 takes for an overlapping copy
    m_statement.clear();
}

bool SqlSplitter::Finish(std::string& statement)
{
    if (m_state == State::Keyword) {
        if (IsKeywordAlone(m_statement))
            m_statement.clear();
        else
            KeywordIsStatement();
    }
    const bool open = m_state == State::Statement && !m_tooLong;
    if (open && m_lexer == Lexer::Code && m_dashes == 2)
        m_statement.resize(m_statement.size() - 2);
    std::string text;
    text.swap(m_statement);
    const std::string delimiter = m_delimiter;
    Reset();
    if (!open)
        return false;
    if (delimiter == ";") {
        TrimEnd(text, false);
        if (text.back() != ';')
            text += ';';
    } else {
        TrimEnd(text, true);
        if (EndsWith(text, delimiter)) {
            text.resize(text.size() - delimiter.size());
            TrimEnd(text, true);
        }
        if (text.empty())
            return false;
    }
    statement.swap(text);
    return true;
}

void SplitScript(std::string_view text, std::vector<std::string>& statements)
{
    SqlSplitter splitter;
    splitter.Feed(text);
    std::string statement;
    while (splitter.Next(statement))
        statements.push_back(std::move(statement));
    if (splitter.Finish(statement))
        statements.push_back(std::move(statement));
}

} // namespace kelvanto
