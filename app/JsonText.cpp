#include "app/JsonText.h"

namespace kelvanto
{

namespace
{

std::string ToHex(std::string_view bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 0x0f];
    }
    return hex;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

Json TextToJson(const std::string& bytes)
{
    if (IsValidUtf8(bytes))
        return bytes;
    return Json {{"hex", ToHex(bytes)}};
}

bool TextFromJson(const Json& value, const std::string& path, std::string& bytes, std::string* problem)
{
    if (value.is_string()) {
        bytes = value.get<std::string>();
        return true;
    }
    if (!value.is_object() || value.size() != 1 || !value.contains("hex") || !value["hex"].is_string()) {
        *problem = path + ": must be a text or {\"hex\": \"...\"}";
        return false;
    }
    const auto& hex = value["hex"].get_ref<const std::string&>();
    if (hex.size() % 2 != 0) {
        *problem = path + ".hex: must hold an even number of hexadecimal digits";
        return false;
    }
    std::string decoded;
    decoded.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexDigit(hex[i]);
        const int low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0) {
            *problem = path + ".hex: must hold hexadecimal digits only";
            return false;
        }
        decoded += static_cast<char>(high * 16 + low);
    }
    bytes = std::move(decoded);
    return true;
}

std::string JsonDepthFault(std::string_view text, std::size_t maxDepth)
{
    const auto beyond = JsonNestedBeyond(text, maxDepth);
    if (!beyond)
        return {};
    return "arrays and objects nested deeper than " + std::to_string(maxDepth) + " levels (at byte "
        + std::to_string(*beyond) + ")";
}

Result<Json> ParseJson(std::string_view text, std::size_t maxDepth)
{
    if (std::string fault = JsonDepthFault(text, maxDepth); !fault.empty())
        return Error {std::move(fault)};
    try {
        return Json::parse(text.begin(), text.end());
    } catch (const Json::exception& e) {
        return Error {std::string("not valid JSON: ") + e.what()};
    }
}

std::string TextOf(const Json& value)
{
    std::string bytes;
    std::string problem;
    (void)TextFromJson(value, "", bytes, &problem);
    return bytes;
}

bool IsValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        auto c = static_cast<unsigned char>(bytes[i]);
        std::size_t more;
        unsigned lowest, cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            more = 1, lowest = 0x80, cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2, lowest = 0x800, cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3, lowest = 0x10000, cp = c & 0x07;
        } else {
            return false;
        }
        if (bytes.size() - i <= more)
            return false;
        for (std::size_t k = 1; k <= more; ++k) {
            auto d = static_cast<unsigned char>(bytes[i + k]);
            if ((d & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (cp < lowest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += more + 1;
    }
    return true;
}

} // namespace kelvanto
