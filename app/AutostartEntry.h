#pragma once

#include "app/DataFolder.h"
#include "model/Result.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kelvanto
{

// The XDG autostart entry that starts the desktop application when the user logs in:
// "kelvanto.desktop" in $XDG_CONFIG_HOME/autostart (an absolute XDG_CONFIG_HOME only), else
// in ~/.config/autostart. The option "Auto run the program ..." writes it or removes it.
class AutostartEntry
{
public:
    static constexpr const char* kFileName = "kelvanto.desktop";

    // Where the entry lives for this environment.
    static Result<std::filesystem::path> Locate(const DataFolder::EnvLookup& env);

    // The desktop entry that runs command (the executable's full path, then its arguments),
    // each word quoted as the desktop entry format wants.
    static std::string Contents(const std::vector<std::string>& command);

    // Writes the entry (creating the autostart folder), or removes it; a missing entry is
    // already removed.
    static Result<void> Write(const std::filesystem::path& entry, const std::vector<std::string>& command);
    static Result<void> Remove(const std::filesystem::path& entry);

    // One word of an Exec line: kept as it is when it holds nothing special, else in double
    // quotes with ", `, $ and \ escaped; every % is doubled.
    static std::string QuoteExecWord(const std::string& word);
};

} // namespace kelvanto
