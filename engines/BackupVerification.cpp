#include "engines/BackupVerification.h"

#include "engines/BackupManifest.h"
#include "engines/CompressedInput.h"
#include "engines/FileDigest.h"
#include "model/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
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
    ++result.filesFailed;
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
        return result;
    }
    Result<BackupManifest> manifest = BackupManifest::FromJson(*text);
    if (!manifest) {
        result.lines.push_back("FAIL " + result.manifestPath + ": " + manifest.error());
        CheckWithoutManifest(result, run);
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
