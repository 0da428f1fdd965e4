#pragma once

// STAND-IN, TO BE REPLACED: the export engine's typed-escape conversion, which the export
// engine's branch is still building. This file and its .cpp are deleted when that branch is
// merged, and the export file page then includes the real header.

#include <string>
#include <string_view>

namespace kelvanto
{

// The four CSV/TEXT field texts as typed turned into the characters they denote (\a \b \f \n
// \r \t \v \' \" \\ \?, each replaced throughout the text in that order).
std::string ConvertTypedEscapes(std::string_view typed);

} // namespace kelvanto
