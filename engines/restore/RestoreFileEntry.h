#pragma once

#include "model/Result.h"
#include "model/Task.h"

#include <string>

namespace kelvanto
{

// The restore-file entry for a file, as adding it to a restore task makes it: not checked
// (checkState 0, which the restore runs), the name, the full path (a relative path is taken
// from the current folder), the size in bytes (at most 2147483647, the field's limit) and
// the modification time in local time. A missing file, a folder or anything that is not a
// regular file is an Error naming the file.
// A file under a temporary name (".partial") is refused with IncompleteFileMessage.
Result<RestoreFile> RestoreFileEntry(const std::string& path);

// "<path> is an incomplete file ...": why a file whose name ends in ".partial" (left by a run
// that did not finish it) is not restored.
std::string IncompleteFileMessage(const std::string& path);

} // namespace kelvanto
