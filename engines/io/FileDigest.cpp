#include "engines/io/FileDigest.h"

#include "engines/io/RegularFileReader.h"
#include "engines/io/Sha256Digest.h"

#include <sys/stat.h>

namespace kelvanto
{

namespace
{

bool SameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

bool FileStamp::operator==(const FileStamp& other) const
{
    return device == other.device && inode == other.inode && size == other.size && SameTime(modified, other.modified)
        && SameTime(changed, other.changed);
}

std::optional<FileStamp> StampFile(const std::string& path)
{
    struct stat info
    { };
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return FileStamp {info.st_dev, info.st_ino, static_cast<std::uint64_t>(info.st_size), info.st_mtim, info.st_ctim};
}

Result<FileDigest> DigestFile(const std::string& path)
{
    Sha256Digest sha256;
    if (!sha256.valid())
        return Error {"cannot be digested: the SHA-256 digest could not start"};
    const Result<void> read = ReadRegularFile(path, [&](std::string_view piece) {
        sha256.Update(piece);
        return sha256.valid();
    });
    if (!read)
        return Error {read.error()};
    const std::uint64_t size = sha256.size();
    std::string value = sha256.Finish();
    if (value.empty())
        return Error {"cannot be digested"};
    return FileDigest {size, std::move(value)};
}

Result<FileDigest> DigestFile(const std::string& path, const WrittenFileDigest* written)
{
    if (written != nullptr) {
        const std::optional<FileStamp> stamp = StampFile(path);
        if (stamp && *stamp == written->stamp)
            return written->digest;
    }
    return DigestFile(path);
}

} // namespace kelvanto
