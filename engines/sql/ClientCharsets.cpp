#include "engines/sql/ClientCharsets.h"

#include <array>

namespace kelvanto
{

namespace
{

using Encoding = ClientCharset::Encoding;
using Bytes = ClientCharset::Bytes;

// The character sets of MariaDB 10.11, as its client names them.
constexpr std::array kCharsets = {
    ClientCharset {"armscii8", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"ascii", Encoding::SingleByte, Bytes::Ascii},
    ClientCharset {"big5", Encoding::Big5, Bytes::Other},
    ClientCharset {"binary", Encoding::SingleByte, Bytes::Ascii},
    ClientCharset {"cp1250", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"cp1251", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"cp1256", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"cp1257", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"cp850", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"cp852", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"cp866", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"cp932", Encoding::ShiftJis, Bytes::Other},
    ClientCharset {"dec8", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"eucjpms", Encoding::EucJp, Bytes::Other},
    ClientCharset {"euckr", Encoding::EucKr, Bytes::Other},
    ClientCharset {"gb2312", Encoding::Gb2312, Bytes::Other},
    ClientCharset {"gbk", Encoding::Gbk, Bytes::Other},
    ClientCharset {"geostd8", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"greek", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"hebrew", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"hp8", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"keybcs2", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"koi8r", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"koi8u", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"latin1", Encoding::SingleByte, Bytes::Latin1},
    ClientCharset {"latin2", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"latin5", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"latin7", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"macce", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"macroman", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"sjis", Encoding::ShiftJis, Bytes::Other},
    ClientCharset {"swe7", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"tis620", Encoding::SingleByte, Bytes::Other},
    ClientCharset {"ucs2", Encoding::Wide, Bytes::Other},
    ClientCharset {"ujis", Encoding::EucJp, Bytes::Other},
    ClientCharset {"utf16", Encoding::Wide, Bytes::Other},
    ClientCharset {"utf16le", Encoding::Wide, Bytes::Other},
    ClientCharset {"utf32", Encoding::Wide, Bytes::Other},
    ClientCharset {"utf8mb3", Encoding::Utf8Mb3, Bytes::Utf8},
    ClientCharset {"utf8mb4", Encoding::Utf8Mb4, Bytes::Utf8},
};

constexpr std::size_t kUtf8Mb3 = kCharsets.size() - 2;
constexpr std::size_t kUtf8Mb4 = kCharsets.size() - 1;

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    }
    return true;
}

bool Between(unsigned char byte, unsigned char low, unsigned char high)
{
    return byte >= low && byte <= high;
}

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// A UTF-8 sequence as MariaDB checks it: no overlong form; code points above U+FFFF only in
// utf8mb4, and none above U+10FFFF. Surrogates pass.
std::size_t Utf8Length(std::string_view bytes, bool fourBytes)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char first = at(0);
    if (first < 0xC2)
        return 0;
    if (first < 0xE0)
        return bytes.size() >= 2 && IsContinuation(at(1)) ? 2 : 0;
    if (first < 0xF0) {
        const bool valid
            = bytes.size() >= 3 && IsContinuation(at(1)) && IsContinuation(at(2)) && (first >= 0xE1 || at(1) >= 0xA0);
        return valid ? 3 : 0;
    }
    if (!fourBytes || first > 0xF4)
        return 0;
    const bool valid = bytes.size() >= 4 && IsContinuation(at(1)) && IsContinuation(at(2)) && IsContinuation(at(3))
        && (first >= 0xF1 || at(1) >= 0x90) && (first <= 0xF3 || at(1) <= 0x8F);
    return valid ? 4 : 0;
}

// Two bytes: a first byte in `head` and a second in `tail`.
template <class Head, class Tail>
std::size_t PairLength(std::string_view bytes, Head head, Tail tail)
{
    return bytes.size() >= 2 && head(static_cast<unsigned char>(bytes[0])) && tail(static_cast<unsigned char>(bytes[1]))
        ? 2
        : 0;
}

std::size_t EucJpLength(std::string_view bytes)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const auto isEuc = [](unsigned char b) { return Between(b, 0xA1, 0xFE); };
    if (bytes.size() >= 2 && isEuc(at(0)) && isEuc(at(1)))
        return 2;
    if (bytes.size() >= 2 && at(0) == 0x8E && Between(at(1), 0xA1, 0xDF))
        return 2;
    if (bytes.size() >= 3 && at(0) == 0x8F && isEuc(at(1)) && isEuc(at(2)))
        return 3;
    return 0;
}

} // namespace

const ClientCharset* FindClientCharset(std::string_view name)
{
    if (SameName(name, "utf8"))
        return &kCharsets[kUtf8Mb3];
    for (const ClientCharset& charset : kCharsets) {
        if (SameName(name, charset.name))
            return &charset;
    }
    return nullptr;
}

const ClientCharset& DefaultClientCharset()
{
    return kCharsets[kUtf8Mb4];
}

bool IsClientBlank(const ClientCharset& charset, unsigned char byte)
{
    if (byte == ' ' || Between(byte, '\t', '\r'))
        return true;
    return charset.bytes == Bytes::Latin1 && byte == 0xA0;
}

bool IsClientPrintable(const ClientCharset& charset, unsigned char byte)
{
    if (byte < 0x80)
        return byte > ' ' && byte != 0x7F;
    switch (charset.bytes) {
    case Bytes::Latin1:
        return byte != 0x81 && byte != 0x8D && byte != 0x8F && byte != 0x90 && byte != 0x9D && byte != 0xA0;
    case Bytes::Utf8:
        return byte != 0xFF;
    case Bytes::Ascii:
        return false;
    case Bytes::Other:
        break;
    }
    return true;
}

bool HasAsciiTrailBytes(const ClientCharset& charset)
{
    switch (charset.encoding) {
    case Encoding::ShiftJis:
    case Encoding::Big5:
    case Encoding::Gbk:
    case Encoding::EucKr:
        return true;
    default:
        return false;
    }
}

std::size_t MultiByteLength(const ClientCharset& charset, std::string_view bytes)
{
    if (bytes.empty() || static_cast<unsigned char>(bytes[0]) < 0x80)
        return 0;
    switch (charset.encoding) {
    case Encoding::SingleByte:
    case Encoding::Wide:
        return 0;
    case Encoding::Utf8Mb3:
        return Utf8Length(bytes, false);
    case Encoding::Utf8Mb4:
        return Utf8Length(bytes, true);
    case Encoding::ShiftJis:
        return PairLength(
            bytes, [](unsigned char b) { return Between(b, 0x81, 0x9F) || Between(b, 0xE0, 0xFC); },
            [](unsigned char b) { return Between(b, 0x40, 0x7E) || Between(b, 0x80, 0xFC); });
    case Encoding::Big5:
        return PairLength(
            bytes, [](unsigned char b) { return Between(b, 0xA1, 0xF9); },
            [](unsigned char b) { return Between(b, 0x40, 0x7E) || Between(b, 0xA1, 0xFE); });
    case Encoding::Gbk:
        return PairLength(
            bytes, [](unsigned char b) { return Between(b, 0x81, 0xFE); },
            [](unsigned char b) { return Between(b, 0x40, 0x7E) || Between(b, 0x80, 0xFE); });
    case Encoding::Gb2312:
        return PairLength(
            bytes, [](unsigned char b) { return Between(b, 0xA1, 0xF7); },
            [](unsigned char b) { return Between(b, 0xA1, 0xFE); });
    case Encoding::EucKr:
        return PairLength(
            bytes, [](unsigned char b) { return Between(b, 0x81, 0xFE); },
            [](unsigned char b) { return Between(b, 0x41, 0x5A) || Between(b, 0x61, 0x7A) || Between(b, 0x81, 0xFE); });
    case Encoding::EucJp:
        return EucJpLength(bytes);
    }
    return 0;
}

} // namespace kelvanto
