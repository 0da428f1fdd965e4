#include "engines/DumpFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace kelvanto
{

namespace
{

// An open file descriptor, closed when it goes away.
class FileHandle
{
public:
    explicit FileHandle(int fd)
        : m_fd(fd)
    { }
    ~FileHandle()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    int fd() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }

    // Closes now and reports whether the close succeeded (a delayed write error shows here).
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

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
    FileHandle file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!file.valid())
        return false;
    return file.close();
}

bool DumpFile::Append(const std::string& path, std::string_view text)
{
    if (path.empty())
        return false;
    FileHandle file(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    if (!file.valid())
        return false;
    if (::lseek(file.fd(), 0, SEEK_END) < 0)
        return false;
    if (!WriteAll(file.fd(), text))
        return false;
    return file.close();
}

} // namespace kelvanto
