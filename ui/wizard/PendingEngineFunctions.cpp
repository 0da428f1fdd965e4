// STAND-IN, TO BE REPLACED: see PendingEngineFunctions.h.
#include "ui/wizard/PendingEngineFunctions.h"

#include <utility>

namespace kelvanto
{

std::string ConvertTypedEscapes(std::string_view typed)
{
    static constexpr std::pair<char, char> kEscapes[] = {{'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'},
        {'r', '\r'}, {'t', '\t'}, {'v', '\v'}, {'\'', '\''}, {'"', '"'}, {'\\', '\\'}, {'?', '?'}};
    std::string text(typed);
    for (const auto& [letter, character] : kEscapes) {
        const std::string sequence {'\\', letter};
        std::string out;
        std::size_t from = 0;
        for (std::size_t at = text.find(sequence); at != std::string::npos; at = text.find(sequence, from)) {
            out.append(text, from, at - from);
            out += character;
            from = at + 2;
        }
        out.append(text, from);
        text = std::move(out);
    }
    return text;
}

} // namespace kelvanto
