#include "engines/sql/StoredObjectReferences.h"

#include "engines/sql/StoredObject.h"

#include <cctype>

namespace kelvanto
{

namespace
{

struct Token
{
    enum class Kind : unsigned char {
        Plain, // an unquoted name or keyword
        Quoted, // a quoted name, its text as the server reads it
        Dot,
        Other, // a number, an operator, a string literal, ...
    };
    Kind kind = Kind::Other;
    std::string text;

    bool IsName() const { return kind == Kind::Plain || kind == Kind::Quoted; }
    bool IsKeyword(std::string_view keyword) const;
};

bool UpperEquals(std::string_view text, std::string_view upper)
{
    if (text.size() != upper.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) != upper[i])
            return false;
    }
    return true;
}

bool Token::IsKeyword(std::string_view keyword) const
{
    return kind == Kind::Plain && UpperEquals(text, keyword);
}

bool IsNameByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return std::isalnum(byte) || c == '_' || c == '$' || byte >= 0x80;
}

// Cuts SQL text into the tokens that matter for names, leaving out blanks, comments,
// string literals and variables.
class Lexer
{
public:
    Lexer(std::string_view text, DefinitionQuoting quoting)
        : m_text(text)
        , m_quoting(quoting)
    { }

    std::vector<Token> Tokens()
    {
        std::vector<Token> tokens;
        while (m_at < m_text.size()) {
            const char c = m_text[m_at];
            const std::string_view rest = m_text.substr(m_at);
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++m_at;
            } else if (rest.starts_with("/*!") || rest.starts_with("/*M!")) {
                // The text of a version comment is the server's to run.
                m_at += rest.starts_with("/*!") ? 3 : 4;
                while (m_at < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[m_at])))
                    ++m_at;
            } else if (rest.starts_with("*/")) {
                m_at += 2; // the end of a version comment
            } else if (rest.starts_with("/*")) {
                SkipPast("*/");
            } else if (c == '#'
                || (rest.starts_with("--") && (rest.size() == 2 || static_cast<unsigned char>(rest[2]) <= ' '))) {
                SkipPast("\n");
            } else if (c == '`' || (c == '"' && m_quoting.ansiQuotes)) {
                tokens.push_back({Token::Kind::Quoted, QuotedName(c)});
            } else if (c == '\'' || c == '"') {
                SkipString(c);
                tokens.push_back({Token::Kind::Other, {}});
            } else if (c == '@') {
                SkipVariable();
                tokens.push_back({Token::Kind::Other, {}});
            } else if (c == '.') {
                ++m_at;
                tokens.push_back({Token::Kind::Dot, {}});
            } else if (IsNameByte(c)) {
                const std::size_t start = m_at;
                bool digits = true;
                for (; m_at < m_text.size() && IsNameByte(m_text[m_at]); ++m_at)
                    digits = digits && std::isdigit(static_cast<unsigned char>(m_text[m_at]));
                // A name may begin with a digit, but digits alone are a number.
                tokens.push_back({digits ? Token::Kind::Other : Token::Kind::Plain,
                    std::string(m_text.substr(start, m_at - start))});
            } else {
                ++m_at;
                tokens.push_back({Token::Kind::Other, std::string(1, c)});
            }
        }
        return tokens;
    }

private:
    void SkipPast(std::string_view end)
    {
        const std::size_t found = m_text.find(end, m_at);
        m_at = found == std::string_view::npos ? m_text.size() : found + end.size();
    }

    // A quoted name from its opening quote on; the doubled quote is one.
    std::string QuotedName(char quote)
    {
        std::string name;
        for (++m_at; m_at < m_text.size(); ++m_at) {
            if (m_text[m_at] != quote) {
                name += m_text[m_at];
            } else if (m_at + 1 < m_text.size() && m_text[m_at + 1] == quote) {
                name += quote;
                ++m_at;
            } else {
                ++m_at;
                break;
            }
        }
        return name;
    }

    void SkipString(char quote)
    {
        for (++m_at; m_at < m_text.size(); ++m_at) {
            const char c = m_text[m_at];
            if (c == '\\' && m_quoting.backslashEscapes) {
                ++m_at;
            } else if (c == quote) {
                if (m_at + 1 < m_text.size() && m_text[m_at + 1] == quote) {
                    ++m_at;
                    continue;
                }
                ++m_at;
                return;
            }
        }
    }

    // "@name", "@'name'", "@@session.name": no database is named there.
    void SkipVariable()
    {
        ++m_at;
        if (m_at < m_text.size() && m_text[m_at] == '@')
            ++m_at;
        if (m_at < m_text.size() && (m_text[m_at] == '\'' || m_text[m_at] == '"' || m_text[m_at] == '`')) {
            SkipString(m_text[m_at]);
            return;
        }
        while (m_at < m_text.size() && (IsNameByte(m_text[m_at]) || m_text[m_at] == '.'))
            ++m_at;
    }

    std::string_view m_text;
    DefinitionQuoting m_quoting;
    std::size_t m_at = 0;
};

} // namespace

DefinitionQuoting DefinitionQuoting::ForSqlMode(std::string_view sqlMode)
{
    DefinitionQuoting quoting;
    for (std::size_t start = 0; start <= sqlMode.size();) {
        const std::size_t comma = std::min(sqlMode.find(',', start), sqlMode.size());
        const std::string_view mode = sqlMode.substr(start, comma - start);
        // ANSI stands for ANSI_QUOTES among others.
        if (UpperEquals(mode, "ANSI_QUOTES") || UpperEquals(mode, "ANSI"))
            quoting.ansiQuotes = true;
        if (UpperEquals(mode, "NO_BACKSLASH_ESCAPES"))
            quoting.backslashEscapes = false;
        start = comma + 1;
    }
    return quoting;
}

std::vector<std::string> DatabaseNamesIn(std::string_view definition, DefinitionQuoting quoting)
{
    const std::string text = StripDefiner(definition);
    const std::vector<Token> tokens = Lexer(text, quoting).Tokens();
    std::vector<std::string> names;
    bool afterDatabase = false; // DATABASE or SCHEMA came, and maybe IF [NOT] EXISTS
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        const bool qualifier = i + 1 < tokens.size() && tokens[i + 1].kind == Token::Kind::Dot;
        const bool laterPart = i > 0 && tokens[i - 1].kind == Token::Kind::Dot;
        const bool condition = token.IsKeyword("IF") || token.IsKeyword("NOT") || token.IsKeyword("EXISTS");
        if (token.IsName() && !laterPart && (qualifier || (afterDatabase && !condition)))
            names.push_back(token.text);
        if (token.IsKeyword("DATABASE") || token.IsKeyword("SCHEMA"))
            afterDatabase = true;
        else if (!(afterDatabase && condition))
            afterDatabase = false;
    }
    return names;
}

} // namespace kelvanto
