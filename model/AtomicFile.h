#pragma once

#include "model/Result.h"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace kelvanto
{

// How the atomic writer puts bytes into its temporary file: like write(2), returns the
// number of bytes written or -1 with errno set. Tests pass one that fails part way.
using WriteFunction = std::function<long(int fd, const char* data, std::size_t size)>;

// Replaces the file at target by bytes so that the file is either the old one or the new
// one, never a mixture: a temporary file in the same folder (mode 0600) receives the
// bytes, is flushed to disk and renamed over the target, then the folder is flushed.
// On failure the temporary file is removed and the old file is left as it was.
Result<void> WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);
Result<void> WriteFileAtomically(
    const std::filesystem::path& target, std::string_view bytes, const WriteFunction& writeFunction);

// Removes the temporary files that saves interrupted by a crash or a power loss left in
// folder (".kelvanto-tmp-*"): regular files of the program's own user whose last change is
// at least minimumAge old, so that a save going on in another process right now keeps its
// file. Symbolic links and other users' files are left alone. Returns how many went.
std::size_t RemoveStaleTemporaryFiles(const std::filesystem::path& folder, std::chrono::seconds minimumAge);

// What saving an empty list does: the file is removed (no file means an empty list, and a
// file left behind would bring the removed entries back at the next load). A folder at that
// path is refused; `what` names the list in the message ("the task list").
Result<void> RemoveFileOfEmptyList(const std::filesystem::path& path, const std::string& what);

} // namespace kelvanto
