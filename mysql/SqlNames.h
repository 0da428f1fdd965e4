#pragma once

#include <string>
#include <string_view>

namespace kelvanto
{

// A name as statements carry it: "`" + name + "`" with every backquote inside doubled when
// quoting is on, the bare name otherwise. A name that would not be read back bare as itself
// (empty, all digits, or holding anything but letters, digits, '_', '$' and bytes above
// 127) is quoted whatever the setting, so that no name can add to a statement.
std::string QuoteName(std::string_view name, bool quoting);

// The text to put between the apostrophes of LIKE '...' so that it matches exactly the
// given name: apostrophes and backslashes are escaped, and so are the wildcards _ and %.
std::string LikeLiteral(std::string_view name);

} // namespace kelvanto
