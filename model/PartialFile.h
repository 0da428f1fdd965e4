#pragma once

#include "model/Result.h"
#include "model/UniqueFd.h"

#include <string>
#include <string_view>
#include <sys/types.h>

namespace kelvanto
{

// A file that is written under a temporary name beside its final name and takes the final
// name only when it is whole, so that no file under a final name is ever incomplete:
// - Create opens the folder of the final path (OpenFolder) and creates
//   "<final name>.<tag>.partial" in it with O_CREAT | O_EXCL | O_NOFOLLOW, mode 0600; a stale
//   temporary file of the same name that is a regular file of the program's user is
//   replaced, anything else there is an Error;
// - a symbolic link at the final path is followed only when the program's user or root owns
//   it and its target lies in a folder no other user can write (OnlyOwnerWrites); the file
//   then replaces the target. A folder there, or any other link, is an Error;
// - Commit flushes the file to the disk, gives it the mode and owner of the file it
//   replaces (when the program's user owns that file or no other user can write into the
//   folder; with OwnerOnly it stays the program's user's, mode 0600), renames it over the
//   final name inside the opened folder and flushes the folder;
// - Discard (and the destructor) closes and removes the temporary file.
class PartialFile
{
public:
    // What a committed file takes from the file it replaces.
    enum class Replacing {
        KeepModeAndOwner,
        OwnerOnly,
    };

    PartialFile() = default;
    ~PartialFile();
    PartialFile(PartialFile&& other) noexcept = default;
    PartialFile& operator=(PartialFile&& other) noexcept;
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    // `flags` are added to O_WRONLY (O_APPEND, say).
    static Result<PartialFile> Create(const std::string& finalPath, std::string_view tag, int flags = 0);

    bool valid() const { return m_file.valid(); }
    int fd() const { return m_file.get(); }
    // The path of the temporary file as the final path's folder names it.
    std::string temporaryPath() const;
    // Whether the temporary name still holds the file that was created.
    bool StillInPlace() const;

    Result<void> Commit(Replacing replacing = Replacing::KeepModeAndOwner);
    void Discard() noexcept;

private:
    std::string m_folderPath; // as given, for messages
    UniqueFd m_folder;
    UniqueFd m_file;
    std::string m_finalName;
    std::string m_temporaryName;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

// Writes a whole file through a PartialFile: `bytes` (after the content of the file it
// replaces, with `keepOld`), flushed, then renamed into place. On failure nothing takes the
// final name and the temporary file is removed.
Result<void> WriteFileWhole(const std::string& finalPath, std::string_view tag, std::string_view bytes, bool keepOld,
    PartialFile::Replacing replacing = PartialFile::Replacing::KeepModeAndOwner);

} // namespace kelvanto
