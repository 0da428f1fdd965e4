#pragma once

#include "model/Result.h"
#include "model/UniqueFd.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kelvanto
{

// The claim of one process on a data folder: an exclusive lock on the file "kelvanto.lock"
// inside it. A scheduler (the desktop application, the service) holds it for
// its whole life, and a command line that changes tasks or runs them holds it while it works,
// so that two front ends never run the same task at once nor save over each other's task list.
// The holder writes its pid and a description of itself into the file, so that a refused
// process can say who has the folder. The lock goes with the descriptor: a holder that dies,
// even by kill -9, frees the folder at once; the text it left is rewritten by the next holder.
class DataFolderLock
{
public:
    static constexpr const char* kFileName = "kelvanto.lock";

    // Who holds a folder, as the holder described itself.
    struct HolderInfo
    {
        long pid = 0;
        std::string description; // "kelvanto", "kelvanto-cli serve", ...
    };

    // Takes the lock on `root`, waiting up to `wait` for a holder to let go. `description`
    // tells later comers who holds it. Fails with a message naming the holder when the folder
    // stays taken, or with the system's reason when the lock file cannot be opened.
    static Result<DataFolderLock> Acquire(
        const std::filesystem::path& root, std::string_view description, std::chrono::milliseconds wait = {});

    // The current holder of `root`, or nullopt when no process holds it.
    static std::optional<HolderInfo> Holder(const std::filesystem::path& root);

    // "the data folder DIR is in use by DESCRIPTION (pid N)".
    static std::string BusyMessage(const std::filesystem::path& root, const std::optional<HolderInfo>& holder);

    DataFolderLock() = default;
    DataFolderLock(DataFolderLock&&) noexcept = default;
    DataFolderLock& operator=(DataFolderLock&&) noexcept = default;
    DataFolderLock(const DataFolderLock&) = delete;
    DataFolderLock& operator=(const DataFolderLock&) = delete;

    bool held() const { return m_file.valid(); }
    // Lets the folder go (closing the descriptor releases the lock).
    void Release() noexcept { m_file.close(); }

private:
    explicit DataFolderLock(UniqueFd file)
        : m_file(std::move(file))
    { }

    UniqueFd m_file;
};

} // namespace kelvanto
