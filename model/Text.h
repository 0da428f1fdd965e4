#pragma once

#include <string>
#include <string_view>

namespace kelvanto
{

// The text without the white space (blank, tab, CR, LF, VT, FF) at both ends.
std::string_view TrimBlanks(std::string_view text);

// A name made fit for a file name: every NUL, CR, LF, tab, \ / : * ? " < > | removed, then
// trimmed. Task names (for log files) and backup file name parts are cleaned alike.
std::string CleanNameForFile(std::string_view name);

} // namespace kelvanto
