#pragma once

#include "model/Result.h"

#include <functional>
#include <string>
#include <string_view>

namespace kelvanto
{

// Reads the regular file at `path` to its end in pieces of 256 KiB, handing each to
// `consume`, which returns false to stop the reading (the result is then Ok). The error says
// why the file could not be read: it cannot be opened, is no regular file, or a read failed.
Result<void> ReadRegularFile(const std::string& path, const std::function<bool(std::string_view)>& consume);

} // namespace kelvanto
