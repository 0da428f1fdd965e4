#pragma once

#include "model/Result.h"

#include <cstdint>
#include <string>

namespace kelvanto
{

// The size and SHA-256 (OpenSSL's libcrypto) of the bytes of a file on disk.
struct FileDigest
{
    std::uint64_t size = 0;
    std::string sha256; // 64 lowercase hexadecimal digits
};

// Reads the regular file at `path` to its end; the error says why it could not.
Result<FileDigest> DigestFile(const std::string& path);

} // namespace kelvanto
