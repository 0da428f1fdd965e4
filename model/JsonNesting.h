#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace kelvanto
{

// The deepest nesting of arrays and objects that the program takes from any JSON text: a
// task, the extras file, a request on the control socket, a backup's manifest. Far above
// what any of them holds (a task nests six levels), and far below what would overflow the
// stack in the recursive copies, comparisons and dumps of a parsed document.
inline constexpr std::size_t kMaxJsonDepth = 64;

// The byte offset of the bracket that opens the (limit + 1)-th nested array or object of a
// JSON text, found without parsing it; nullopt when the text never nests deeper than limit.
// Brackets inside strings do not count. A text that is not JSON is scanned all the same:
// the parser refuses it afterwards.
std::optional<std::size_t> JsonNestedBeyond(std::string_view text, std::size_t limit);

} // namespace kelvanto
