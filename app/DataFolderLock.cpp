#include "app/DataFolderLock.h"

#include <cerrno>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace kelvanto
{

namespace
{

constexpr std::chrono::milliseconds kRetryInterval {50};
// More than any pid and description a holder writes.
constexpr std::size_t kMaxHolderText = 4096;

UniqueFd OpenLockFile(const std::filesystem::path& root)
{
    // O_CLOEXEC: a program that the holder starts (a browser, a mail client) must not
    // inherit the descriptor and with it the lock.
    return UniqueFd(::open((root / DataFolderLock::kFileName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
}

// An open-file-description lock on the whole file: like flock() it belongs to the open file,
// not to the process, and unlike flock() another process can ask about it (F_OFD_GETLK)
// without taking it.
struct flock WholeFile(short type)
{
    struct flock lock
    { };
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    return lock;
}

bool TryLock(int fd)
{
    struct flock lock = WholeFile(F_WRLCK);
    while (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

std::optional<DataFolderLock::HolderInfo> ReadHolder(int fd)
{
    char buffer[kMaxHolderText];
    ssize_t got;
    do {
        got = ::pread(fd, buffer, sizeof buffer, 0);
    } while (got < 0 && errno == EINTR);
    if (got <= 0)
        return std::nullopt;
    std::string text(buffer, static_cast<std::size_t>(got));
    if (auto end = text.find('\n'); end != std::string::npos)
        text.resize(end);
    DataFolderLock::HolderInfo info;
    const auto space = text.find(' ');
    try {
        info.pid = std::stol(text.substr(0, space));
    } catch (...) {
        return std::nullopt;
    }
    if (space != std::string::npos)
        info.description = text.substr(space + 1);
    return info;
}

bool WriteHolder(int fd, std::string_view description)
{
    const std::string text = std::to_string(::getpid()) + " " + std::string(description) + "\n";
    if (::ftruncate(fd, 0) != 0)
        return false;
    return ::pwrite(fd, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size());
}

} // namespace

Result<DataFolderLock> DataFolderLock::Acquire(
    const std::filesystem::path& root, std::string_view description, std::chrono::milliseconds wait)
{
    UniqueFd file = OpenLockFile(root);
    if (!file.valid())
        return Error {"cannot open the lock file in " + root.string() + ": " + std::strerror(errno)};
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!TryLock(file.get())) {
        if (errno != EAGAIN && errno != EACCES)
            return Error {"cannot lock the data folder " + root.string() + ": " + std::strerror(errno)};
        if (std::chrono::steady_clock::now() >= deadline)
            return Error {BusyMessage(root, ReadHolder(file.get()))};
        std::this_thread::sleep_for(kRetryInterval);
    }
    // The description only helps others word their refusal; the lock holds without it.
    WriteHolder(file.get(), description);
    return DataFolderLock(std::move(file));
}

std::optional<DataFolderLock::HolderInfo> DataFolderLock::Holder(const std::filesystem::path& root)
{
    UniqueFd file(::open((root / kFileName).c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid())
        return std::nullopt;
    struct flock probe = WholeFile(F_WRLCK);
    if (::fcntl(file.get(), F_OFD_GETLK, &probe) != 0 || probe.l_type == F_UNLCK)
        return std::nullopt;
    auto holder = ReadHolder(file.get());
    return holder ? holder : std::optional<HolderInfo>(HolderInfo {});
}

std::string DataFolderLock::BusyMessage(const std::filesystem::path& root, const std::optional<HolderInfo>& holder)
{
    std::string message = "the data folder " + root.string() + " is in use by ";
    if (holder && holder->pid > 0)
        message += (holder->description.empty() ? std::string("another process") : holder->description) + " (pid "
            + std::to_string(holder->pid) + ")";
    else
        message += "another process";
    return message;
}

} // namespace kelvanto
