#include "app/AutostartEntry.h"

#include "model/AtomicFile.h"

#include <cstring>
#include <system_error>

namespace kelvanto
{

namespace
{

Result<void> MakeFolders(const std::filesystem::path& folder)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec)
        return Error {"cannot create the folder " + folder.string() + ": " + ec.message()};
    return Ok();
}

} // namespace

Result<std::filesystem::path> AutostartEntry::Locate(const DataFolder::EnvLookup& env)
{
    if (auto config = env("XDG_CONFIG_HOME"); config && std::filesystem::path(*config).is_absolute())
        return std::filesystem::path(*config) / "autostart" / kFileName;
    if (auto home = env("HOME"); home && !home->empty())
        return std::filesystem::path(*home) / ".config" / "autostart" / kFileName;
    return Error {"cannot find the autostart folder: neither XDG_CONFIG_HOME nor HOME is set"};
}

std::string AutostartEntry::QuoteExecWord(const std::string& word)
{
    bool plain = !word.empty();
    for (const char c : word) {
        if (std::strchr(" \t\n\"'\\><~|&;$*?#()`=%", c))
            plain = false;
    }
    std::string out;
    if (!plain)
        out += '"';
    for (const char c : word) {
        if (c == '%') {
            out += "%%";
            continue;
        }
        if (!plain && (c == '"' || c == '`' || c == '$' || c == '\\'))
            out += '\\';
        out += c;
    }
    if (!plain)
        out += '"';
    return out;
}

std::string AutostartEntry::Contents(const std::vector<std::string>& command)
{
    std::string exec;
    for (const std::string& word : command) {
        if (!exec.empty())
            exec += ' ';
        exec += QuoteExecWord(word);
    }
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Kelvanto\n"
           "Comment=Scheduled backups and maintenance tasks for MySQL and MariaDB servers\n"
           "Exec="
        + exec
        + "\n"
          "Icon=kelvanto\n"
          "Terminal=false\n"
          "X-GNOME-Autostart-enabled=true\n";
}

Result<void> AutostartEntry::Write(const std::filesystem::path& entry, const std::vector<std::string>& command)
{
    if (auto made = MakeFolders(entry.parent_path()); !made)
        return made;
    return WriteFileAtomically(entry, Contents(command));
}

Result<void> AutostartEntry::Remove(const std::filesystem::path& entry)
{
    std::error_code ec;
    std::filesystem::remove(entry, ec);
    if (ec)
        return Error {"cannot remove " + entry.string() + ": " + ec.message()};
    return Ok();
}

} // namespace kelvanto
