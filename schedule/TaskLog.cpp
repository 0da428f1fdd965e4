#include "schedule/TaskLog.h"

#include "model/AtomicFile.h"
#include "model/BinaryReader.h"
#include "model/BinaryWriter.h"
#include "model/FileBytes.h"
#include "model/FileFormat.h"
#include "model/PartialFile.h"
#include "model/SafeFolder.h"
#include "model/UniqueFd.h"
#include "schedule/Clock.h"
#include "schedule/LogFileReader.h"

#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace kelvanto
{

namespace
{

constexpr const char* kMarkerFileName = "log200se.dll";
constexpr std::size_t kMarkerSize = 3072;

std::string MagicBytes()
{
    BinaryWriter writer;
    writer.writeU32(fileformat::kMagic);
    return std::move(writer).take();
}

bool WriteAll(int fd, std::string_view bytes)
{
    // One write() per record: with O_APPEND the kernel places it whole at the end.
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    return written == static_cast<ssize_t>(bytes.size());
}

} // namespace

std::mutex& TaskLog::LockFor(const std::filesystem::path& path) const
{
    return m_locks[std::hash<std::string> {}(path.native()) % m_locks.size()];
}

TaskLog::TaskLog(std::filesystem::path logsFolder, std::shared_ptr<const Clock> clock)
    : m_folder(std::move(logsFolder))
    , m_clock(std::move(clock))
{ }

std::optional<std::filesystem::path> TaskLog::PathOf(std::string_view logFileName) const
{
    const std::size_t cut = logFileName.find_last_of("/\\");
    const std::string_view name = cut == std::string_view::npos ? logFileName : logFileName.substr(cut + 1);
    if (name.empty() || name == "." || name == "..")
        return std::nullopt;
    return m_folder / std::string(name);
}

bool TaskLog::WriteLog(std::string_view logFileName, LogLevel level, std::string_view message)
{
    const std::optional<std::filesystem::path> path = PathOf(logFileName);
    if (!path)
        return false;
    std::error_code ignored;
    std::filesystem::create_directories(m_folder, ignored);
    bool written;
    {
        std::lock_guard lock(LockFor(*path));
        written = AppendLocked(*path, level, message, false);
    }
    if (!message.empty()) {
        std::shared_lock listening(m_listenerMutex);
        if (m_listener)
            m_listener(logFileName, level, message);
    }
    return written;
}

void TaskLog::SetListener(Listener listener)
{
    std::unique_lock lock(m_listenerMutex);
    m_listener = std::move(listener);
}

bool TaskLog::AppendLocked(const std::filesystem::path& path, LogLevel level, std::string_view message, bool retried)
{
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK, 0600));
    if (!fd.valid())
        return false;
    // Another process (the command line beside the window) may append to the same file;
    // the lock is released when the descriptor closes.
    if (::flock(fd.get(), LOCK_EX) != 0)
        return false;
    struct stat info
    { };
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    auto size = static_cast<std::uint64_t>(info.st_size);

    if (size >= kLogHeaderSize) {
        std::string head(kLogHeaderSize, '\0');
        if (::pread(fd.get(), head.data(), head.size(), 0) != static_cast<ssize_t>(head.size()))
            return false;
        std::uint32_t magic = 0;
        BinaryReader(head).readU32(magic);
        if (magic != fileformat::kMagic) {
            // An older-format log is converted first; anything else is not ours to overwrite.
            if (retried || magic != fileformat::kLegacyMagicB0)
                return false;
            fd.close(); // releases the lock; ours still serialises this process
            if (ConvertIfLegacyLocked(path) != Conversion::Converted)
                return false;
            return AppendLocked(path, level, message, true);
        }
    } else {
        // Missing, empty or a header cut short: the file starts anew with the magic.
        if ((size > 0 && ::ftruncate(fd.get(), 0) != 0) || !WriteAll(fd.get(), MagicBytes()))
            return false;
        size = kLogHeaderSize;
    }
    if (message.empty())
        return true;

    // A record cut short by an interrupted write is dropped, so that this one stays aligned.
    const std::uint64_t aligned = kLogHeaderSize + (size - kLogHeaderSize) / kLogRecordSize * kLogRecordSize;
    if (aligned != size && ::ftruncate(fd.get(), static_cast<off_t>(aligned)) != 0)
        return false;
    if (!WriteAll(fd.get(), EncodeLogRecord(level, m_clock->Now(), message))) {
        // A short write (disk full) is taken back rather than left to misalign the file.
        [[maybe_unused]] const int undone = ::ftruncate(fd.get(), static_cast<off_t>(aligned));
        return false;
    }
    return fd.close();
}

std::vector<LogRecord> TaskLog::ReadLog(std::string_view logFileName) const
{
    const std::optional<std::filesystem::path> path = PathOf(logFileName);
    if (!path)
        return {};
    std::lock_guard lock(LockFor(*path));
    return ReadLogFile(*path);
}

std::vector<LogRecord> TaskLog::ReadLastLogRecords(std::string_view logFileName, std::size_t n) const
{
    const std::optional<std::filesystem::path> path = PathOf(logFileName);
    if (!path)
        return {};
    std::lock_guard lock(LockFor(*path));
    return ReadLastLogFileRecords(*path, n);
}

std::optional<LogRecord> TaskLog::FindLastRecord(
    std::string_view logFileName, const std::function<bool(std::string_view)>& wanted) const
{
    const std::optional<std::filesystem::path> path = PathOf(logFileName);
    if (!path)
        return std::nullopt;
    std::lock_guard lock(LockFor(*path));
    return FindLastLogFileRecord(*path, wanted);
}

bool TaskLog::TrimLogIfTooLarge(std::string_view logFileName, bool logSizeLimited, std::int32_t logMaxSizeKB)
{
    if (!logSizeLimited || logMaxSizeKB <= 0)
        return false;
    const std::optional<std::filesystem::path> path = PathOf(logFileName);
    if (!path)
        return false;
    std::lock_guard lock(LockFor(*path));
    std::error_code error;
    const std::uintmax_t length = std::filesystem::file_size(*path, error);
    if (error || length / 1024 < static_cast<std::uintmax_t>(logMaxSizeKB))
        return false;
    return std::filesystem::remove(*path, error) && !error;
}

bool TaskLog::TrimLogIfTooLarge(std::string_view logFileName)
{
    return TrimLogIfTooLarge(logFileName, m_sizeLimited.load(), m_maxSizeKB.load());
}

void TaskLog::SetSizeLimit(bool logSizeLimited, std::int32_t logMaxSizeKB)
{
    m_sizeLimited.store(logSizeLimited);
    m_maxSizeKB.store(logMaxSizeKB);
}

TaskLog::Conversion TaskLog::ConvertIfLegacyLocked(const std::filesystem::path& path)
{
    if (ReadLogMagic(path) != fileformat::kLegacyMagicB0)
        return Conversion::NotNeeded;
    const Result<std::string> bytes = ReadFileBytes(path);
    if (!bytes)
        return Conversion::Failed;
    const std::vector<LogRecord> records = ParseLegacyLog(*bytes);
    if (records.empty())
        return Conversion::NotNeeded;
    std::string converted = MagicBytes();
    converted.reserve(kLogHeaderSize + records.size() * kLogRecordSize);
    for (const LogRecord& record : records)
        converted += EncodeLogRecord(record.level, record.time, record.message);
    // Replaced as a whole, so that a failure part way keeps the old log.
    return WriteFileAtomically(path, converted) ? Conversion::Converted : Conversion::Failed;
}

Result<void> TaskLog::ConvertLegacyLogs(const std::vector<Task>& tasks)
{
    const std::filesystem::path marker = m_folder / kMarkerFileName;
    std::error_code error;
    if (std::filesystem::exists(marker, error))
        return Ok();
    std::filesystem::create_directories(m_folder, error);
    std::string failed;
    {
        for (const Task& task : tasks) {
            const std::optional<std::filesystem::path> path = PathOf(task.logFileName);
            if (!path)
                continue;
            std::lock_guard lock(LockFor(*path));
            if (ConvertIfLegacyLocked(*path) == Conversion::Failed)
                failed = path->string();
        }
    }
    if (!failed.empty())
        return Error {"Failed to convert the task log " + failed};
    const Result<void> written = WriteFileAtomically(marker, std::string(kMarkerSize, '\0'));
    if (!written)
        return Error {written.error()};
    return Ok();
}

bool TaskLog::DeleteLog(std::string_view logFileName)
{
    const std::optional<std::filesystem::path> path = PathOf(logFileName);
    if (!path)
        return false;
    std::lock_guard lock(LockFor(*path));
    std::error_code error;
    std::filesystem::remove(*path, error);
    return !error && !std::filesystem::exists(*path, error);
}

bool TaskLog::CopyLogTo(std::string_view logFileName, const std::filesystem::path& target) const
{
    const std::optional<std::filesystem::path> path = PathOf(logFileName);
    if (!path)
        return false;
    std::lock_guard lock(LockFor(*path));
    Result<std::string> bytes = ReadFileBytes(*path);
    if (!bytes)
        return false;
    // The copy is the user's alone (mode 0600), even over a file that others could read.
    return WriteFileWhole(target.string(), PartialTag(logFileName), *bytes, false, PartialFile::Replacing::OwnerOnly)
        .ok();
}

} // namespace kelvanto
