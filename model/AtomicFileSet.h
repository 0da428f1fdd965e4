#pragma once

#include "model/AtomicFile.h"
#include "model/Result.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvanto
{

// One file of a set of files that change together: its new bytes, or none to remove it.
struct FileChange
{
    std::filesystem::path target;
    std::optional<std::string> bytes;
};

// The system calls that ReplaceFilesTogether makes, each answering as the POSIX call does
// (0, or -1 with errno set; write the count written), so that tests can fail any one.
struct FileSetCalls
{
    WriteFunction write;
    std::function<int(int fd)> fsync;
    std::function<int(const char* from, const char* to)> link;
    std::function<int(const char* from, const char* to)> rename;
    std::function<int(const char* path)> unlink;

    static FileSetCalls Posix();
};

// Changes every file of the set, or none of them:
// 1. each new file is written whole to a temporary file beside its target (mode 0600) and
//    flushed to the disk;
// 2. each target that exists is kept under a second name (".kelvanto-tmp-...-old", a hard
//    link, so that the target itself never goes missing);
// 3. the temporary files are renamed over their targets, and the targets to remove are
//    removed, in the order given;
// 4. the second names go and the folders are flushed.
// When a step of 1 to 3 fails, the targets changed so far get their old files back (or go
// again when they did not exist), every temporary file is removed and the step's error is
// returned. A folder at a target's path is refused. Files left by a crash in between carry
// the prefix that RemoveStaleTemporaryFiles takes away.
Result<void> ReplaceFilesTogether(
    const std::vector<FileChange>& changes, const FileSetCalls& calls = FileSetCalls::Posix());

} // namespace kelvanto
