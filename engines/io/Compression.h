#pragma once

#include "model/Task.h"

#include <string>
#include <string_view>

namespace kelvanto
{

// The name and content conventions of compressed files, written down once.

// ".zst", ".gz", or "" for no compression.
std::string_view CompressedSuffix(Compression kind);

// `path` with the suffix of `kind` appended, unless it already ends so (a configured
// "always the same file" path may carry it already).
std::string CompressedFileName(const std::string& path, Compression kind);

// Whether a restore takes a file of this name: ".sql", ".sql.zst" or ".sql.gz" exactly (the
// content is then read by its first bytes, not by the name).
bool IsRestorableSqlName(std::string_view path);

// The compression of a file recognised by its first bytes (the zstd frame magic, the gzip
// member magic), never by its name; None for anything else, an empty or short head included.
Compression DetectCompression(std::string_view head);

// How many leading bytes DetectCompression needs to decide.
constexpr std::size_t kCompressionMagicBytes = 4;

// The compression of the file at `path` by its first bytes; None when it cannot be read.
Compression DetectFileCompression(const std::string& path);

} // namespace kelvanto
