#pragma once

#include "engines/BackupManifest.h"
#include "model/Task.h"
#include "schedule/RunContext.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvanto
{

// How the files of a restore are spread over several connections: the files that hold
// tables (with their rows and triggers; a file per database holds its views, routines and
// events after its tables) go in parallel, then the files of routines, views and events
// one after the other, all in the order of the backup's manifest.
struct ParallelRestorePlan
{
    struct Item
    {
        std::string path;
        std::string database; // selected on the connection before the file is replayed
    };

    std::vector<Item> tables;
    std::vector<Item> after;
};

// Whether a restore spreads over `threads` connections, and if not, why not.
struct ParallelRestoreChoice
{
    std::optional<ParallelRestorePlan> plan;
    // The line that says why the files stay on one connection; empty when nothing needs
    // saying (one thread or one file).
    LogLevel level = LogLevel::General;
    std::string reason;
};

// Plans a restore of the entries that are to be restored (checkState 0) over `threads`
// connections. It applies only when they are files of one backup run, in one folder, that a
// manifest beside them lists with the database and the kinds of objects each holds, and
// each file still has the size and SHA-256 that the manifest records: a changed file is not
// trusted to hold what the manifest says. `quit` is asked between the files' digests; when
// it answers true the files stay on one connection.
ParallelRestoreChoice PlanParallelRestore(
    const std::vector<RestoreFile>& entries, int threads, const std::function<bool()>& quit);

// The manifest in `folder` that lists every one of `names` (files of that folder); nothing
// when no manifest there does. Manifests are taken only as regular files.
std::optional<BackupManifest> FindRunManifest(const std::string& folder, const std::vector<std::string>& names);

} // namespace kelvanto
