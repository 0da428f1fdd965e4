#include "mysql/RealEscape.h"

#include <mysql.h>

#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kelvanto
{

namespace
{

// What each byte below 0x80 becomes after the escape character: 0 when it is written as it
// is, else the letter. Without backslash escapes only the apostrophe is escaped, by doubling.
using ByteRules = std::array<char, 128>;

constexpr ByteRules MakeRules(bool quotesOnly)
{
    ByteRules rules {};
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

// The first byte from `i` that is escaped, or (with `highBytes`) from 0x80 up; `size` when
// there is none.
std::size_t NextSpecial(const unsigned char* bytes, std::size_t i, std::size_t size, bool quotesOnly, bool highBytes)
{
#if defined(__SSE2__)
    // Sixteen bytes at a time: the clean text between special bytes is most of a dump.
    const __m128i apostrophe = _mm_set1_epi8('\'');
    const __m128i nul = _mm_setzero_si128();
    const __m128i lineFeed = _mm_set1_epi8('\n');
    const __m128i carriageReturn = _mm_set1_epi8('\r');
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i doubleQuote = _mm_set1_epi8('"');
    const __m128i controlZ = _mm_set1_epi8('\032');
    for (; i + 16 <= size; i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        __m128i hits = _mm_cmpeq_epi8(block, apostrophe);
        if (!quotesOnly) {
            hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, nul));
            hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, lineFeed));
            hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, carriageReturn));
            hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, backslash));
            hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, doubleQuote));
            hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, controlZ));
        }
        // The high bit of each byte marks the bytes from 0x80 up.
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        if (highBytes)
            mask |= static_cast<unsigned>(_mm_movemask_epi8(block));
        if (mask != 0)
            return i + static_cast<unsigned>(__builtin_ctz(mask));
    }
#endif
    const ByteRules& rules = quotesOnly ? kQuoteRules : kBackslashRules;
    while (i < size && (bytes[i] < 0x80 ? rules[bytes[i]] == 0 : !highBytes))
        ++i;
    return i;
}

bool Continuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the UTF-8 character of at most `longest` bytes that starts at bytes[i] as
// the library tells characters apart (no overlong forms, nothing above U+10FFFF; encoded
// surrogates pass); 0 when there is none. The library copies such a character whole.
std::size_t Utf8CharacterAt(const unsigned char* bytes, std::size_t i, std::size_t size, unsigned longest)
{
    const unsigned char lead = bytes[i];
    const std::size_t left = size - i;
    if (lead >= 0xC2 && lead <= 0xDF)
        return left >= 2 && Continuation(bytes[i + 1]) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (longest < 3 || left < 3 || !Continuation(bytes[i + 1]) || !Continuation(bytes[i + 2]))
            return 0;
        return lead == 0xE0 && bytes[i + 1] < 0xA0 ? 0 : 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (longest < 4 || left < 4 || !Continuation(bytes[i + 1]) || !Continuation(bytes[i + 2])
            || !Continuation(bytes[i + 3]))
            return 0;
        const unsigned char second = bytes[i + 1];
        if ((lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
            return 0;
        return 4;
    }
    return 0;
}

// Whether the library puts a backslash before a byte from 0x80 up that starts no character.
// It does so for a byte that announces a character of two or more bytes, asking the character
// set with the byte as a plain char: where char is signed the answer is "none" for every such
// byte, and every byte from 0x80 up is copied. Which of the two applies is asked of the
// library once per character set (with backslash escapes on, the only mode that asks).
bool LibraryEscapesStrayBytes(st_mysql* handle)
{
    thread_local const MARIADB_CHARSET_INFO* asked = nullptr;
    thread_local bool escapes = false;
    if (handle->charset != asked) {
        char escaped[4] = {};
        escapes = mysql_real_escape_string(handle, escaped, "\xC3", 1) == 2;
        asked = handle->charset;
    }
    return escapes;
}

// The stray bytes that such a library escapes: those that announce a longer character.
bool StrayByteEscaped(unsigned char byte, unsigned longest)
{
    return byte >= 0xC2 && byte < (longest >= 4 ? 0xF8 : 0xF0);
}

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

bool IsUtf8(const MARIADB_CHARSET_INFO* charset)
{
    const char* name = charset->csname;
    return name != nullptr && name[0] == 'u' && name[1] == 't' && name[2] == 'f' && name[3] == '8';
}

} // namespace

void AppendRealEscaped(st_mysql* handle, std::string& out, std::string_view value)
{
    const MARIADB_CHARSET_INFO* charset = handle->charset;
    const bool singleByte = charset == nullptr || charset->char_maxlen <= 1;
    if (!singleByte && !IsUtf8(charset)) {
        AppendLibraryEscaped(handle, out, value);
        return;
    }
    const bool quotesOnly = (handle->server_status & SERVER_STATUS_NO_BACKSLASH_ESCAPES) != 0;
    // High bytes are never special in a single-byte character set, nor without backslash
    // escapes (the library copies them whether they form characters or not), nor where the
    // library copies stray bytes too.
    const bool highBytesPlain = singleByte || quotesOnly || !LibraryEscapesStrayBytes(handle);
    const unsigned longest = singleByte ? 1 : charset->char_maxlen;
    const ByteRules& rules = quotesOnly ? kQuoteRules : kBackslashRules;
    const char escape = quotesOnly ? '\'' : '\\';
    const auto* const bytes = reinterpret_cast<const unsigned char*>(value.data());
    const std::size_t size = value.size();
    std::size_t plain = 0; // the start of the bytes not yet appended
    std::size_t i = 0;
    for (;;) {
        i = NextSpecial(bytes, i, size, quotesOnly, !highBytesPlain);
        if (i == size)
            break;
        if (bytes[i] < 0x80) {
            out.append(value.data() + plain, i - plain);
            out += escape;
            out += rules[bytes[i]];
            plain = ++i;
            continue;
        }
        if (const std::size_t length = Utf8CharacterAt(bytes, i, size, longest)) {
            i += length;
            continue;
        }
        if (StrayByteEscaped(bytes[i], longest)) {
            out.append(value.data() + plain, i - plain);
            out += '\\';
            plain = i;
        }
        ++i;
    }
    out.append(value.data() + plain, size - plain);
}

} // namespace kelvanto
