#include "model/FileBytes.h"

#include "model/UniqueFd.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvanto
{

Result<std::string> ReadFileBytes(const std::filesystem::path& path)
{
    const std::string where = "Cannot read " + path.string() + ": ";
    if (path.empty())
        return Error {"No file name was given."};
    // O_NONBLOCK keeps a pipe at that path from blocking the open; it is refused below.
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file.valid())
        return Error {where + std::strerror(errno)};
    struct stat info
    { };
    if (::fstat(file.get(), &info) != 0)
        return Error {where + std::strerror(errno)};
    if (S_ISDIR(info.st_mode))
        return Error {where + "it is a folder"};
    if (!S_ISREG(info.st_mode))
        return Error {where + "it is not a regular file"};

    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return Error {where + std::strerror(errno)};
        }
        if (count == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    return bytes;
}

bool IsRegularFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace kelvanto
