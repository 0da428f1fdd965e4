#include "model/PartialFile.h"

#include "model/SafeFolder.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kelvanto
{

namespace
{

std::string SystemError()
{
    return std::strerror(errno);
}

// A flush that the file system cannot do (a special or exotic file system) loses no data.
bool Synced(int fd)
{
    return ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS || errno == ENOTSUP;
}

struct Place
{
    std::string folder;
    std::string name;
};

Place Split(const std::string& path)
{
    const std::filesystem::path full(path);
    std::string folder = full.parent_path().string();
    return {folder.empty() ? std::string(".") : folder, full.filename().string()};
}

struct FreeDeleter
{
    void operator()(char* text) const { std::free(text); }
};

// Where a symbolic link at `path` leads, when it may be followed: owned by the program's
// user or root, its target's folder writable by nobody else, the target no folder.
Result<Place> FollowTrustedLink(const std::string& path, const struct stat& link)
{
    if (!OwnedByUs(link) && link.st_uid != 0)
        return Error {path + " is a symbolic link of another user, so the file is not written through it"};
    std::unique_ptr<char, FreeDeleter> resolved(::realpath(path.c_str(), nullptr));
    Place target;
    if (resolved) {
        target = Split(resolved.get());
    } else {
        // A link to a file that does not exist yet: its folder must exist.
        char buffer[PATH_MAX];
        const ssize_t size = ::readlink(path.c_str(), buffer, sizeof buffer - 1);
        if (size <= 0)
            return Error {"Cannot follow the symbolic link " + path + ": " + SystemError()};
        std::filesystem::path to(std::string(buffer, static_cast<std::size_t>(size)));
        if (to.is_relative())
            to = std::filesystem::path(Split(path).folder) / to;
        std::unique_ptr<char, FreeDeleter> folder(::realpath(to.parent_path().c_str(), nullptr));
        if (!folder)
            return Error {"Cannot follow the symbolic link " + path + ": " + SystemError()};
        target = {folder.get(), to.filename().string()};
    }
    struct stat existing
    { };
    if (::stat((std::filesystem::path(target.folder) / target.name).c_str(), &existing) == 0
        && S_ISDIR(existing.st_mode))
        return Error {path + " is a symbolic link to a folder"};
    struct stat folder
    { };
    if (::stat(target.folder.c_str(), &folder) != 0 || !OnlyOwnerWrites(folder))
        return Error {path + " is a symbolic link into the folder " + target.folder
            + ", which other users can write, so the file is not written through it"};
    return target;
}

} // namespace

PartialFile::~PartialFile()
{
    Discard();
}

PartialFile& PartialFile::operator=(PartialFile&& other) noexcept
{
    if (this != &other) {
        Discard();
        m_folderPath = std::move(other.m_folderPath);
        m_folder = std::move(other.m_folder);
        m_file = std::move(other.m_file);
        m_finalName = std::move(other.m_finalName);
        m_temporaryName = std::move(other.m_temporaryName);
        m_device = other.m_device;
        m_inode = other.m_inode;
    }
    return *this;
}

Result<PartialFile> PartialFile::Create(const std::string& finalPath, std::string_view tag, int flags)
{
    Place place = Split(finalPath);
    if (place.name.empty() || place.name == "." || place.name == "..")
        return Error {"Not a file name: " + finalPath};
    struct stat existing
    { };
    if (::lstat(finalPath.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode))
            return Error {finalPath + " is a folder"};
        if (S_ISLNK(existing.st_mode)) {
            Result<Place> target = FollowTrustedLink(finalPath, existing);
            if (!target)
                return Error {target.error()};
            place = std::move(*target);
        }
    }
    Result<UniqueFd> folder = OpenFolder(place.folder);
    if (!folder)
        return Error {folder.error()};

    PartialFile file;
    file.m_folderPath = place.folder;
    file.m_folder = std::move(*folder);
    file.m_finalName = place.name;
    file.m_temporaryName = PartialName(place.name, tag);
    const char* name = file.m_temporaryName.c_str();
    const int openFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | flags;
    UniqueFd opened(::openat(file.m_folder.get(), name, openFlags, 0600));
    if (!opened.valid() && errno == EEXIST) {
        // A stale temporary file of this task: only a regular file of the program's user.
        // Anything else there is left as it is, and the message says what and whose it is,
        // so that its owner or an administrator can act.
        struct stat stale
        { };
        if (::fstatat(file.m_folder.get(), name, &stale, AT_SYMLINK_NOFOLLOW) != 0)
            errno = EEXIST;
        else if (!S_ISREG(stale.st_mode) || !OwnedByUs(stale))
            return Error {"Cannot create " + file.temporaryPath() + ": " + DescribeEntry(stale)
                + " is at that name, and it is left as it is: remove it to let the file be written"};
        else if (::unlinkat(file.m_folder.get(), name, 0) == 0)
            opened = UniqueFd(::openat(file.m_folder.get(), name, openFlags, 0600));
    }
    if (!opened.valid())
        return Error {"Cannot create " + file.temporaryPath() + ": " + SystemError()};
    struct stat created
    { };
    if (::fstat(opened.get(), &created) != 0)
        return Error {"Cannot create " + file.temporaryPath() + ": " + SystemError()};
    file.m_device = created.st_dev;
    file.m_inode = created.st_ino;
    file.m_file = std::move(opened);
    return file;
}

std::string PartialFile::temporaryPath() const
{
    return (std::filesystem::path(m_folderPath) / m_temporaryName).string();
}

bool PartialFile::StillInPlace() const
{
    struct stat status
    { };
    return m_file.valid() && ::fstatat(m_folder.get(), m_temporaryName.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0
        && status.st_dev == m_device && status.st_ino == m_inode;
}

Result<void> PartialFile::Commit(Replacing replacing)
{
    if (!m_file.valid())
        return Error {"No file is open"};
    const std::string finalPath = (std::filesystem::path(m_folderPath) / m_finalName).string();
    if (!StillInPlace()) {
        Discard();
        return Error {"Cannot save " + finalPath + ": its temporary file was removed or replaced"};
    }
    if (!Synced(m_file.get())) {
        const Error failed {"Cannot save " + finalPath + ": " + SystemError()};
        Discard();
        return failed;
    }
    // The file it replaces gives its mode and owner, unless another user could have put it there.
    struct stat old
    { };
    struct stat folder
    { };
    if (replacing == Replacing::KeepModeAndOwner
        && ::fstatat(m_folder.get(), m_finalName.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode)
        && ::fstat(m_folder.get(), &folder) == 0 && (OwnedByUs(old) || OnlyOwnerWrites(folder))) {
        ::fchmod(m_file.get(), old.st_mode & 07777);
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
            // A change of owner that is not allowed leaves the file the program's user's.
            [[maybe_unused]] const int ignored = ::fchown(m_file.get(), old.st_uid, old.st_gid);
            ::fchmod(m_file.get(), old.st_mode & 07777);
        }
    }
    if (!m_file.close()) {
        const Error failed {"Cannot save " + finalPath + ": " + SystemError()};
        Discard();
        return failed;
    }
    if (::renameat(m_folder.get(), m_temporaryName.c_str(), m_folder.get(), m_finalName.c_str()) != 0) {
        const Error failed {"Cannot save " + finalPath + ": " + SystemError()};
        Discard();
        return failed;
    }
    m_temporaryName.clear();
    const bool folderSynced = Synced(m_folder.get());
    const Error failed {"Cannot save " + finalPath + ": " + SystemError()};
    m_folder = UniqueFd();
    if (!folderSynced)
        return failed;
    return Ok();
}

void PartialFile::Discard() noexcept
{
    m_file = UniqueFd();
    // Only the file this object created: whatever else took its name stays.
    struct stat status
    { };
    if (m_folder.valid() && !m_temporaryName.empty()
        && ::fstatat(m_folder.get(), m_temporaryName.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0
        && status.st_dev == m_device && status.st_ino == m_inode)
        ::unlinkat(m_folder.get(), m_temporaryName.c_str(), 0);
    m_temporaryName.clear();
    m_folder = UniqueFd();
}

Result<void> WriteFileWhole(const std::string& finalPath, std::string_view tag, std::string_view bytes, bool keepOld,
    PartialFile::Replacing replacing)
{
    Result<PartialFile> file = PartialFile::Create(finalPath, tag);
    if (!file)
        return Error {file.error()};
    const auto writeAll = [&](std::string_view data) {
        while (!data.empty()) {
            const ssize_t written = ::write(file->fd(), data.data(), data.size());
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return false;
            data.remove_prefix(static_cast<std::size_t>(written));
        }
        return true;
    };
    const std::string failed = "Cannot write " + finalPath + ": ";
    if (keepOld) {
        // Create has refused a link that may not be followed; a pipe is not waited for.
        UniqueFd old(::open(finalPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        struct stat status
        { };
        if (old.valid() && ::fstat(old.get(), &status) == 0 && S_ISREG(status.st_mode)) {
            char buffer[64 * 1024];
            for (;;) {
                const ssize_t count = ::read(old.get(), buffer, sizeof buffer);
                if (count < 0 && errno == EINTR)
                    continue;
                if (count < 0)
                    return Error {failed + SystemError()};
                if (count == 0)
                    break;
                if (!writeAll(std::string_view(buffer, static_cast<std::size_t>(count))))
                    return Error {failed + SystemError()};
            }
        }
    }
    if (!writeAll(bytes))
        return Error {failed + SystemError()};
    return file->Commit(replacing);
}

} // namespace kelvanto
