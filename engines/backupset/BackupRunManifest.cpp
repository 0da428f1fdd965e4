#include "engines/backupset/BackupRunManifest.h"

#include "engines/io/Compression.h"
#include "engines/io/FileDigest.h"
#include "model/PartialFile.h"

#include <xxhash.h>

#include <algorithm>
#include <filesystem>

namespace kelvanto
{

namespace
{

std::string CompressionName(Compression kind)
{
    switch (kind) {
    case Compression::Zstd:
        return "zstd";
    case Compression::Gzip:
        return "gzip";
    case Compression::None:
        break;
    }
    return "none";
}

} // namespace

BackupRunManifest::BackupRunManifest(std::string taskId, std::string taskName, const TimeStamp& started)
{
    m_manifest.programVersion = std::string(ProgramVersion());
    m_manifest.taskId = std::move(taskId);
    m_manifest.taskName = std::move(taskName);
    m_manifest.started = started;
}

void BackupRunManifest::SetSnapshotPosition(std::string file, std::uint64_t position)
{
    m_manifest.binlog = BackupManifest::BinlogPosition {std::move(file), position};
}

void BackupRunManifest::AddTable(const std::string& database, const std::string& table, const RowTally& tally,
    const std::string& characterSet, const std::string& file)
{
    m_manifest.tables.push_back({database, table, tally.rows(), tally.ChecksumText(), characterSet, file});
}

void BackupRunManifest::NoteContent(const std::string& file, const std::string& database, std::string_view kind)
{
    BackupManifest::File& noted = m_contents[file];
    const auto addOnce = [](std::vector<std::string>& list, std::string_view item) {
        if (std::find(list.begin(), list.end(), item) == list.end())
            list.emplace_back(item);
    };
    addOnce(noted.databases, database);
    addOnce(noted.contents, kind);
}

void BackupRunManifest::AddDatabase(const std::string& database)
{
    std::vector<std::string>& databases = m_manifest.databases;
    if (std::find(databases.begin(), databases.end(), database) == databases.end())
        databases.push_back(database);
}

void BackupRunManifest::AddObject(const std::string& database, const StoredObject& object)
{
    m_manifest.objects.push_back({std::string(KindWord(object.kind)), database, object.name, ObjectChecksum(object)});
}

std::string ObjectChecksum(const StoredObject& object)
{
    const std::string definition = StripDefiner(object.definition);
    return ChecksumText(XXH3_64bits(definition.data(), definition.size()));
}

Result<std::string> BackupRunManifest::Write(const std::vector<std::string>& files, const TimeStamp& ended,
    std::string_view temporaryTag, const WrittenDigests& writtenDigests)
{
    if (files.empty())
        return Error {"the run wrote no file"};
    const std::string path = ManifestPathFor(files.front());
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    m_manifest.ended = ended;
    m_manifest.files.clear();
    std::vector<std::string> seen;
    for (const std::string& file : files) {
        if (std::find(seen.begin(), seen.end(), file) != seen.end())
            continue;
        seen.push_back(file);
        if (std::filesystem::path(file).parent_path() != folder)
            return Error {file + ": is not in the folder of the manifest"};
        Result<FileDigest> digest = DigestFile(file, writtenDigests ? writtenDigests(file) : nullptr);
        if (!digest)
            return Error {file + ": " + digest.error()};
        BackupManifest::File entry {std::filesystem::path(file).filename().string(), digest->size, digest->sha256,
            CompressionName(DetectFileCompression(file)), {}, {}};
        if (const auto noted = m_contents.find(file); noted != m_contents.end()) {
            entry.databases = noted->second.databases;
            entry.contents = noted->second.contents;
        }
        m_manifest.files.push_back(std::move(entry));
    }
    // The manifest names each table's file in its own folder, as it names the files.
    for (BackupManifest::Table& table : m_manifest.tables)
        table.file = std::filesystem::path(table.file).filename().string();
    Result<void> written = WriteFileWhole(path, temporaryTag, m_manifest.ToJson(), false);
    if (!written)
        return Error {path + ": " + written.error()};
    return path;
}

} // namespace kelvanto
