#include "schedule/LogFileReader.h"

#include "model/BinaryReader.h"
#include "model/FileBytes.h"
#include "model/FileFormat.h"
#include "model/UniqueFd.h"

#include <array>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvanto
{

namespace
{

// Reads exactly size bytes at offset; false on an error or a short file.
bool ReadAt(int fd, std::uint64_t offset, std::size_t size, std::string& out)
{
    out.resize(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, out.data() + done, size - done, static_cast<off_t>(offset + done));
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

std::optional<std::uint64_t> FileSize(int fd)
{
    struct stat info
    { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

UniqueFd OpenForReading(const std::filesystem::path& path)
{
    // Non-blocking, so that a pipe put in place of a log cannot stall the reader.
    return UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
}

std::uint32_t LittleEndian32(std::string_view bytes)
{
    BinaryReader reader(bytes);
    std::uint32_t value = 0;
    reader.readU32(value);
    return value;
}

// Reads `count` records starting at `offset`, a bounded chunk at a time.
std::vector<LogRecord> ReadRecords(int fd, std::uint64_t offset, std::uint64_t count)
{
    constexpr std::uint64_t kChunkRecords = 1024;
    std::vector<LogRecord> records;
    records.reserve(static_cast<std::size_t>(count));
    std::string chunk;
    while (count > 0) {
        const std::uint64_t take = std::min(count, kChunkRecords);
        if (!ReadAt(fd, offset, static_cast<std::size_t>(take * kLogRecordSize), chunk))
            break;
        for (std::uint64_t i = 0; i < take; ++i)
            records.push_back(DecodeLogRecord(std::string_view(chunk).substr(i * kLogRecordSize, kLogRecordSize)));
        offset += take * kLogRecordSize;
        count -= take;
    }
    return records;
}

} // namespace

std::optional<std::uint32_t> ReadLogMagic(const std::filesystem::path& path)
{
    const UniqueFd fd = OpenForReading(path);
    std::string head;
    if (!fd.valid() || !FileSize(fd.get()) || !ReadAt(fd.get(), 0, kLogHeaderSize, head))
        return std::nullopt;
    return LittleEndian32(head);
}

std::vector<LogRecord> ReadLogFile(const std::filesystem::path& path)
{
    const std::optional<std::uint32_t> magic = ReadLogMagic(path);
    if (magic == fileformat::kLegacyMagicB0) {
        const Result<std::string> bytes = ReadFileBytes(path);
        return bytes ? ParseLegacyLog(*bytes) : std::vector<LogRecord> {};
    }
    if (magic != fileformat::kMagic)
        return {};
    const UniqueFd fd = OpenForReading(path);
    const std::optional<std::uint64_t> size = fd.valid() ? FileSize(fd.get()) : std::nullopt;
    if (!size || *size < kLogHeaderSize)
        return {};
    return ReadRecords(fd.get(), kLogHeaderSize, (*size - kLogHeaderSize) / kLogRecordSize);
}

std::vector<LogRecord> ReadLastLogFileRecords(const std::filesystem::path& path, std::size_t n)
{
    if (n == 0 || ReadLogMagic(path) != fileformat::kMagic)
        return {};
    const UniqueFd fd = OpenForReading(path);
    const std::optional<std::uint64_t> size = fd.valid() ? FileSize(fd.get()) : std::nullopt;
    if (!size || *size < kLogHeaderSize)
        return {};
    const std::uint64_t total = (*size - kLogHeaderSize) / kLogRecordSize;
    const std::uint64_t count = std::min<std::uint64_t>(total, n);
    // Counted from the last whole record, so that a record still being appended is skipped.
    return ReadRecords(fd.get(), kLogHeaderSize + (total - count) * kLogRecordSize, count);
}

std::optional<LogRecord> FindLastLogFileRecord(
    const std::filesystem::path& path, const std::function<bool(std::string_view)>& wanted)
{
    if (ReadLogMagic(path) != fileformat::kMagic)
        return std::nullopt;
    const UniqueFd fd = OpenForReading(path);
    const std::optional<std::uint64_t> size = fd.valid() ? FileSize(fd.get()) : std::nullopt;
    if (!size || *size < kLogHeaderSize)
        return std::nullopt;
    constexpr std::uint64_t kChunkRecords = 256;
    std::uint64_t end = (*size - kLogHeaderSize) / kLogRecordSize;
    while (end > 0) {
        const std::uint64_t count = std::min(end, kChunkRecords);
        const std::vector<LogRecord> records
            = ReadRecords(fd.get(), kLogHeaderSize + (end - count) * kLogRecordSize, count);
        if (records.size() != count)
            return std::nullopt;
        for (auto record = records.rbegin(); record != records.rend(); ++record) {
            if (wanted(record->message))
                return *record;
        }
        end -= count;
    }
    return std::nullopt;
}

std::vector<LogRecord> ParseLegacyLog(std::string_view bytes)
{
    std::vector<LogRecord> records;
    BinaryReader reader(bytes);
    std::uint32_t magic = 0;
    if (!reader.readU32(magic) || magic != fileformat::kLegacyMagicB0)
        return records;
    while (!reader.atEnd()) {
        std::uint8_t level = 0;
        std::array<std::int32_t, 7> fields {};
        reader.readU8(level);
        for (std::int32_t& field : fields)
            reader.readI32(field);
        std::string text;
        // The length is checked against the bytes left before anything is allocated.
        reader.readString(text, fileformat::kPlainKey);
        if (!reader.ok())
            break;
        records.push_back(LogRecord {static_cast<LogLevel>(level),
            TimeStamp {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6]}, std::move(text)});
    }
    return records;
}

} // namespace kelvanto
