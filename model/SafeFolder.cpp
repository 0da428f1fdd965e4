#include "model/SafeFolder.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <pwd.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace kelvanto
{

namespace
{

constexpr std::string_view kPartialSuffix = ".partial";
constexpr std::size_t kMaxTagBytes = 100;

std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

struct DirCloser
{
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// The names in an opened folder (without "." and ".."); the folder's descriptor stays open.
std::vector<std::string> NamesIn(int folder)
{
    std::vector<std::string> names;
    const int copy = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        return names;
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(copy));
    if (!dir) {
        ::close(copy);
        return names;
    }
    ::rewinddir(dir.get());
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    return names;
}

std::size_t RemovePartialsIn(int folder, std::string_view tag)
{
    std::size_t removed = 0;
    for (const std::string& name : NamesIn(folder)) {
        if (!IsPartialNameOf(name, tag))
            continue;
        struct stat status
        { };
        if (::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISREG(status.st_mode) && OwnedByUs(status) && ::unlinkat(folder, name.c_str(), 0) == 0)
            ++removed;
    }
    return removed;
}

} // namespace

Result<UniqueFd> OpenFolder(const std::string& folder)
{
    const std::string path = WithoutTrailingSlashes(folder.empty() ? std::string(".") : folder);
    UniqueFd opened(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (opened.valid())
        return opened;
    const int error = errno;
    struct stat link
    { };
    if ((error == ELOOP || error == ENOTDIR) && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (!OwnedByUs(link) && link.st_uid != 0)
            return Error {"The folder " + path + " is a symbolic link of another user, which is not followed"};
        UniqueFd followed(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (followed.valid())
            return followed;
        return Error {"Cannot open the folder " + path + ": " + std::strerror(errno)};
    }
    return Error {"Cannot open the folder " + path + ": " + std::strerror(error)};
}

Result<UniqueFd> OpenOwnFolderAt(int parent, const std::string& name, mode_t mode)
{
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return Error {"Not a folder name: " + name};
    if (::mkdirat(parent, name.c_str(), mode) != 0 && errno != EEXIST)
        return Error {"Cannot create the folder " + name + ": " + std::strerror(errno)};
    UniqueFd opened(::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!opened.valid())
        return Error {"Cannot open the folder " + name + ": " + std::strerror(errno)};
    struct stat status
    { };
    if (::fstat(opened.get(), &status) != 0)
        return Error {"Cannot open the folder " + name + ": " + std::strerror(errno)};
    if (!OwnedByUs(status))
        return Error {"The folder " + name + " belongs to another user, so it is not used"};
    return opened;
}

bool OnlyOwnerWrites(const struct stat& folder)
{
    return (folder.st_uid == ::geteuid() || folder.st_uid == 0) && (folder.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool OwnedByUs(const struct stat& entry)
{
    return entry.st_uid == ::geteuid();
}

std::string DescribeEntry(const struct stat& entry)
{
    const char* kind = S_ISREG(entry.st_mode) ? "a regular file"
        : S_ISDIR(entry.st_mode)              ? "a folder"
        : S_ISLNK(entry.st_mode)              ? "a symbolic link"
        : S_ISFIFO(entry.st_mode)             ? "a named pipe"
        : S_ISSOCK(entry.st_mode)             ? "a socket"
                                              : "a device or other special file";
    std::string owner = "uid " + std::to_string(entry.st_uid);
    passwd user {};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(entry.st_uid, &user, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        owner = std::string(found->pw_name) + " (" + owner + ")";
    return std::string(kind) + " of the user " + owner;
}

std::string PartialTag(std::string_view logFileName)
{
    const std::size_t dot = logFileName.rfind('.');
    if (dot != std::string_view::npos && dot > 0)
        logFileName = logFileName.substr(0, dot);
    std::string tag;
    for (const char c : logFileName.substr(0, kMaxTagBytes)) {
        const auto byte = static_cast<unsigned char>(c);
        tag += (c == '/' || c == '.' || byte < 0x20 || byte == 0x7f) ? '_' : c;
    }
    return tag.empty() ? std::string("task") : tag;
}

std::string PartialName(std::string_view finalName, std::string_view tag)
{
    std::string name(finalName);
    name += '.';
    name += tag;
    name += kPartialSuffix;
    return name;
}

bool IsPartialNameOf(std::string_view name, std::string_view tag)
{
    if (tag.empty() || !name.ends_with(kPartialSuffix))
        return false;
    name.remove_suffix(kPartialSuffix.size());
    // The tag holds no '.', so the component before ".partial" is the tag exactly.
    const std::size_t dot = name.rfind('.');
    return dot != std::string_view::npos && dot > 0 && name.substr(dot + 1) == tag;
}

bool IsPartialPath(std::string_view path)
{
    return path.ends_with(kPartialSuffix);
}

std::size_t RemoveStalePartials(const std::string& folder, std::string_view tag, bool subfolders)
{
    Result<UniqueFd> opened = OpenFolder(folder);
    if (!opened)
        return 0;
    std::size_t removed = RemovePartialsIn(opened->get(), tag);
    if (!subfolders)
        return removed;
    for (const std::string& name : NamesIn(opened->get())) {
        UniqueFd inner(::openat(opened->get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat status
        { };
        if (inner.valid() && ::fstat(inner.get(), &status) == 0 && OwnedByUs(status))
            removed += RemovePartialsIn(inner.get(), tag);
    }
    return removed;
}

} // namespace kelvanto
