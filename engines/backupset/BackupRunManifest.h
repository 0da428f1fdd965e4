#pragma once

#include "engines/backupset/BackupManifest.h"
#include "engines/io/FileDigest.h"
#include "engines/sql/RowTally.h"
#include "engines/sql/StoredObject.h"
#include "model/Result.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kelvanto
{

// Gathers the manifest of one backup run while the run goes on, and writes it at the end:
// the tables as their rows were written, then the digest of every file as it is on disk.
class BackupRunManifest
{
public:
    BackupRunManifest(std::string taskId, std::string taskName, const TimeStamp& started);

    void SetServerVersion(std::string version) { m_manifest.serverVersion = std::move(version); }
    // The binary log position of the run's consistent snapshot, when it took one.
    void SetSnapshotPosition(std::string file, std::uint64_t position);
    // How the run lays its tables out (BackupManifest::kOneFile, ...).
    void SetLayout(std::string_view layout) { m_manifest.layout = std::string(layout); }
    // A table whose rows were written to `file` (its path, as Write gets the files).
    void AddTable(const std::string& database, const std::string& table, const RowTally& tally,
        const std::string& characterSet, const std::string& file);
    // A database the run wrote (once each, in the order given).
    void AddDatabase(const std::string& database);
    void AddObject(const std::string& database, const StoredObject& object);
    void SetVerification(BackupManifest::Verification verification)
    {
        m_manifest.verification = std::move(verification);
    }

    // Records that `file` holds objects of `kind` (BackupManifest::kTables, ...) of `database`;
    // each database and kind is listed once per file, in the order first noted.
    void NoteContent(const std::string& file, const std::string& database, std::string_view kind);

    // The digest that a file's writer computed while writing it, or null (see FileSink).
    using WrittenDigests = std::function<const WrittenFileDigest*(const std::string& path)>;

    // Digests the files (each once: a file that still has the stamp of its written digest
    // is taken at that digest, any other is read back), then writes the manifest atomically beside them (see
    // ManifestPathFor) and returns its path. Files must sit in one folder: the manifest
    // names them within its own. It is written under the temporary name of the run's files
    // (`temporaryTag`), so that a manifest cut short by a kill is removed with them by the
    // task's next run. The error names what failed.
    Result<std::string> Write(const std::vector<std::string>& files, const TimeStamp& ended,
        std::string_view temporaryTag = "task", const WrittenDigests& writtenDigests = {});

    const BackupManifest& manifest() const { return m_manifest; }

private:
    BackupManifest m_manifest;
    std::map<std::string, BackupManifest::File> m_contents; // by the file's path, as noted
};

// The checksum of a stored program as a restore recreates it: XXH3-64 of its definition
// without the DEFINER clause (a restore by another user, or with definers stripped, changes
// only that), as 16 hexadecimal digits.
std::string ObjectChecksum(const StoredObject& object);

} // namespace kelvanto
