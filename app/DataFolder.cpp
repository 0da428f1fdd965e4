#include "app/DataFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvanto
{

namespace
{

constexpr mode_t kFolderMode = 0700;

std::optional<std::string> NonEmpty(const DataFolder::EnvLookup& env, const char* name)
{
    auto value = env(name);
    if (value && value->empty())
        return std::nullopt;
    return value;
}

std::optional<std::string> HomeFromPasswordDatabase()
{
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry {};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir)
        return std::nullopt;
    return std::string(found->pw_dir);
}

// mkdir with the folder mode; true when the folder is there afterwards.
Result<void> MakeFolder(const std::filesystem::path& path)
{
    if (mkdir(path.c_str(), kFolderMode) != 0 && errno != EEXIST)
        return Error {"cannot create the folder " + path.string() + ": " + std::strerror(errno)};
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec))
        return Error {path.string() + " exists but is not a folder"};
    return Ok();
}

} // namespace

Result<std::filesystem::path> DataFolder::Locate(const std::string& explicitDir, const EnvLookup& env)
{
    std::filesystem::path chosen;
    if (!explicitDir.empty()) {
        chosen = explicitDir;
    } else if (auto home = NonEmpty(env, "KELVANTO_HOME")) {
        chosen = *home;
    } else if (auto xdg = NonEmpty(env, "XDG_DATA_HOME"); xdg && std::filesystem::path(*xdg).is_absolute()) {
        // A relative XDG_DATA_HOME is invalid by its own rules and ignored.
        chosen = std::filesystem::path(*xdg) / "kelvanto";
    } else {
        auto userHome = NonEmpty(env, "HOME");
        if (!userHome)
            userHome = HomeFromPasswordDatabase();
        if (!userHome)
            return Error {"cannot find the data folder: HOME is not set; use --data-dir DIR"};
        chosen = std::filesystem::path(*userHome) / ".local" / "share" / "kelvanto";
    }
    std::error_code ec;
    auto absolute = std::filesystem::absolute(chosen, ec);
    if (ec)
        return Error {"cannot use the data folder " + chosen.string() + ": " + ec.message()};
    return absolute.lexically_normal();
}

DataFolder::EnvLookup DataFolder::ProcessEnvironment()
{
    return [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        if (!value)
            return std::nullopt;
        return std::string(value);
    };
}

Result<DataFolder> DataFolder::Prepare(const std::filesystem::path& root)
{
    std::filesystem::path normal = root.lexically_normal();
    if (!normal.empty() && normal.filename().empty())
        normal = normal.parent_path(); // "dir/" -> "dir"
    if (normal.empty())
        return Error {"the data folder name is empty"};

    // Create the missing ancestors first, each with the private mode.
    std::vector<std::filesystem::path> missing;
    std::error_code ec;
    for (auto p = normal; !p.empty() && !std::filesystem::exists(p, ec); p = p.parent_path()) {
        missing.push_back(p);
        if (p == p.parent_path())
            break;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (auto made = MakeFolder(*it); !made)
            return Error {made.error()};
    }
    for (const auto& folder : {normal, normal / "Data", normal / "Logs"}) {
        if (auto made = MakeFolder(folder); !made)
            return Error {made.error()};
    }
    return DataFolder(normal);
}

} // namespace kelvanto
