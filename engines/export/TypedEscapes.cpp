#include "engines/export/TypedEscapes.h"

#include <utility>

namespace kelvanto
{

std::string ConvertTypedEscapes(std::string_view typed)
{
    static constexpr std::pair<char, char> kSequences[] = {
        {'a', '\a'},
        {'b', '\b'},
        {'f', '\f'},
        {'n', '\n'},
        {'r', '\r'},
        {'t', '\t'},
        {'v', '\v'},
        {'\'', '\''},
        {'"', '"'},
        {'\\', '\\'},
        {'?', '?'},
    };
    std::string text(typed);
    for (const auto& [letter, character] : kSequences) {
        std::string replaced;
        replaced.reserve(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == letter) {
                replaced += character;
                ++i;
            } else {
                replaced += text[i];
            }
        }
        text = std::move(replaced);
    }
    return text;
}

} // namespace kelvanto
