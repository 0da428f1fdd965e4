#pragma once

#include <string>
#include <string_view>

namespace kelvanto
{

// The four CSV/TEXT strings of an export task (field separator, enclosure, escape text and
// line terminator) as they are stored, from the text the user typed: the two-character
// sequences \a \b \f \n \r \t \v \' \" \\ \? become the characters they name. Each
// sequence is replaced throughout the whole string, in that order, before the next one is
// looked for (so "\\n" becomes a backslash and a line feed, as the export page always did).
std::string ConvertTypedEscapes(std::string_view typed);

} // namespace kelvanto
