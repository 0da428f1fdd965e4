#pragma once

#include <cstddef>
#include <string_view>

namespace kelvanto
{

// A character set as the stock mariadb client takes it when it reads a script: which bytes are
// blanks (skipped before a statement), which are printable (a statement is sent without its
// trailing unprintable bytes), and how long a character of several bytes is (such a character
// is taken whole, so a second byte that looks like a quote or a backslash is part of it, and a
// character of several bytes does not take the blank that the client puts after a comment).
struct ClientCharset
{
    enum class Encoding : unsigned char {
        SingleByte,
        Utf8Mb3,
        Utf8Mb4,
        ShiftJis, // sjis, cp932
        Big5,
        Gbk,
        Gb2312,
        EucKr,
        EucJp, // ujis, eucjpms
        Wide, // ucs2, utf16, utf16le, utf32: the client refuses to switch to them
    };
    // Whose table of blanks and printable bytes the set has.
    enum class Bytes : unsigned char {
        Latin1, // 0xA0 is a blank; 0x81, 0x8D, 0x8F, 0x90, 0x9D and 0xA0 are not printable
        Utf8, // 0xFF is not printable
        Ascii, // no byte above 0x7F is printable
        Other, // every byte above 0x7F is printable, none is a blank
    };

    std::string_view name;
    Encoding encoding;
    Bytes bytes;
};

// The character set of that name (any letter case; "utf8" is utf8mb3); nullptr for a name the
// client does not know.
const ClientCharset* FindClientCharset(std::string_view name);

// utf8mb4, the set a text is read in when nothing else is known.
const ClientCharset& DefaultClientCharset();

bool IsClientBlank(const ClientCharset& charset, unsigned char byte);
bool IsClientPrintable(const ClientCharset& charset, unsigned char byte);

// Whether a byte of a multi-byte character other than its first can be below 0x80 (a quote, a
// backslash): the text must then be read character by character.
bool HasAsciiTrailBytes(const ClientCharset& charset);

// The length of the multi-byte character at the start of `bytes` (2 to 4), or 0 when the bytes
// there are not one (a single byte, or a sequence that the set does not take as a character).
// `bytes` may end early: a character cut by its end is not one.
std::size_t MultiByteLength(const ClientCharset& charset, std::string_view bytes);

// The most bytes MultiByteLength looks at.
constexpr std::size_t kLongestCharacter = 4;

} // namespace kelvanto
