#pragma once

#include "engines/sql/ClientCharsets.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelvanto
{

// The commands of the stock mariadb client (10.11), which it carries out itself instead of
// sending them to the server: by name ("use db" as a line of its own, or as a statement) or as
// a backslash and a letter anywhere outside quotes ("\u db").
enum class ClientCommand : unsigned char {
    Help, // "help", "?": with an argument, a HELP query to the server
    Charset,
    Clear,
    Connect,
    Delimiter,
    Edit,
    Ego,
    Exit,
    Go,
    NoPager,
    NoTee,
    NoWarning,
    Pager,
    Print,
    Prompt,
    Quit,
    Rehash,
    Sandbox,
    Source,
    Status,
    System,
    Tee,
    Use,
    Warnings,
};

struct ClientCommandInfo
{
    std::string_view name;
    char letter; // after a backslash
    bool takesArgument;
    ClientCommand command;
};

// The command of a backslash and `letter`; nullptr for a letter the client does not know ("\N"
// is left to the caller: it stands for NULL).
const ClientCommandInfo* FindCommandByLetter(char letter);

// The command named `word`, compared as the client compares it (latin1_swedish_ci, so letter
// case and accents do not count); nullptr when none is.
const ClientCommandInfo* FindCommandByName(std::string_view word);

// The longest command name.
constexpr std::size_t kLongestCommandName = 9;

// Whether `text` begins with the word "delimiter" as the client compares it (nothing needs to
// follow it: "DELIMITERS" counts).
bool BeginsWithDelimiterWord(std::string_view text);

// The command that a line or statement `text` is, as the client finds it: its first word
// names a command, it holds neither "\g" nor the delimiter (unless it begins with
// "delimiter"), and what follows the word is nothing, or an argument the command takes.
const ClientCommandInfo* FindCommandInText(
    std::string_view text, std::string_view delimiter, const ClientCharset& charset);

// The first argument of a command `text` (a backslash form or a name, then blanks): up to a
// blank, or quoted in '...', "..." or `...`; backslashes (and, in quotes of a named command,
// doubled quotes) escape the next byte. Nothing when there is no argument or its quote is not
// closed.
std::optional<std::string> CommandArgument(std::string_view text, const ClientCharset& charset);

// What the client does with a command's text before it reads the argument: it copies at most
// so many bytes.
constexpr std::size_t kDelimiterCommandBytes = 255;
constexpr std::size_t kCharsetCommandBytes = 255;
constexpr std::size_t kUseCommandBytes = 512;
// The longest delimiter.
constexpr std::size_t kLongestDelimiter = 15;

// The HELP query that "help ..." or "\h ..." sends (the text from the first blank on, without
// the blanks before it; unless it begins with a quote, without the blanks after it and in
// quotes; cut at the client's 101 bytes);
// nothing when the command has no argument (the client then prints its own list).
std::optional<std::string> HelpQuery(std::string_view text, const ClientCharset& charset);

// Whether a command reaches outside the server (a program, a file, another connection).
bool ReachesOutsideServer(ClientCommand command);

// "\! (system)" for the log.
std::string CommandLabel(const ClientCommandInfo& info);

} // namespace kelvanto
