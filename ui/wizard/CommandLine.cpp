#include "ui/wizard/CommandLine.h"

#include <string_view>

namespace kelvanto::wizard
{

namespace
{

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The characters that a backslash escapes inside double quotes.
bool EscapedInDoubleQuotes(char c)
{
    return c == '"' || c == '\\' || c == '$' || c == '`';
}

} // namespace

Result<std::vector<std::string>> splitCommandLine(const std::string& line)
{
    std::vector<std::string> arguments;
    std::string current;
    // An argument has started even while it is still empty (after "" or '').
    bool started = false;
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (IsBlank(c)) {
            if (started)
                arguments.push_back(std::move(current));
            current.clear();
            started = false;
            ++i;
            continue;
        }
        started = true;
        if (c == '\\') {
            // A backslash at the very end has nothing to escape and stands for itself.
            current += i + 1 < line.size() ? line[i + 1] : '\\';
            i += 2;
        } else if (c == '\'') {
            const std::size_t close = line.find('\'', i + 1);
            if (close == std::string::npos)
                return Error {kCommandOpenQuote};
            current.append(line, i + 1, close - i - 1);
            i = close + 1;
        } else if (c == '"') {
            ++i;
            while (i < line.size() && line[i] != '"') {
                if (line[i] == '\\' && i + 1 < line.size() && EscapedInDoubleQuotes(line[i + 1]))
                    ++i;
                current += line[i];
                ++i;
            }
            if (i >= line.size())
                return Error {kCommandOpenQuote};
            ++i;
        } else {
            current += c;
            ++i;
        }
    }
    if (started)
        arguments.push_back(std::move(current));
    if (!arguments.empty() && arguments.front().empty())
        return Error {kCommandNoProgram};
    return arguments;
}

std::string joinCommandLine(const std::vector<std::string>& arguments)
{
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty())
            line += ' ';
        const bool plain
            = !argument.empty() && argument.find_first_of(std::string_view(" \t\n\r\v\f'\"\\")) == std::string::npos;
        if (plain) {
            line += argument;
        } else if (argument.find('\'') == std::string::npos) {
            line += '\'' + argument + '\'';
        } else if (argument.find_first_of(std::string_view("\"\\$`")) == std::string::npos) {
            line += '"' + argument + '"';
        } else {
            // Single quotes cannot hold one: close them, write it escaped, and open them again.
            line += '\'';
            for (const char c : argument) {
                if (c == '\'')
                    line += "'\\''";
                else
                    line += c;
            }
            line += '\'';
        }
    }
    return line;
}

} // namespace kelvanto::wizard
