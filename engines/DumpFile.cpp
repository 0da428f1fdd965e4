#include "engines/DumpFile.h"

#include "model/UniqueFd.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace kelvanto
{

namespace
{

bool WriteAll(int fd, std::string_view text)
{
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0)
            return false;
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

bool DumpFile::Create(const std::string& path)
{
    if (path.empty())
        return false;
    UniqueFd file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!file.valid())
        return false;
    return file.close();
}

bool DumpFile::Append(const std::string& path, std::string_view text)
{
    if (path.empty())
        return false;
    // O_APPEND puts every write at the end of the file: the seek to the end without a
    // system call of its own, which counts when every statement opens the file anew.
    UniqueFd file(::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
    if (!file.valid())
        return false;
    if (!WriteAll(file.get(), text))
        return false;
    return file.close();
}

} // namespace kelvanto
