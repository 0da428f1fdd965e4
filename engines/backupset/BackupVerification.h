#pragma once

#include "engines/backupset/BackupManifest.h"
#include "model/Task.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvanto
{

// The check of one recorded backup run against its manifest: every file that the manifest
// names is present as a regular file, has the recorded size and SHA-256, and decompresses
// to its end, and every table of the manifest has a file of its own where the run's layout
// gives it one (a file per table: no other table in it; a file per database: no table of
// another database). Without a manifest (a run made before manifests existed, or one that did not
// complete) what can be checked still is (each recorded file is there and decompresses to
// its end), and the check fails because there is no manifest. Reads only; follows no
// symbolic link that stands where a file of the run should be. A run whose verification by
// restore failed (as its manifest records) fails the check too, and so does a run whose
// history entry records one file more than once: the run wrote over its own file (runs made
// before names were kept apart), so the tables written into it before the last are lost.
struct BackupVerification
{
    std::string manifestPath;
    bool manifestFound = false;
    // The manifest as read, when it could be.
    std::optional<BackupManifest> manifest;
    // One line per file, "OK  <path>: ..." or "FAIL <path>: <what is wrong>", and lines for
    // the manifest itself when it is missing or unreadable.
    std::vector<std::string> lines;
    int filesChecked = 0;
    int filesFailed = 0; // of failedFiles
    std::vector<std::string> failedFiles; // each file that failed a check, once
    bool ok = false;
};

BackupVerification VerifyBackupRun(const BackupRun& run);

} // namespace kelvanto
