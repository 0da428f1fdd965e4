#pragma once

#include "model/Result.h"
#include "model/Task.h"
#include "schedule/LogRecord.h"
#include "schedule/RunContext.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string_view>
#include <vector>

namespace kelvanto
{

class Clock;

// The per-task log files of one logs folder (the data folder's "Logs").
//
// A log file is the 4-byte magic followed by 360-byte records. Every append is made
// whole: appends to one file are serialised inside the process (a lock per file) and between processes
// (flock), and each record goes out in a single write() on an O_APPEND descriptor. A
// record cut short at the end of a file (an interrupted write) is never shown, and the
// next append cuts it off first so that every later record stays aligned.
//
// Only the part of a log file name after its last '/' or '\' is used; an empty result,
// "." and ".." are refused, so a name can never reach outside the logs folder.
class TaskLog
{
public:
    TaskLog(std::filesystem::path logsFolder, std::shared_ptr<const Clock> clock);

    const std::filesystem::path& Folder() const { return m_folder; }
    // The file a log file name stands for; nullopt when the name is refused.
    std::optional<std::filesystem::path> PathOf(std::string_view logFileName) const;

    // Appends one record stamped with the clock's local time; an empty message only makes
    // sure that the file exists and starts with the magic. False when the name is refused,
    // the file cannot be opened or written, or it holds something other than a task log
    // (such a file is left untouched). An older-format log is converted before the append.
    bool WriteLog(std::string_view logFileName, LogLevel level, std::string_view message);

    // Every record of a current- or older-format log, oldest first; none for a missing,
    // unreadable or foreign file.
    std::vector<LogRecord> ReadLog(std::string_view logFileName) const;
    // The last n records of a current-format log, oldest first; none for an older-format log.
    std::vector<LogRecord> ReadLastLogRecords(std::string_view logFileName, std::size_t n) const;

    // The last record of a current-format log whose text `wanted` accepts; nullopt when none.
    std::optional<LogRecord> FindLastRecord(
        std::string_view logFileName, const std::function<bool(std::string_view)>& wanted) const;

    // Deletes the log when the size is limited to maxSizeKB > 0 and (length / 1024) >= maxSizeKB.
    // True when the file was deleted.
    bool TrimLogIfTooLarge(std::string_view logFileName, bool logSizeLimited, std::int32_t logMaxSizeKB);
    // The same with the limit last given to SetSizeLimit (the runner calls this one).
    bool TrimLogIfTooLarge(std::string_view logFileName);
    void SetSizeLimit(bool logSizeLimited, std::int32_t logMaxSizeKB);

    // Converts the older-format logs of the given tasks once: does nothing when the marker
    // file "log200se.dll" exists, else rewrites each older-format log in the current format
    // (atomically) and then creates the marker. A failed rewrite leaves the marker missing
    // so that the next start tries again.
    Result<void> ConvertLegacyLogs(const std::vector<Task>& tasks);

    // Deletes the log file; true when it is gone afterwards.
    bool DeleteLog(std::string_view logFileName);
    // Copies the log file byte for byte to target, replacing a file that is there; written
    // whole under a temporary name and renamed into place (WriteFileWhole), mode 0600.
    bool CopyLogTo(std::string_view logFileName, const std::filesystem::path& target) const;

    // Hears every line written (not the empty first write that creates a file), on the
    // writing thread, after the append, whether or not the append succeeded; the service's
    // journal listens here. SetListener may be called at any time: a call in flight to the
    // old listener ends before it returns.
    using Listener = std::function<void(std::string_view logFileName, LogLevel level, std::string_view message)>;
    void SetListener(Listener listener);

private:
    enum class Conversion { NotNeeded, Converted, Failed };
    Conversion ConvertIfLegacyLocked(const std::filesystem::path& path);
    bool AppendLocked(const std::filesystem::path& path, LogLevel level, std::string_view message, bool retried);

    std::filesystem::path m_folder;
    std::shared_ptr<const Clock> m_clock;
    // Serialises the work on one file inside the process; a file's lock is one of a fixed
    // set chosen by its path, so different tasks' logs are written side by side.
    std::mutex& LockFor(const std::filesystem::path& path) const;
    mutable std::array<std::mutex, 64> m_locks;
    std::shared_mutex m_listenerMutex;
    Listener m_listener;
    std::atomic<bool> m_sizeLimited {false};
    std::atomic<std::int32_t> m_maxSizeKB {0};
};

} // namespace kelvanto
