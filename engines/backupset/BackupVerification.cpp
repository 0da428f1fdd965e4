#include "engines/backupset/BackupVerification.h"

#include "engines/backupset/BackupManifest.h"
#include "engines/io/CompressedInput.h"
#include "engines/io/FileDigest.h"
#include "model/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kelvanto
{

namespace
{

// A manifest is a small text; anything far larger is not one of ours.
constexpr std::size_t kLongestManifest = 64 * 1024 * 1024;

// Reads the manifest; nullopt (with `error` empty) when there is none at the path.
std::optional<std::string> ReadManifestText(const std::string& path, std::string& error)
{
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file.valid()) {
        if (errno != ENOENT)
            error = std::string("cannot be opened: ") + std::strerror(errno);
        return std::nullopt;
    }
    struct stat info
    { };
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "is not a regular file";
        return std::nullopt;
    }
    if (static_cast<std::uint64_t>(info.st_size) > kLongestManifest) {
        error = "is too large to be a manifest";
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t count = ::read(file.get(), text.data() + done, text.size() - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            error = count < 0 ? std::string("cannot be read: ") + std::strerror(errno) : "was cut while it was read";
            return std::nullopt;
        }
        done += static_cast<std::size_t>(count);
    }
    return text;
}

// Why the path cannot be a file of the run, or "" when it is a regular file.
std::string NotARegularFile(const std::string& path)
{
    struct stat info
    { };
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT ? "is missing" : std::string("cannot be examined: ") + std::strerror(errno);
    if (S_ISLNK(info.st_mode))
        return "is a symbolic link, not the file that the backup wrote";
    if (!S_ISREG(info.st_mode))
        return "is not a regular file";
    return {};
}

// A name from a manifest is hostile: it must name a file in the manifest's own folder.
bool PlainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos
        && name.find('\0') == std::string::npos;
}

std::string Decompresses(const std::string& path, std::string& error)
{
    Result<DecodedFile> decoded = DecodeFile(path);
    if (!decoded) {
        error = decoded.error();
        return {};
    }
    if (decoded->compression == Compression::None)
        return "plain";
    return "decompresses to its end (" + std::to_string(decoded->decodedBytes) + " bytes)";
}

void Fail(BackupVerification& result, const std::string& path, const std::string& why)
{
    result.lines.push_back("FAIL " + path + ": " + why);
    std::vector<std::string>& failed = result.failedFiles;
    if (std::find(failed.begin(), failed.end(), path) == failed.end()) {
        failed.push_back(path);
        ++result.filesFailed;
    }
}

std::string Normal(const std::string& path)
{
    return std::filesystem::path(path).lexically_normal().string();
}

// A file that the history entry records twice was written over by its own run (a format that
// gave two tables or databases one name): only what was written into it last is there.
void CheckWrittenOnce(BackupVerification& result, const BackupRun& run)
{
    std::map<std::string, int> writings;
    for (const std::string& path : run.files)
        ++writings[Normal(path)];
    for (const std::string& path : run.files) {
        int& times = writings[Normal(path)];
        if (times > 1)
            Fail(result, path,
                "was written " + std::to_string(times)
                    + " times by this backup, so it holds only what was written into it last: tables of this "
                      "backup have no file of their own");
        times = 0; // said once, at its first place
    }
}

std::string TableName(const BackupManifest::Table& table)
{
    return table.database + "." + table.table;
}

// Each table of the manifest is in a file that the manifest lists, and where the layout gives
// tables (or databases) files of their own, no file holds two of them. False when the
// manifest itself is at fault.
bool CheckTableFiles(BackupVerification& result, const BackupManifest& manifest, const std::filesystem::path& folder)
{
    bool sound = true;
    std::map<std::string, std::vector<const BackupManifest::Table*>> byFile;
    for (const BackupManifest::Table& table : manifest.tables) {
        if (table.file.empty())
            continue; // recorded before tables named their files
        const bool listed = std::any_of(manifest.files.begin(), manifest.files.end(),
            [&](const BackupManifest::File& file) { return file.name == table.file; });
        if (!listed || !PlainName(table.file)) {
            result.lines.push_back("FAIL " + result.manifestPath + ": the table " + TableName(table)
                + " has no file of its own: the manifest does not list its file " + table.file);
            sound = false;
            continue;
        }
        byFile[table.file].push_back(&table);
    }
    for (const auto& [name, tables] : byFile) {
        const bool perTable = manifest.layout == BackupManifest::kFilePerTable;
        const bool perDatabase = manifest.layout == BackupManifest::kFilePerDatabase;
        const bool shared = (perTable && tables.size() > 1)
            || (perDatabase && std::any_of(tables.begin(), tables.end(), [&](const BackupManifest::Table* table) {
                   return table->database != tables.front()->database;
               }));
        if (!shared)
            continue;
        std::string names;
        for (const BackupManifest::Table* table : tables)
            names += (names.empty() ? "" : ", ") + TableName(*table);
        Fail(result, (folder / name).string(),
            "holds the tables " + names
                + ", which the backup wrote into files of their own: only the last one is in it");
    }
    return sound;
}

void CheckWithoutManifest(BackupVerification& result, const BackupRun& run)
{
    for (const std::string& path : run.files) {
        ++result.filesChecked;
        if (const std::string fault = NotARegularFile(path); !fault.empty()) {
            Fail(result, path, fault);
            continue;
        }
        std::string error;
        const std::string how = Decompresses(path, error);
        if (!error.empty())
            Fail(result, path, error);
        else
            result.lines.push_back("OK   " + path + ": " + how + " (no manifest to compare with)");
    }
}

void CheckFile(BackupVerification& result, const std::string& path, const BackupManifest::File& expected)
{
    ++result.filesChecked;
    if (const std::string fault = NotARegularFile(path); !fault.empty())
        return Fail(result, path, fault);
    Result<FileDigest> digest = DigestFile(path);
    if (!digest)
        return Fail(result, path, digest.error());
    if (digest->size != expected.size)
        return Fail(result, path,
            "is " + std::to_string(digest->size) + " bytes, the manifest says " + std::to_string(expected.size));
    if (digest->sha256 != expected.sha256)
        return Fail(result, path, "its SHA-256 differs from the manifest's: the file was changed after the backup");
    std::string error;
    const std::string how = Decompresses(path, error);
    if (!error.empty())
        return Fail(result, path, error);
    result.lines.push_back("OK   " + path + ": " + std::to_string(digest->size) + " bytes, SHA-256 matches, " + how);
}

} // namespace

BackupVerification VerifyBackupRun(const BackupRun& run)
{
    BackupVerification result;
    result.manifestPath = ManifestPathFor(run);
    if (result.manifestPath.empty()) {
        result.lines.push_back("FAIL the backup recorded no file");
        return result;
    }
    std::string error;
    const std::optional<std::string> text = ReadManifestText(result.manifestPath, error);
    if (!text) {
        result.lines.push_back("FAIL " + result.manifestPath + ": "
            + (error.empty() ? "there is no manifest, so sizes and checksums cannot be checked" : error));
        CheckWithoutManifest(result, run);
        CheckWrittenOnce(result, run);
        return result;
    }
    Result<BackupManifest> manifest = BackupManifest::FromJson(*text);
    if (!manifest) {
        result.lines.push_back("FAIL " + result.manifestPath + ": " + manifest.error());
        CheckWithoutManifest(result, run);
        CheckWrittenOnce(result, run);
        return result;
    }
    result.manifestFound = true;
    const std::filesystem::path folder = std::filesystem::path(result.manifestPath).parent_path();
    bool manifestSound = true;
    std::vector<std::string> checked;
    for (const BackupManifest::File& file : manifest->files) {
        if (!PlainName(file.name)) {
            result.lines.push_back("FAIL " + result.manifestPath + ": names a file outside its folder");
            manifestSound = false;
            continue;
        }
        const std::string path = (folder / file.name).string();
        checked.push_back(std::filesystem::path(path).lexically_normal().string());
        CheckFile(result, path, file);
    }
    // A file that the history records but the manifest does not name was not part of the run
    // that the manifest describes.
    for (const std::string& path : run.files) {
        const std::string normal = std::filesystem::path(path).lexically_normal().string();
        if (std::find(checked.begin(), checked.end(), normal) != checked.end())
            continue;
        ++result.filesChecked;
        Fail(result, path, "is recorded for this backup but not named in its manifest");
    }
    CheckWrittenOnce(result, run);
    manifestSound = CheckTableFiles(result, *manifest, folder) && manifestSound;
    if (manifest->verification && !manifest->verification->passed) {
        result.lines.push_back("FAIL " + result.manifestPath + ": the verification by restore into "
            + manifest->verification->server + " failed: " + manifest->verification->failure);
        manifestSound = false;
    }
    result.ok = manifestSound && result.filesFailed == 0 && result.filesChecked > 0;
    result.manifest = std::move(*manifest);
    return result;
}

} // namespace kelvanto
