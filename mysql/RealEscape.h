#pragma once

#include <string>
#include <string_view>

struct st_mysql;

namespace kelvanto
{

// Appends `value` escaped exactly as mysql_real_escape_string escapes it on `handle` (its
// character set and its server's NO_BACKSLASH_ESCAPES status), without the library's call
// and its per-character work for the character sets that dumps use: in UTF-8 and single-byte
// character sets no byte below 0x80 is part of a longer character, so the text is scanned
// sixteen bytes at a time for the few bytes that are escaped, and UTF-8 characters are told
// apart by the library's own rules (a stray lead byte gets a backslash, as the library gives
// it). Other multi-byte character sets (whose characters may end in an apostrophe or a
// backslash byte) are escaped by the library; when it cannot escape in the character set,
// nothing is appended. `handle` needs no connection: only its character set and server
// status are read.
void AppendRealEscaped(st_mysql* handle, std::string& out, std::string_view value);

} // namespace kelvanto
