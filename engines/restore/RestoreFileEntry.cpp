#include "engines/restore/RestoreFileEntry.h"

#include "model/SafeFolder.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <limits>
#include <sys/stat.h>
#include <system_error>

namespace kelvanto
{

Result<RestoreFile> RestoreFileEntry(const std::string& path)
{
    if (path.empty())
        return Error {"No file name was given."};
    std::error_code ignored;
    std::filesystem::path full = std::filesystem::absolute(path, ignored);
    if (full.empty())
        full = path;
    full = full.lexically_normal();
    const std::string where = "Cannot add " + full.string() + ": ";
    if (IsPartialPath(full.string()))
        return Error {IncompleteFileMessage(full.string())};

    struct stat info
    { };
    if (::stat(full.c_str(), &info) != 0)
        return Error {where + std::strerror(errno)};
    if (S_ISDIR(info.st_mode))
        return Error {where + "it is a folder"};
    if (!S_ISREG(info.st_mode))
        return Error {where + "it is not a regular file"};

    RestoreFile entry;
    entry.checkState = 0;
    entry.fileName = full.filename().string();
    entry.path = full.string();
    constexpr auto kLargest = std::numeric_limits<std::int32_t>::max();
    entry.size = info.st_size > kLargest ? kLargest : static_cast<std::int32_t>(info.st_size);
    std::tm local {};
    const std::time_t modified = info.st_mtime;
    if (localtime_r(&modified, &local)) {
        entry.modified = TimeStamp {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
            local.tm_sec, local.tm_wday + 1};
    }
    return entry;
}

std::string IncompleteFileMessage(const std::string& path)
{
    return path
        + " is an incomplete file: a run that did not finish left it under its temporary name (.partial), "
          "so it is not restored";
}

} // namespace kelvanto
