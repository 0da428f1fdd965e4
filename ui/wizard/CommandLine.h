#pragma once

#include "model/Result.h"

#include <QtGlobal>

#include <string>
#include <vector>

namespace kelvanto::wizard
{

// A command as the user types it on one line, and the argument list that is started without
// a shell. Arguments are split as a POSIX shell splits words, with no expansion of any kind:
// blanks (space, tab, line ends) separate them; a backslash outside quotes takes the next
// character as it is; single quotes keep everything up to the next single quote; double quotes
// keep everything up to the next double quote except that a backslash before ", \, $ or `
// stands for that character. Quoted pieces and plain text next to each other form one
// argument, and "" or '' is an empty one. A line of blanks only is no command (an empty list).
// A quote that is not closed, or a command whose program is empty, is an error: the texts
// below, marked for translation in the context "kelvanto::wizard".
Result<std::vector<std::string>> splitCommandLine(const std::string& line);

// The command line that splitCommandLine reads back as exactly these arguments: an argument is
// written as it is unless it is empty or has a blank, a quote or a backslash; then it is put in
// single quotes (in double quotes when it has a single quote but nothing that double quotes
// treat specially). Arguments are separated by one space.
std::string joinCommandLine(const std::vector<std::string>& arguments);

inline constexpr const char* kCommandOpenQuote = QT_TRANSLATE_NOOP("kelvanto::wizard",
    "The command has a quote that is not closed. Please close it, or "
    "put a backslash before a quote that is meant as a character.");
inline constexpr const char* kCommandNoProgram
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "The command must start with the program to run.");

} // namespace kelvanto::wizard
