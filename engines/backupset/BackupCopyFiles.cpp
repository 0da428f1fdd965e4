#include "engines/backupset/BackupCopyFiles.h"

#include "engines/backup/BackupNaming.h"
#include "model/SafeFolder.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fnmatch.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvanto
{

namespace
{

constexpr const char* kDigits2 = "[0-9][0-9]";
constexpr const char* kRunFolderPattern = "[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]_[0-9][0-9]-[0-9][0-9]-[0-9][0-9]";

struct FreeDeleter
{
    void operator()(char* text) const { std::free(text); }
};

std::string Resolved(const std::string& path)
{
    std::unique_ptr<char, FreeDeleter> resolved(::realpath(path.c_str(), nullptr));
    return resolved ? std::string(resolved.get()) : std::string();
}

bool Matches(const std::string& pattern, const std::string& name)
{
    return ::fnmatch(pattern.c_str(), name.c_str(), FNM_PATHNAME) == 0;
}

// The file name format as a pattern: each placeholder matches what it can expand to,
// everything else itself; '/' and the parts "." and ".." are left out as the names leave
// them out.
std::string FormatPattern(const std::string& rawFormat)
{
    const std::string format = WithoutPathComponents(rawFormat);
    const std::string date = std::string(kDigits2) + kDigits2 + "-" + kDigits2 + "-" + kDigits2;
    const std::string time = std::string(kDigits2) + "-" + kDigits2 + "-" + kDigits2;
    std::string pattern;
    for (std::size_t i = 0; i < format.size();) {
        const char c = format[i];
        const auto placeholder = [&](std::string_view name) { return format.compare(i, name.size(), name) == 0; };
        if (placeholder("%DATE%")) {
            pattern += date;
            i += 6;
        } else if (placeholder("%TIME%")) {
            pattern += time;
            i += 6;
        } else if (placeholder("%HOST%") || placeholder("%TABLE%")) {
            pattern += "*";
            i += placeholder("%HOST%") ? 6 : 7;
        } else if (placeholder("%TASKNAME%") || placeholder("%DATABASE%")) {
            pattern += "*";
            i += 10;
        } else {
            if (c == '*' || c == '?' || c == '[' || c == '\\')
                pattern += '\\';
            pattern += c;
            ++i;
        }
    }
    return pattern;
}

} // namespace

BackupCopyFiles::BackupCopyFiles(const BackupSettings& settings)
    : m_root(settings.backupFolder.empty() ? std::string() : Resolved(settings.backupFolder))
    , m_pattern(FormatPattern(settings.fileNameFormat))
{ }

bool BackupCopyFiles::NamedByTask(const std::string& name) const
{
    for (const std::string_view extension : {".sql", ".php", ".sql.zst", ".sql.gz"}) {
        if (!name.ends_with(extension))
            continue;
        const std::string_view stem = std::string_view(name).substr(0, name.size() - extension.size());
        if (Matches(m_pattern, std::string(stem)))
            return true;
        // A run gives a file whose name was taken a number before its extension.
        if (const auto plain = StripNameNumber(stem); plain && Matches(m_pattern, std::string(*plain)))
            return true;
    }
    return false;
}

bool BackupCopyFiles::NamedAsManifest(const std::string& name) const
{
    // Beside the file of "always the same file" mode, or one per run folder.
    const std::string suffix = ".manifest.json";
    if (!name.ends_with(suffix))
        return false;
    const std::string stem = name.substr(0, name.size() - suffix.size());
    return NamedByTask(stem) || Matches(std::string("kelvanto-run_") + kRunFolderPattern, stem);
}

UniqueFd BackupCopyFiles::OpenHolder(const std::string& path, std::string& name) const
{
    const std::filesystem::path full(path);
    name = full.filename().string();
    if (m_root.empty() || name.empty() || name == "." || name == "..")
        return {};
    const std::string parent = Resolved(full.parent_path().empty() ? "." : full.parent_path().string());
    const std::filesystem::path resolvedParent(parent);
    const bool inRoot = parent == m_root;
    const bool inRunFolder = !inRoot && resolvedParent.parent_path().string() == m_root
        && Matches(kRunFolderPattern, resolvedParent.filename().string());
    if (parent.empty() || (!inRoot && !inRunFolder))
        return {};
    Result<UniqueFd> opened = OpenFolder(parent);
    return opened ? std::move(*opened) : UniqueFd();
}

bool BackupCopyFiles::DeleteFile(const std::string& path) const
{
    std::string name;
    const UniqueFd folder = OpenHolder(path, name);
    if (!folder.valid() || !(NamedByTask(name) || NamedAsManifest(name)))
        return false;
    struct stat status
    { };
    if (::fstatat(folder.get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(status.st_mode)
        || !OwnedByUs(status))
        return false;
    return ::unlinkat(folder.get(), name.c_str(), 0) == 0;
}

bool BackupCopyFiles::DeleteRunFolder(const std::string& path) const
{
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    std::string name;
    const UniqueFd folder = OpenHolder(trimmed, name);
    // Only a run folder directly in the backup folder (its holder is the backup folder).
    if (!folder.valid() || !Matches(kRunFolderPattern, name))
        return false;
    struct stat holder
    { };
    struct stat root
    { };
    if (::fstat(folder.get(), &holder) != 0 || ::stat(m_root.c_str(), &root) != 0 || holder.st_ino != root.st_ino
        || holder.st_dev != root.st_dev)
        return false;
    struct stat status
    { };
    if (::fstatat(folder.get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(status.st_mode)
        || !OwnedByUs(status))
        return false;
    return ::unlinkat(folder.get(), name.c_str(), AT_REMOVEDIR) == 0;
}

} // namespace kelvanto
