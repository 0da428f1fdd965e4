#pragma once

#include "model/Result.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <sys/types.h>

namespace kelvanto
{

// The size and SHA-256 (OpenSSL's libcrypto) of the bytes of a file on disk.
struct FileDigest
{
    std::uint64_t size = 0;
    std::string sha256; // 64 lowercase hexadecimal digits
};

// What tells a regular file at a path apart from any other file there, or from itself after
// a change: its inode, its size, and the times of its last write and last change (the
// latter no program can set back).
struct FileStamp
{
    dev_t device = 0;
    ino_t inode = 0;
    std::uint64_t size = 0;
    timespec modified {};
    timespec changed {};

    bool operator==(const FileStamp& other) const;
};

// The stamp of the regular file at `path` itself (a symbolic link is not followed); none
// when there is no regular file there.
std::optional<FileStamp> StampFile(const std::string& path);

// A digest that the file's writer computed over every byte it wrote, with the file's stamp
// once it was whole: it stands for the file only while the file keeps that stamp.
struct WrittenFileDigest
{
    FileDigest digest;
    FileStamp stamp;
};

// Reads the regular file at `path` to its end; the error says why it could not.
Result<FileDigest> DigestFile(const std::string& path);
// The written digest when the file at `path` still has its stamp, so that the file need not
// be read again; otherwise (no written digest, or the file changed or was replaced) the file
// is read back as DigestFile does.
Result<FileDigest> DigestFile(const std::string& path, const WrittenFileDigest* written);

} // namespace kelvanto
