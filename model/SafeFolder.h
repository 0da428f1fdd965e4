#pragma once

#include "model/Result.h"
#include "model/UniqueFd.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace kelvanto
{

// Folders that the program writes into, opened so that nothing planted in a shared folder
// can redirect a write or a deletion.

// Opens `folder` (trailing '/' ignored) as a directory. When its last component is a
// symbolic link, the link is followed only when the program's own user or root owns it.
Result<UniqueFd> OpenFolder(const std::string& folder);

// Makes the folder `name` (one component) inside `parent` with `mode`, or takes the one
// there when it is a real folder (not a symbolic link) that the program's user owns, and
// opens it. Anything else at that name is an Error.
Result<UniqueFd> OpenOwnFolderAt(int parent, const std::string& name, mode_t mode);

// Whether no other user can write into a folder: root or the program's user owns it and
// neither its group nor others have write permission.
bool OnlyOwnerWrites(const struct stat& folder);

// Whether the program's (effective) user owns the entry.
bool OwnedByUs(const struct stat& entry);

// What an entry is and whose, for a message: "a regular file of the user nobody (uid 65534)",
// "a folder of ...", "a symbolic link of ...".
std::string DescribeEntry(const struct stat& entry);

// The part of a temporary name that identifies a task: its log file name without the
// extension, with '/', control characters and '.' made '_', at most 100 bytes; "task"
// when nothing is left. Without '.' it is read back exactly from a temporary name.
std::string PartialTag(std::string_view logFileName);

// "<finalName>.<tag>.partial": the name under which a file is written until it is whole.
std::string PartialName(std::string_view finalName, std::string_view tag);

// Whether `name` is a temporary name of the task with `tag` (never of another task's tag).
bool IsPartialNameOf(std::string_view name, std::string_view tag);

// Whether a path names a temporary file of any task (its name ends in ".partial").
bool IsPartialPath(std::string_view path);

// Removes the task's own stale temporary files in `folder` and, with `subfolders`, in the
// folders directly inside it that are real folders owned by the program's user: only
// regular files, owned by the program's user, whose names IsPartialNameOf the tag. Returns
// how many were removed; a folder that cannot be opened removes nothing.
std::size_t RemoveStalePartials(const std::string& folder, std::string_view tag, bool subfolders);

} // namespace kelvanto
