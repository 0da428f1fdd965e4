#pragma once

#include "model/Result.h"

#include <filesystem>
#include <string>

namespace kelvanto
{

// The whole content of a regular file. A missing file, a folder, a device or pipe, or a
// read error is an Error whose text names the file and the reason.
Result<std::string> ReadFileBytes(const std::filesystem::path& path);

// True when path names an existing regular file (following symbolic links).
bool IsRegularFile(const std::filesystem::path& path);

} // namespace kelvanto
