#pragma once

#include "model/Task.h"
#include "model/UniqueFd.h"

#include <string>

namespace kelvanto
{

// What rotation may delete for a task: the history is read from files that other people
// and programs can write (a task list loaded from elsewhere, a reload), so an entry is only
// a hint. A file is deleted only when it is a regular file (not a symbolic link) owned by
// the program's user, lying directly in the task's backup folder (resolved) or in a run
// folder directly inside it, under a name that the task's file name format produces; a
// folder only when it is an empty run folder directly inside the backup folder. Deletions
// are made inside the opened folder (unlinkat), so no link on the way is followed.
class BackupCopyFiles
{
public:
    explicit BackupCopyFiles(const BackupSettings& settings);

    // Whether the file was deleted.
    bool DeleteFile(const std::string& path) const;
    // Whether the (empty) run folder was removed.
    bool DeleteRunFolder(const std::string& path) const;

    // Whether `name` is one the format produces (with ".sql" or ".php", compressed or not),
    // or such a name with the number that a run puts in a name that was taken.
    bool NamedByTask(const std::string& name) const;
    // Whether `name` is that of a run's manifest (see ManifestPathFor).
    bool NamedAsManifest(const std::string& name) const;

private:
    // The opened folder that holds `path` when it is the backup folder or a run folder in
    // it; invalid otherwise. `name` receives the last component of `path`.
    UniqueFd OpenHolder(const std::string& path, std::string& name) const;

    std::string m_root; // the backup folder, resolved; empty: nothing is deleted
    std::string m_pattern; // fnmatch pattern of the names without the extension
};

} // namespace kelvanto
