#include "mysql/SqlNames.h"

namespace kelvanto
{

namespace
{

// A name that the server reads the same bare: letters, digits, '_', '$' and bytes above
// 127, not all digits.
bool IsPlainName(std::string_view name)
{
    bool digitsOnly = true;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const bool digit = byte >= '0' && byte <= '9';
        const bool other
            = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || c == '_' || c == '$' || byte > 127;
        if (!digit && !other)
            return false;
        digitsOnly = digitsOnly && digit;
    }
    return !name.empty() && !digitsOnly;
}

} // namespace

std::string QuoteName(std::string_view name, bool quoting)
{
    if (!quoting && IsPlainName(name))
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
