#include "engines/io/RegularFileReader.h"

#include "model/UniqueFd.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvanto
{

Result<void> ReadRegularFile(const std::string& path, const std::function<bool(std::string_view)>& consume)
{
    // O_NONBLOCK keeps a pipe at that path from blocking the open; it is refused below.
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file.valid())
        return Error {std::string("cannot be opened: ") + std::strerror(errno)};
    struct stat info
    { };
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return Error {"is not a regular file"};
    ::posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    std::string buffer(256 * 1024, '\0');
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return Error {std::string("cannot be read: ") + std::strerror(errno)};
        if (count == 0 || !consume(std::string_view(buffer.data(), static_cast<std::size_t>(count))))
            return Ok();
    }
}

} // namespace kelvanto
