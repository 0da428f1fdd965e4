#include "model/AtomicFile.h"

#include "model/UniqueFd.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace kelvanto
{

namespace
{

std::string SystemError(int error)
{
    return std::strerror(error);
}

// Removes the temporary file unless the rename has taken it over.
class TemporaryFileGuard
{
public:
    explicit TemporaryFileGuard(std::string path)
        : m_path(std::move(path))
    { }
    ~TemporaryFileGuard()
    {
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }
    TemporaryFileGuard(const TemporaryFileGuard&) = delete;
    TemporaryFileGuard& operator=(const TemporaryFileGuard&) = delete;
    void release() { m_path.clear(); }

private:
    std::string m_path;
};

long PosixWrite(int fd, const char* data, std::size_t size)
{
    return static_cast<long>(::write(fd, data, size));
}

} // namespace

Result<void> WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes)
{
    return WriteFileAtomically(target, bytes, PosixWrite);
}

Result<void> WriteFileAtomically(
    const std::filesystem::path& target, std::string_view bytes, const WriteFunction& writeFunction)
{
    if (target.empty())
        return Error {"No file name was given."};
    const std::string where = "Cannot write " + target.string() + ": ";
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";

    std::string temporaryPath = (folder / ".kelvanto-tmp-XXXXXX").string();
    UniqueFd file(::mkstemp(temporaryPath.data()));
    if (!file.valid())
        return Error {where + "cannot create a temporary file in " + folder.string() + ": " + SystemError(errno)};
    TemporaryFileGuard guard(temporaryPath);
    if (::fchmod(file.get(), S_IRUSR | S_IWUSR) != 0)
        return Error {where + SystemError(errno)};

    std::size_t written = 0;
    while (written < bytes.size()) {
        const long result = writeFunction(file.get(), bytes.data() + written, bytes.size() - written);
        if (result < 0) {
            if (errno == EINTR)
                continue;
            return Error {where + SystemError(errno)};
        }
        if (result == 0)
            return Error {where + "the disk accepted no more bytes"};
        written += static_cast<std::size_t>(result);
    }
    if (::fsync(file.get()) != 0)
        return Error {where + SystemError(errno)};
    if (!file.close())
        return Error {where + SystemError(errno)};
    if (std::rename(temporaryPath.c_str(), target.c_str()) != 0)
        return Error {where + SystemError(errno)};
    guard.release();

    // Make the rename itself durable. The new file is complete and in place by now, so a
    // folder that cannot be flushed (some file systems refuse) does not fail the write.
    UniqueFd directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.valid())
        ::fsync(directory.get());
    return Ok();
}

std::size_t RemoveStaleTemporaryFiles(const std::filesystem::path& folder, std::chrono::seconds minimumAge)
{
    constexpr std::string_view kPrefix = ".kelvanto-tmp-";
    const UniqueFd folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folderFd.valid())
        return 0;
    // A second descriptor for the listing, which closedir() takes over.
    DIR* listing = ::fdopendir(::dup(folderFd.get()));
    if (!listing)
        return 0;
    const std::unique_ptr<DIR, int (*)(DIR*)> closer(listing, ::closedir);
    const std::time_t now = std::time(nullptr);
    std::size_t removed = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name(entry->d_name);
        if (!name.starts_with(kPrefix))
            continue;
        struct stat info
        { };
        if (::fstatat(folderFd.get(), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode)
            || info.st_uid != ::geteuid() || now - info.st_mtime < minimumAge.count())
            continue;
        if (::unlinkat(folderFd.get(), entry->d_name, 0) == 0)
            ++removed;
    }
    return removed;
}

Result<void> RemoveFileOfEmptyList(const std::filesystem::path& path, const std::string& what)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return Error {"Cannot save " + what + " to " + path.string() + ": it is a folder."};
    std::filesystem::remove(path, error);
    if (error)
        return Error {"Cannot remove " + path.string() + ": " + error.message()};
    return Ok();
}

} // namespace kelvanto
