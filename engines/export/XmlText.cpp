#include "engines/export/XmlText.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstdint>

namespace kelvanto
{

namespace
{

// Decodes the character at text[at] and moves `at` past it; false for malformed UTF-8.
bool NextCodePoint(std::string_view text, std::size_t& at, char32_t& code)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        code = lead;
        ++at;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, min = 0x10000;
    } else {
        return false;
    }
    if (text.size() - at < length)
        return false;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return false;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    at += length;
    return code >= min && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
}

bool IsXmlChar(char32_t code)
{
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF)
        || (code >= 0xE000 && code <= 0xFFFD) || code >= 0x10000;
}

// XML 1.0 (fifth edition) NameStartChar and NameChar, without ":".
bool IsNameStart(char32_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || (c >= 0xC0 && c <= 0xD6)
        || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D)
        || (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F)
        || (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF)
        || (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool IsNameChar(char32_t c)
{
    return IsNameStart(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 || (c >= 0x300 && c <= 0x36F)
        || (c >= 0x203F && c <= 0x2040);
}

} // namespace

bool XmlCanCarry(std::string_view text)
{
    std::size_t at = 0;
    char32_t code = 0;
    while (at < text.size()) {
        if (!NextCodePoint(text, at, code) || !IsXmlChar(code))
            return false;
    }
    return true;
}

bool IsXmlName(std::string_view name)
{
    std::size_t at = 0;
    char32_t code = 0;
    bool first = true;
    while (at < name.size()) {
        if (!NextCodePoint(name, at, code) || !(first ? IsNameStart(code) : IsNameChar(code)))
            return false;
        first = false;
    }
    return !first;
}

void AppendXmlAttributeText(std::string& out, std::string_view text)
{
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\t':
            out += "&#9;";
            break;
        case '\n':
            out += "&#10;";
            break;
        case '\r':
            out += "&#13;";
            break;
        default:
            out += c;
        }
    }
}

void AppendBase64(std::string& out, std::string_view bytes)
{
    // EVP_EncodeBlock takes an int length: encode in pieces whose size is a multiple of 3.
    constexpr std::size_t kPiece = 3 * 1024 * 1024;
    for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
        const std::size_t size = std::min(kPiece, bytes.size() - at);
        const std::size_t start = out.size();
        out.resize(start + 4 * ((size + 2) / 3) + 1);
        const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data() + start),
            reinterpret_cast<const unsigned char*>(bytes.data() + at), static_cast<int>(size));
        out.resize(start + static_cast<std::size_t>(written));
    }
}

} // namespace kelvanto
