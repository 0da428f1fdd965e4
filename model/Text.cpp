#include "model/Text.h"

namespace kelvanto
{

std::string_view TrimBlanks(std::string_view text)
{
    constexpr std::string_view blanks = " \t\r\n\v\f";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

std::string CleanNameForFile(std::string_view name)
{
    constexpr std::string_view forbidden = "\r\n\t\\/:*?\"<>|";
    std::string cleaned;
    cleaned.reserve(name.size());
    for (char c : name) {
        // NUL too: the name would end there when it is opened.
        if (c != '\0' && forbidden.find(c) == std::string_view::npos)
            cleaned += c;
    }
    return std::string(TrimBlanks(cleaned));
}

} // namespace kelvanto
