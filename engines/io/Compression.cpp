#include "engines/io/Compression.h"

#include "model/UniqueFd.h"

#include <fcntl.h>
#include <unistd.h>

namespace kelvanto
{

namespace
{

constexpr std::string_view kZstdMagic("\x28\xB5\x2F\xFD", 4);
constexpr std::string_view kGzipMagic("\x1F\x8B", 2);

} // namespace

std::string_view CompressedSuffix(Compression kind)
{
    switch (kind) {
    case Compression::Zstd:
        return ".zst";
    case Compression::Gzip:
        return ".gz";
    case Compression::None:
        break;
    }
    return {};
}

std::string CompressedFileName(const std::string& path, Compression kind)
{
    const std::string_view suffix = CompressedSuffix(kind);
    if (path.empty() || suffix.empty() || std::string_view(path).ends_with(suffix))
        return path;
    return path + std::string(suffix);
}

bool IsRestorableSqlName(std::string_view path)
{
    for (const std::string_view suffix : {".sql", ".sql.zst", ".sql.gz"}) {
        if (path.size() > suffix.size() && path.ends_with(suffix))
            return true;
    }
    return false;
}

Compression DetectCompression(std::string_view head)
{
    if (head.starts_with(kZstdMagic))
        return Compression::Zstd;
    if (head.starts_with(kGzipMagic))
        return Compression::Gzip;
    return Compression::None;
}

Compression DetectFileCompression(const std::string& path)
{
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file.valid())
        return Compression::None;
    char head[kCompressionMagicBytes] = {};
    const ssize_t count = ::pread(file.get(), head, sizeof head, 0);
    if (count <= 0)
        return Compression::None;
    return DetectCompression(std::string_view(head, static_cast<std::size_t>(count)));
}

} // namespace kelvanto
