#pragma once

#include <string>
#include <string_view>

namespace kelvanto
{

// A name as statements carry it: "`" + name + "`" with every backquote inside doubled when
// quoting is on, the bare name otherwise.
std::string QuoteName(std::string_view name, bool quoting);

// The text to put between the apostrophes of LIKE '...' so that it matches exactly the
// given name: apostrophes and backslashes are escaped, and so are the wildcards _ and %.
std::string LikeLiteral(std::string_view name);

} // namespace kelvanto
