#include "engines/backup/BackupFileNames.h"

#include "engines/backup/BackupNaming.h"
#include "engines/backupset/BackupManifest.h"

#include <sys/stat.h>

namespace kelvanto
{

namespace
{

// More numbered names than any folder holds for one name: past it something is wrong (a file
// system that says every name exists), and no name is given.
constexpr unsigned kLastNumber = 100000;

// Whether anything (a file, a folder, a link, dangling or not) is at the path.
bool Exists(const std::string& path)
{
    struct stat status
    { };
    return ::lstat(path.c_str(), &status) == 0;
}

} // namespace

BackupFileNames::BackupFileNames(const std::vector<BackupRun>& history)
{
    for (const BackupRun& run : history) {
        for (const std::string& file : run.files) {
            if (!file.empty())
                m_taken.insert(BackupPathKey(file));
        }
        if (const std::string manifest = ManifestPathFor(run); !manifest.empty())
            m_taken.insert(BackupPathKey(manifest));
    }
}

bool BackupFileNames::Taken(const std::string& path) const
{
    const std::string manifest = ManifestPathFor(path);
    return m_taken.count(BackupPathKey(path)) > 0 || m_taken.count(BackupPathKey(manifest)) > 0 || Exists(path)
        || Exists(manifest);
}

std::string BackupFileNames::Claim(const std::string& path)
{
    std::string name = path;
    for (unsigned number = 2; Taken(name); ++number) {
        if (number > kLastNumber)
            return {};
        name = NumberedBackupFilePath(path, number);
    }
    m_taken.insert(BackupPathKey(name));
    return name;
}

} // namespace kelvanto
