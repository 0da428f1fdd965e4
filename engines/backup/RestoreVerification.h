#pragma once

#include "engines/backupset/BackupManifest.h"
#include "model/Result.h"
#include "model/Task.h"
#include "mysql/Connection.h"
#include "schedule/RunContext.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kelvanto
{

// What a verification by restore needs: the server the backup was taken from (which is
// never the one restored into), the verification server, and the run: its files and its
// manifest (the databases, the tables' row counts and checksums, the stored programs).
struct RestoreVerificationRequest
{
    ServerConnection source;
    ServerConnection server;
    BackupManifest manifest;
    std::vector<std::string> files;
};

struct RestoreVerificationResult
{
    enum class Outcome : std::uint8_t {
        Passed,
        Failed,
        Cancelled,
    };
    Outcome outcome = Outcome::Failed;
    // What the manifest records (not meaningful when cancelled).
    BackupManifest::Verification record;
};

// Proves a backup by restoring it. Refuses a verification server that is the source (asked
// from inside both sessions), creates each database of the backup there under its own name
// (a database of that name that exists already is never touched: the verification fails),
// restores the files into them with the restore engine, compares every table's row count
// and content checksum and every stored program's definition with the manifest, and drops
// the databases it created, also when the verification fails or the run is stopped. Every
// step and its failure is written to the run's log, and the last line says what was verified
// and how long it took. `connector` opens plain sessions (this run watches them itself).
RestoreVerificationResult VerifyByRestore(
    RunContext& context, const Connector& connector, const RestoreVerificationRequest& request);

// The verification of a backup run of `task` (whose verifyRestore is set) that wrote `files`
// and gathered `manifest`: resolves the verification server and refuses the backups that
// cannot be restored as they are (PHP files, files that do not select their databases),
// logging why; then VerifyByRestore.
RestoreVerificationResult VerifyBackupByRestore(RunContext& context, const Connector& connector, const Task& task,
    const BackupManifest& manifest, const std::vector<std::string>& files);

// The connection a task's verification server names: its own fields, or the stored profile
// of that name in the server list of `dataFolder`.
Result<ServerConnection> ResolveVerifyServer(const VerifyServer& server, const std::filesystem::path& dataFolder);

} // namespace kelvanto
