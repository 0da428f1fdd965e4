// STAND-IN, TO BE REPLACED: see PendingEngineFunctions.h.
#include "ui/wizard/PendingEngineFunctions.h"

#include "model/Text.h"

#include <cctype>
#include <climits>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>

namespace kelvanto
{

namespace
{

void EndLine(std::string& buffer, std::vector<std::string>& statements)
{
    const std::size_t start = buffer.find_first_not_of(" \t\v\f");
    if (start == std::string::npos) {
        buffer.clear();
        return;
    }
    if (!std::isalpha(static_cast<unsigned char>(buffer[start])) || static_cast<unsigned char>(buffer[start]) > 127) {
        buffer.clear();
        return;
    }
    if (buffer.back() == ';') {
        statements.emplace_back(TrimBlanks(buffer));
        buffer.clear();
    }
}

} // namespace

void SplitScript(std::string_view text, std::vector<std::string>& statements)
{
    std::string buffer;
    for (char c : text) {
        if (c == '\r' || c == '\n')
            EndLine(buffer, statements);
        else
            buffer += c;
    }
    std::string rest(TrimBlanks(buffer));
    if (rest.empty() || !std::isalpha(static_cast<unsigned char>(rest[0])))
        return;
    if (rest.back() != ';')
        rest += ';';
    statements.push_back(rest);
}

Result<RestoreFile> RestoreFileEntry(const std::string& path)
{
    const std::filesystem::path full = std::filesystem::absolute(path).lexically_normal();
    struct stat info
    { };
    if (::stat(full.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return Error {"Cannot add " + full.string()};
    RestoreFile entry;
    entry.fileName = full.filename().string();
    entry.path = full.string();
    entry.size = info.st_size > INT_MAX ? INT_MAX : static_cast<std::int32_t>(info.st_size);
    std::tm local {};
    const std::time_t modified = info.st_mtime;
    if (localtime_r(&modified, &local)) {
        entry.modified = TimeStamp {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
            local.tm_sec, local.tm_wday + 1};
    }
    return entry;
}

std::string ConvertTypedEscapes(std::string_view typed)
{
    static constexpr std::pair<char, char> kEscapes[] = {{'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'},
        {'r', '\r'}, {'t', '\t'}, {'v', '\v'}, {'\'', '\''}, {'"', '"'}, {'\\', '\\'}, {'?', '?'}};
    std::string text(typed);
    for (const auto& [letter, character] : kEscapes) {
        const std::string sequence {'\\', letter};
        std::string out;
        std::size_t from = 0;
        for (std::size_t at = text.find(sequence); at != std::string::npos; at = text.find(sequence, from)) {
            out.append(text, from, at - from);
            out += character;
            from = at + 2;
        }
        out.append(text, from);
        text = std::move(out);
    }
    return text;
}

} // namespace kelvanto
