#include "mysql/SqlNames.h"

namespace kelvanto
{

std::string QuoteName(std::string_view name, bool quoting)
{
    if (!quoting)
        return std::string(name);
    std::string quoted;
    quoted.reserve(name.size() + 2);
    quoted += '`';
    for (char c : name) {
        quoted += c;
        if (c == '`')
            quoted += '`';
    }
    quoted += '`';
    return quoted;
}

std::string LikeLiteral(std::string_view name)
{
    std::string literal;
    literal.reserve(name.size() + 8);
    for (char c : name) {
        switch (c) {
        case '\\':
            // The pattern needs \\ for one backslash, and the string literal doubles each.
            literal += "\\\\\\\\";
            break;
        case '\'':
            // Doubled rather than backslashed, which holds under NO_BACKSLASH_ESCAPES too.
            literal += "''";
            break;
        case '_':
        case '%':
            literal += '\\';
            literal += c;
            break;
        default:
            literal += c;
        }
    }
    return literal;
}

} // namespace kelvanto
