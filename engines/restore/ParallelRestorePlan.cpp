#include "engines/restore/ParallelRestorePlan.h"

#include "engines/io/FileDigest.h"
#include "engines/restore/ParallelRestoreDatabase.h"
#include "model/FileBytes.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <set>
#include <system_error>
#include <thread>

namespace kelvanto
{

namespace
{

constexpr std::string_view kManifestSuffix = ".manifest.json";
// Far above any real manifest; a larger file in the folder is not read.
constexpr std::uintmax_t kLargestManifest = 64 * 1024 * 1024;

bool HoldsTables(const BackupManifest::File& file)
{
    for (const std::string& kind : file.contents) {
        if (kind == BackupManifest::kTables || kind == BackupManifest::kRows || kind == BackupManifest::kSequences)
            return true;
    }
    return false;
}

const BackupManifest::File* FindFile(const BackupManifest& manifest, const std::string& name)
{
    for (const BackupManifest::File& file : manifest.files) {
        if (file.name == name)
            return &file;
    }
    return nullptr;
}

std::string OneConnection(const std::string& why)
{
    return why + ", so they are restored over one connection";
}

// The first of `paths` whose size or SHA-256 differs from its manifest entry; "" when all
// match. The files are digested over up to `threads` threads; the calling thread asks `quit`
// between its files, and a stop leaves the rest unchecked.
std::string FirstChangedFile(const std::vector<std::string>& paths,
    const std::vector<const BackupManifest::File*>& files, int threads, const std::function<bool()>& quit)
{
    enum : char { kUnchecked, kSame, kChanged };
    std::vector<char> states(paths.size(), kUnchecked);
    std::atomic<std::size_t> next {0};
    std::atomic<bool> stop {false};
    const auto work = [&](bool asksQuit) {
        for (std::size_t index = next++; index < paths.size() && !stop; index = next++) {
            const Result<FileDigest> digest = DigestFile(paths[index]);
            const bool same = digest && digest->size == files[index]->size && digest->sha256 == files[index]->sha256;
            states[index] = same ? kSame : kChanged;
            if (!same || (asksQuit && quit()))
                stop = true;
        }
    };
    {
        std::vector<std::jthread> helpers;
        const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(threads), paths.size());
        for (std::size_t helper = 1; helper < count; ++helper)
            helpers.emplace_back(work, false);
        work(true);
    }
    for (std::size_t index = 0; index < paths.size(); ++index) {
        if (states[index] == kChanged)
            return paths[index];
    }
    return {};
}

} // namespace

RunManifestSearch FindRunManifest(const std::string& folder, const std::vector<std::string>& names)
{
    RunManifestSearch found;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder.empty() ? "." : folder, error);
    if (error)
        return found;
    std::vector<std::filesystem::path> candidates;
    for (const std::filesystem::directory_entry& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (name.size() > kManifestSuffix.size() && name.ends_with(kManifestSuffix))
            candidates.push_back(entry.path());
    }
    // In name order, so that the choice does not depend on the order of the folder.
    std::sort(candidates.begin(), candidates.end());
    for (const std::filesystem::path& path : candidates) {
        const std::filesystem::file_status status = std::filesystem::symlink_status(path, error);
        if (error || !std::filesystem::is_regular_file(status)
            || std::filesystem::file_size(path, error) > kLargestManifest || error)
            continue;
        Result<std::string> text = ReadFileBytes(path);
        if (!text)
            continue;
        Result<BackupManifest> manifest = BackupManifest::FromJson(*text);
        if (!manifest)
            continue;
        const bool listsAll = std::all_of(
            names.begin(), names.end(), [&](const std::string& name) { return FindFile(*manifest, name) != nullptr; });
        if (!listsAll)
            continue;
        // A copy under another name, put there by anyone who can write the folder, is no
        // run's manifest.
        const std::string name = path.filename().string();
        if (manifest->files.empty() || name != ManifestPathFor(manifest->files.front().name)) {
            if (found.misnamed.empty())
                found.misnamed = name;
            continue;
        }
        found.manifest = std::move(*manifest);
        return found;
    }
    return found;
}

ParallelRestoreChoice PlanParallelRestore(
    const std::vector<RestoreFile>& entries, int threads, const std::function<bool()>& quit)
{
    ParallelRestoreChoice choice;
    std::vector<std::string> paths;
    for (const RestoreFile& entry : entries) {
        if (entry.checkState == 0)
            paths.push_back(entry.path);
    }
    if (threads <= 1 || paths.size() <= 1)
        return choice;

    const std::filesystem::path folder = std::filesystem::path(paths.front()).parent_path();
    std::vector<std::string> names;
    std::set<std::string> seen;
    for (const std::string& path : paths) {
        const std::filesystem::path file(path);
        if (file.parent_path() != folder || !seen.insert(file.filename().string()).second) {
            choice.reason = OneConnection("The files are not those of one backup run");
            return choice;
        }
        names.push_back(file.filename().string());
    }
    const RunManifestSearch found = FindRunManifest(folder.string(), names);
    if (!found.manifest) {
        if (found.misnamed.empty()) {
            choice.reason = OneConnection("No manifest of a backup run lists these files");
        } else {
            choice.level = LogLevel::Warning;
            choice.reason = OneConnection(found.misnamed
                + " lists these files but is not the manifest of their backup run (it is not named after the "
                  "run's first file)");
        }
        return choice;
    }
    const std::optional<BackupManifest>& manifest = found.manifest;
    std::vector<const BackupManifest::File*> files;
    for (const std::string& name : names) {
        const BackupManifest::File* file = FindFile(*manifest, name);
        if (!file->Described() || file->databases.size() != 1) {
            choice.reason = OneConnection("The manifest does not name one database and its objects for " + name);
            return choice;
        }
        files.push_back(file);
    }
    const std::string changed = FirstChangedFile(paths, files, threads, quit);
    if (!changed.empty()) {
        choice.level = LogLevel::Warning;
        choice.reason
            = OneConnection(changed + " does not have the size and SHA-256 that the manifest of its backup records");
        return choice;
    }
    // A stop while the files were checked: the caller leaves the run.
    if (quit())
        return choice;
    // Where each file's statements go is the file's own word, and the manifest must agree.
    std::vector<std::string> databases;
    for (std::size_t index = 0; index < paths.size(); ++index) {
        Result<std::string> own = FileSelectedDatabase(paths[index]);
        std::string why;
        if (!own) {
            why = paths[index] + " " + own.error();
        } else if (*own != files[index]->databases.front()) {
            why = "The manifest names the database " + files[index]->databases.front() + " for " + names[index]
                + ", but the file selects " + *own;
        } else {
            databases.push_back(std::move(*own));
            continue;
        }
        choice.level = LogLevel::Warning;
        choice.reason = OneConnection(why);
        return choice;
    }
    ParallelRestorePlan plan;
    for (const BackupManifest::File& file : manifest->files) {
        const auto listed = std::find(names.begin(), names.end(), file.name);
        if (listed == names.end())
            continue;
        const auto index = static_cast<std::size_t>(listed - names.begin());
        ParallelRestorePlan::Item item {paths[index], databases[index]};
        (HoldsTables(file) ? plan.tables : plan.after).push_back(std::move(item));
    }
    choice.plan = std::move(plan);
    return choice;
}

} // namespace kelvanto
