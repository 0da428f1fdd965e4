#include "mysql/RealEscape.h"

#include <mysql.h>

#include <array>
#include <cstring>

namespace kelvanto
{

namespace
{

// What each byte becomes after the escape character: 0 when it is written as it is, 1 for
// the bytes from 0x80 up (looked at in runs), else the letter. Without backslash escapes
// only the apostrophe is escaped, by doubling it.
constexpr char kHighByte = 1;
using ByteRules = std::array<char, 256>;

constexpr ByteRules MakeRules(bool quotesOnly)
{
    ByteRules rules {};
    for (int byte = 0x80; byte < 0x100; ++byte)
        rules[byte] = kHighByte;
    rules['\''] = '\'';
    if (quotesOnly)
        return rules;
    rules[0] = '0';
    rules['\n'] = 'n';
    rules['\r'] = 'r';
    rules['\\'] = '\\';
    rules['"'] = '"';
    rules['\032'] = 'Z';
    return rules;
}

constexpr ByteRules kBackslashRules = MakeRules(false);
constexpr ByteRules kQuoteRules = MakeRules(true);

// The library's own escaping of `value`, appended; false (nothing appended) when it refuses.
bool AppendLibraryEscaped(st_mysql* handle, std::string& out, std::string_view value)
{
    const std::size_t start = out.size();
    out.resize(start + value.size() * 2 + 1);
    const unsigned long written = mysql_real_escape_string(handle, out.data() + start, value.data(), value.size());
    // (unsigned long)-1 reports a character set the library cannot escape in.
    if (written == static_cast<unsigned long>(-1)) {
        out.resize(start);
        return false;
    }
    out.resize(start + written);
    return true;
}

bool AsciiNeverInsideCharacters(const MARIADB_CHARSET_INFO* charset)
{
    return charset == nullptr || charset->char_maxlen <= 1
        || (charset->csname != nullptr && std::strncmp(charset->csname, "utf8", 4) == 0);
}

} // namespace

void AppendRealEscaped(st_mysql* handle, std::string& out, std::string_view value)
{
    const MARIADB_CHARSET_INFO* charset = handle->charset;
    if (!AsciiNeverInsideCharacters(charset)) {
        AppendLibraryEscaped(handle, out, value);
        return;
    }
    const bool quotesOnly = (handle->server_status & SERVER_STATUS_NO_BACKSLASH_ESCAPES) != 0;
    const bool singleByte = charset == nullptr || charset->char_maxlen <= 1;
    // High bytes are never special in a single-byte character set, nor without backslash
    // escapes (the library copies them whether they form characters or not).
    const bool highBytesPlain = singleByte || quotesOnly;
    const ByteRules& rules = quotesOnly ? kQuoteRules : kBackslashRules;
    const char escape = quotesOnly ? '\'' : '\\';
    const std::size_t start = out.size();
    const auto* const bytes = reinterpret_cast<const unsigned char*>(value.data());
    const std::size_t size = value.size();
    std::size_t plain = 0; // the start of the bytes not yet appended
    std::size_t i = 0;
    for (;;) {
        while (i < size && rules[bytes[i]] == 0)
            ++i;
        if (i == size)
            break;
        const char rule = rules[bytes[i]];
        if (rule != kHighByte) {
            out.append(value.data() + plain, i - plain);
            out += escape;
            out += rule;
            plain = ++i;
            continue;
        }
        // A run of bytes from 0x80 up: whole characters, or stray bytes the library may escape.
        std::size_t end = i + 1;
        while (end < size && bytes[end] >= 0x80)
            ++end;
        if (!highBytesPlain) {
            out.append(value.data() + plain, i - plain);
            if (!AppendLibraryEscaped(handle, out, value.substr(i, end - i))) {
                out.resize(start);
                return;
            }
            plain = end;
        }
        i = end;
    }
    out.append(value.data() + plain, size - plain);
}

} // namespace kelvanto
