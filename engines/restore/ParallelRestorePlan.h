#pragma once

#include "engines/backupset/BackupManifest.h"
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
        // The database the file selects itself (FileSelectedDatabase), selected on the
        // connection before the file is replayed.
        std::string database;
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
// connections. It applies only when they are files of one backup run, in one folder, that
// the manifest of that run (FindRunManifest) lists with the database and the kinds of
// objects each holds, each file still has the size and SHA-256 that the manifest records
// (a changed file is not trusted to hold what the manifest says), and each file selects
// that database itself (FileSelectedDatabase). The database a connection selects for a file
// is the file's own: a manifest, which anyone who can write the folder can put there, never
// decides where a file's statements go. Otherwise a Warning line says why the files stay on
// one connection. `quit` is asked between the files' digests; when it answers true the files
// stay on one connection.
ParallelRestoreChoice PlanParallelRestore(
    const std::vector<RestoreFile>& entries, int threads, const std::function<bool()>& quit);

// What FindRunManifest found in a folder.
struct RunManifestSearch
{
    std::optional<BackupManifest> manifest;
    // The name of a manifest that lists every file but is not named after the first file of
    // the run it describes, as a run's manifest is (ManifestPathFor); empty when none.
    std::string misnamed;
};

// The manifest of the run whose files `names` (files of `folder`) are: a regular file named
// after the first file it lists ("<first file>.manifest.json") that lists every one of them.
RunManifestSearch FindRunManifest(const std::string& folder, const std::vector<std::string>& names);

} // namespace kelvanto
