#pragma once

#include <string>
#include <string_view>

struct st_mysql;

namespace kelvanto
{

// Appends `value` escaped exactly as mysql_real_escape_string escapes it on `handle` (its
// character set and its server's NO_BACKSLASH_ESCAPES status), without the library's cost
// per byte where that cannot change the result. In UTF-8 and single-byte character sets no
// byte below 0x80 is ever part of a longer character, so runs of such bytes are escaped
// here, and only the runs of bytes from 0x80 up go to the library; other multi-byte
// character sets (whose characters may end in an apostrophe or backslash byte) go to the
// library whole. When the library cannot escape in the character set, nothing is appended.
// `handle` needs no connection: only its character set and server status are read.
void AppendRealEscaped(st_mysql* handle, std::string& out, std::string_view value);

} // namespace kelvanto
