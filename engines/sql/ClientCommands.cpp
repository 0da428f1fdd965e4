#include "engines/sql/ClientCommands.h"

#include <array>

namespace kelvanto
{

namespace
{

constexpr std::array kCommands = {
    ClientCommandInfo {"?", '?', true, ClientCommand::Help},
    ClientCommandInfo {"charset", 'C', true, ClientCommand::Charset},
    ClientCommandInfo {"clear", 'c', false, ClientCommand::Clear},
    ClientCommandInfo {"connect", 'r', true, ClientCommand::Connect},
    ClientCommandInfo {"delimiter", 'd', true, ClientCommand::Delimiter},
    ClientCommandInfo {"edit", 'e', false, ClientCommand::Edit},
    ClientCommandInfo {"ego", 'G', false, ClientCommand::Ego},
    ClientCommandInfo {"exit", 'q', false, ClientCommand::Exit},
    ClientCommandInfo {"go", 'g', false, ClientCommand::Go},
    ClientCommandInfo {"help", 'h', true, ClientCommand::Help},
    ClientCommandInfo {"nopager", 'n', false, ClientCommand::NoPager},
    ClientCommandInfo {"notee", 't', false, ClientCommand::NoTee},
    ClientCommandInfo {"nowarning", 'w', false, ClientCommand::NoWarning},
    ClientCommandInfo {"pager", 'P', true, ClientCommand::Pager},
    ClientCommandInfo {"print", 'p', false, ClientCommand::Print},
    ClientCommandInfo {"prompt", 'R', true, ClientCommand::Prompt},
    ClientCommandInfo {"quit", 'q', false, ClientCommand::Quit},
    ClientCommandInfo {"rehash", '#', false, ClientCommand::Rehash},
    ClientCommandInfo {"sandbox", '-', false, ClientCommand::Sandbox},
    ClientCommandInfo {"source", '.', true, ClientCommand::Source},
    ClientCommandInfo {"status", 's', false, ClientCommand::Status},
    ClientCommandInfo {"system", '!', true, ClientCommand::System},
    ClientCommandInfo {"tee", 'T', true, ClientCommand::Tee},
    ClientCommandInfo {"use", 'u', true, ClientCommand::Use},
    ClientCommandInfo {"warnings", 'W', false, ClientCommand::Warnings},
};

// The weights of latin1_swedish_ci for the bytes 0xC0 to 0xFF (below them a byte weighs
// itself, a lower-case ASCII letter its upper case): accented letters weigh as their base
// letter, so the client takes "ÜSE" for "use".
constexpr std::array<unsigned char, 64> kUpperWeights = {
    0x41, 0x41, 0x41, 0x41, 0x5C, 0x5B, 0x5C, 0x43, 0x45, 0x45, 0x45, 0x45, 0x49, 0x49, 0x49, 0x49, //
    0x44, 0x4E, 0x4F, 0x4F, 0x4F, 0x4F, 0x5D, 0xD7, 0xD8, 0x55, 0x55, 0x55, 0x59, 0x59, 0xDE, 0xDF, //
    0x41, 0x41, 0x41, 0x41, 0x5C, 0x5B, 0x5C, 0x43, 0x45, 0x45, 0x45, 0x45, 0x49, 0x49, 0x49, 0x49, //
    0x44, 0x4E, 0x4F, 0x4F, 0x4F, 0x4F, 0x5D, 0xF7, 0xD8, 0x55, 0x55, 0x55, 0x59, 0x59, 0xDE, 0xFF, //
};

unsigned char Weight(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 'a' && byte <= 'z')
        return static_cast<unsigned char>(byte - 'a' + 'A');
    return byte >= 0xC0 ? kUpperWeights[byte - 0xC0] : byte;
}

bool SameWeights(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Weight(a[i]) != Weight(b[i]))
            return false;
    }
    return true;
}

std::size_t SkipBlanks(std::string_view text, std::size_t at, const ClientCharset& charset)
{
    while (at < text.size() && IsClientBlank(charset, static_cast<unsigned char>(text[at])))
        ++at;
    return at;
}

bool IsQuote(char c)
{
    return c == '\'' || c == '"' || c == '`';
}

} // namespace

const ClientCommandInfo* FindCommandByLetter(char letter)
{
    for (const ClientCommandInfo& info : kCommands) {
        if (info.letter == letter)
            return &info;
    }
    return nullptr;
}

const ClientCommandInfo* FindCommandByName(std::string_view word)
{
    if (word.size() > kLongestCommandName)
        return nullptr;
    for (const ClientCommandInfo& info : kCommands) {
        if (SameWeights(word, info.name))
            return &info;
    }
    return nullptr;
}

bool BeginsWithDelimiterWord(std::string_view text)
{
    constexpr std::string_view kWord = "delimiter";
    return text.size() >= kWord.size() && SameWeights(text.substr(0, kWord.size()), kWord);
}

const ClientCommandInfo* FindCommandInText(
    std::string_view text, std::string_view delimiter, const ClientCharset& charset)
{
    const std::string_view name = text.substr(SkipBlanks(text, 0, charset));
    const std::size_t wordEnd = name.find_first_of(" \t");
    const ClientCommandInfo* info = FindCommandByName(name.substr(0, wordEnd));
    if (!info)
        return nullptr;
    if (name.find("\\g") != std::string_view::npos
        || (name.find(delimiter) != std::string_view::npos && !BeginsWithDelimiterWord(name)))
        return nullptr;
    const bool hasArgument = wordEnd != std::string_view::npos && SkipBlanks(name, wordEnd, charset) < name.size();
    if (!hasArgument)
        return info;
    return info->takesArgument && CommandArgument(name, charset) ? info : nullptr;
}

std::optional<std::string> CommandArgument(std::string_view text, const ClientCharset& charset)
{
    std::size_t at = SkipBlanks(text, 0, charset);
    const bool backslashForm = at < text.size() && text[at] == '\\';
    if (backslashForm) {
        at += 2;
    } else {
        while (at < text.size() && !IsClientBlank(charset, static_cast<unsigned char>(text[at])))
            ++at;
    }
    if (at >= text.size())
        return std::nullopt;
    at = SkipBlanks(text, at, charset);
    char quote = 0;
    if (at < text.size() && IsQuote(text[at]))
        quote = text[at++];
    const std::size_t start = at;
    std::string argument;
    while (at < text.size()) {
        const char c = text[at];
        const bool hasNext = at + 1 < text.size();
        // The backslash form keeps the old rules (only a backslash escapes); the named form
        // follows SQL: no backslash escape in backquotes, and a doubled quote stands for one.
        const bool escape = backslashForm
            ? c == '\\' && hasNext
            : (c == '\\' && hasNext && quote != '`') || (quote != 0 && c == quote && hasNext && text[at + 1] == quote);
        if (escape) {
            argument += text[at + 1];
            at += 2;
            continue;
        }
        if (c == (quote != 0 ? quote : ' ')) {
            quote = 0;
            break;
        }
        argument += c;
        ++at;
    }
    if (at == start || quote != 0)
        return std::nullopt;
    return argument;
}

std::optional<std::string> HelpQuery(std::string_view text, const ClientCharset& charset)
{
    const std::size_t blank = text.find(' ');
    if (blank == std::string_view::npos)
        return std::nullopt;
    std::string_view argument = text.substr(SkipBlanks(text, blank, charset));
    if (argument.empty())
        return std::nullopt;
    // An argument in quotes is sent as it is; another loses its trailing blanks and is quoted.
    std::string query;
    if (argument.front() == '\'') {
        query = "help " + std::string(argument);
    } else {
        while (IsClientBlank(charset, static_cast<unsigned char>(argument.back())))
            argument.remove_suffix(1);
        query = "help '" + std::string(argument) + "'";
    }
    // The client builds the query in a buffer of 101 bytes.
    constexpr std::size_t kHelpQueryBytes = 101;
    if (query.size() > kHelpQueryBytes)
        query.resize(kHelpQueryBytes);
    return query;
}

bool ReachesOutsideServer(ClientCommand command)
{
    switch (command) {
    case ClientCommand::Connect:
    case ClientCommand::Edit:
    case ClientCommand::Pager:
    case ClientCommand::Source:
    case ClientCommand::System:
    case ClientCommand::Tee:
        return true;
    default:
        return false;
    }
}

std::string CommandLabel(const ClientCommandInfo& info)
{
    return std::string("\\") + info.letter + " (" + std::string(info.name) + ")";
}

} // namespace kelvanto
