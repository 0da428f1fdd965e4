#pragma once

#include "model/FileFormat.h"
#include "model/Result.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace kelvanto
{

// The folder that holds everything the program keeps: the task list, the server list,
// the options, the default backup folder "Data/" and the task logs in "Logs/".
class DataFolder
{
public:
    // Looks up one environment variable; nullopt when it is not set.
    using EnvLookup = std::function<std::optional<std::string>(const char* name)>;

    // The folder to use: explicitDir when not empty, else $KELVANTO_HOME, else
    // $XDG_DATA_HOME/kelvanto (an absolute XDG_DATA_HOME only), else $HOME/.local/share/kelvanto.
    // The result is absolute.
    static Result<std::filesystem::path> Locate(const std::string& explicitDir, const EnvLookup& env);
    // The process environment (getenv).
    static EnvLookup ProcessEnvironment();

    // Creates root (and missing parents) mode 0700 with "Data/" and "Logs/" inside when missing.
    // An existing folder keeps its mode and content.
    static Result<DataFolder> Prepare(const std::filesystem::path& root);

    const std::filesystem::path& Root() const { return m_root; }
    std::filesystem::path TaskListFile() const { return m_root / fileformat::kTaskListFileName; }
    std::filesystem::path TaskExtrasFile() const { return m_root / fileformat::kTaskExtrasFileName; }
    std::filesystem::path ServerListFile() const { return m_root / fileformat::kServerListFileName; }
    std::filesystem::path OptionsFile() const { return m_root / fileformat::kOptionsFileName; }
    std::filesystem::path DataDir() const { return m_root / "Data"; }
    std::filesystem::path LogsDir() const { return m_root / "Logs"; }
    std::filesystem::path LogMarkerFile() const { return LogsDir() / "log200se.dll"; }
    // The default backup folder: "Data" and a trailing '/'.
    std::string DefaultBackupFolder() const { return DataDir().string() + "/"; }

private:
    explicit DataFolder(std::filesystem::path root)
        : m_root(std::move(root))
    { }

    std::filesystem::path m_root;
};

} // namespace kelvanto
