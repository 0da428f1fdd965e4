#pragma once

#include "model/Task.h"

#include <set>
#include <string>
#include <vector>

namespace kelvanto
{

// The names of one run's files in "new files every time" mode, so that no file of the run
// replaces another file: a name is taken when this run gave it already, when an entry of the
// task's history records it (or its manifest), or when anything exists under it or under its
// manifest's name. A taken name is given as NumberedBackupFilePath with 2, 3, ... the first
// number that is free. Two names that differ only in ASCII case count as the same, so that
// the files stay apart on a file system that ignores case (or when the folder is copied onto
// one). "Always the same file" mode does not come here: its one file is replaced every run.
class BackupFileNames
{
public:
    // `history`: the task's recorded runs when this run starts.
    explicit BackupFileNames(const std::vector<BackupRun>& history);

    // `path` when it is free, else the first free numbered form of it; the name given is
    // taken from now on. Empty when no number up to a limit is free (the file is then not
    // created).
    std::string Claim(const std::string& path);

private:
    bool Taken(const std::string& path) const;

    std::set<std::string> m_taken; // by BackupPathKey
};

} // namespace kelvanto
