#include "engines/SqlSplitter.h"

#include <cstring>

namespace kelvanto
{

namespace
{

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The position of the first `c` at or after `from`, or the input's size when there is none.
std::size_t Find(std::string_view input, std::size_t from, char c)
{
    const void* found = std::memchr(input.data() + from, c, input.size() - from);
    return found ? static_cast<std::size_t>(static_cast<const char*>(found) - input.data()) : input.size();
}

} // namespace

void SqlSplitter::Feed(std::string_view bytes)
{
    m_input = bytes;
    m_position = 0;
    m_nextCr = Find(m_input, 0, '\r');
    m_nextLf = Find(m_input, 0, '\n');
}

std::size_t SqlSplitter::NextLineEnd()
{
    if (m_nextCr < m_position)
        m_nextCr = Find(m_input, m_position, '\r');
    if (m_nextLf < m_position)
        m_nextLf = Find(m_input, m_position, '\n');
    return m_nextCr < m_nextLf ? m_nextCr : m_nextLf;
}

bool SqlSplitter::Next(std::string& statement)
{
    while (m_position < m_input.size()) {
        const std::size_t end = NextLineEnd();
        Take(m_input.substr(m_position, end - m_position));
        if (end == m_input.size()) {
            m_position = end;
            return false;
        }
        m_position = end + 1;
        if (EndLine(statement))
            return true;
    }
    return false;
}

void SqlSplitter::Take(std::string_view bytes)
{
    if (m_state == State::Blank) {
        std::size_t first = 0;
        while (first < bytes.size() && IsBlank(bytes[first]))
            ++first;
        if (first == bytes.size())
            return;
        bytes.remove_prefix(first);
        m_state = IsLetter(bytes.front()) ? State::Statement : State::Discarded;
    }
    if (m_state == State::Statement)
        m_statement.append(bytes);
}

bool SqlSplitter::EndLine(std::string& statement)
{
    if (m_state == State::Discarded) {
        m_state = State::Blank;
        return false;
    }
    // The last character counts as it is, trailing blanks included: "SELECT 1; " goes on.
    if (m_state != State::Statement || m_statement.back() != ';')
        return false;
    m_state = State::Blank;
    statement.swap(m_statement);
    m_statement.clear();
    return true;
}

bool SqlSplitter::Finish(std::string& statement)
{
    const bool open = m_state == State::Statement;
    m_state = State::Blank;
    m_input = {};
    m_position = m_nextCr = m_nextLf = 0;
    if (!open)
        return false;
    while (IsBlank(m_statement.back()))
        m_statement.pop_back();
    if (m_statement.back() != ';')
        m_statement += ';';
    statement.swap(m_statement);
    m_statement.clear();
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
