#include "engines/io/FileSink.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kelvanto
{

namespace
{

long PosixWrite(int fd, const char* data, std::size_t size)
{
    return static_cast<long>(::write(fd, data, size));
}

std::int64_t CoarseMonotonicMs()
{
    timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// A flush that the file system cannot do (a pipe, a special file, a read-only or exotic
// file system) is no lost data.
bool CannotFlushHere(int error)
{
    return error == EINVAL || error == EROFS || error == ENOTSUP;
}

// fsync of one path; false (errno set) only when the flush itself failed.
bool SyncPath(const std::string& path, int flags)
{
    UniqueFd file(::open(path.c_str(), flags | O_CLOEXEC));
    if (!file.valid())
        return true;
    if (::fsync(file.get()) == 0 || CannotFlushHere(errno))
        return true;
    return false;
}

} // namespace

FileSink::FileSink()
    : FileSink(Options {})
{ }

FileSink::FileSink(Options options)
    : m_options(std::move(options))
{
    if (!m_options.write)
        m_options.write = PosixWrite;
    if (!m_options.clock)
        m_options.clock = CoarseMonotonicMs;
    if (m_options.bufferSize == 0)
        m_options.bufferSize = 1;
}

FileSink::~FileSink()
{
    Abandon();
}

bool FileSink::Create(const std::string& path)
{
    Close();
    m_lastError.clear();
    if (path.empty())
        return false;
    // O_APPEND: every write lands at the end of the file, whatever else moved it.
    Result<PartialFile> created = PartialFile::Create(path, m_tag, O_APPEND);
    if (!created) {
        m_lastError = created.error();
        return false;
    }
    m_partial = std::move(*created);
    Opened(path);
    if (m_digesting) {
        m_digest.emplace();
        // A digest that cannot start only means that the manifest reads the file back.
        if (!m_digest->valid())
            m_digest.reset();
    }
    return true;
}

bool FileSink::Append(const std::string& path, std::string_view piece)
{
    if (path.empty())
        return false;
    if (!IsOpen() || path != m_path) {
        Close();
        if (!Reopen(path))
            return false;
    }
    if (m_failed)
        return false;
    if (m_buffer.size() + piece.size() > m_options.bufferSize) {
        if (!WriteGathered(Mode::Continue))
            return false;
        if (piece.size() > m_options.bufferSize)
            return WriteOut(piece, Mode::Continue);
    }
    if (m_buffer.empty()) {
        if (m_buffer.capacity() < m_options.bufferSize)
            m_buffer.reserve(m_options.bufferSize);
        m_gatheredSince = Now();
        m_buffer.append(piece);
        return true;
    }
    m_buffer.append(piece);
    if (Now() - m_gatheredSince >= m_options.writeIntervalMs)
        return WriteGathered(Mode::Flush);
    return true;
}

bool FileSink::Flush()
{
    if (!IsOpen())
        return true;
    return WriteGathered(Mode::Flush);
}

bool FileSink::Close()
{
    m_lastError.clear();
    if (!IsOpen())
        return true;
    bool ok = WriteGathered(Mode::End);
    if (m_partial.valid()) {
        if (ok) {
            Result<void> committed = CommitCreated();
            if (!committed)
                m_lastError = committed.error();
            ok = committed.ok();
        } else {
            m_partial.Discard();
        }
    } else {
        ok = m_file.close() && ok;
    }
    m_path.clear();
    m_failed = false;
    m_compressor.reset();
    m_digest.reset();
    return ok;
}

void FileSink::Abandon()
{
    m_buffer.clear();
    m_partial.Discard();
    m_file = UniqueFd();
    m_path.clear();
    m_failed = false;
    m_compressor.reset();
    m_digest.reset();
}

void FileSink::SetCompression(Compression kind, int level)
{
    m_compression = kind;
    m_compressionLevel = level;
}

Result<void> FileSink::Sync(const std::vector<std::string>& files, const std::vector<std::string>& folders)
{
    for (const std::string& file : files) {
        if (!file.empty() && !SyncPath(file, O_RDONLY))
            return Error {file + ": " + std::strerror(errno)};
    }
    for (const std::string& folder : folders) {
        if (!folder.empty() && !SyncPath(folder, O_RDONLY | O_DIRECTORY))
            return Error {folder + ": " + std::strerror(errno)};
    }
    return Ok();
}

bool FileSink::Reopen(const std::string& path)
{
    // An existing file only, never through a symbolic link at its name.
    UniqueFd file(::open(path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC));
    if (!file.valid() || !Remember(std::move(file))) {
        m_error = errno;
        return false;
    }
    Opened(path);
    return true;
}

void FileSink::Opened(const std::string& path)
{
    // Whatever is written at this path now, the digest of an earlier file there is void.
    m_written.erase(path);
    m_digest.reset();
    m_error = 0;
    m_path = path;
    m_failed = false;
    m_unsynced = 0;
    m_buffer.clear();
    m_compressor.reset();
    if (m_compression != Compression::None) {
        m_compressor = std::make_unique<CompressedOutput>(m_compression, m_compressionLevel);
        // A compressor that cannot start fails the file's writes, as a full disk would.
        m_failed = !m_compressor->valid();
    }
}

bool FileSink::Remember(UniqueFd file)
{
    struct stat status
    { };
    if (::fstat(file.get(), &status) != 0)
        return false;
    m_file = std::move(file);
    m_device = status.st_dev;
    m_inode = status.st_ino;
    return true;
}

bool FileSink::WriteGathered(Mode mode)
{
    // A compressor may hold bytes of earlier writes, and the end of a file has a trailer.
    const bool compressorOwes
        = m_compressor && (mode == Mode::End || (mode == Mode::Flush && m_compressor->HoldsInput()));
    if (m_buffer.empty() && !compressorOwes)
        return !m_failed;
    const bool ok = WriteOut(m_buffer, mode);
    m_buffer.clear();
    return ok;
}

bool FileSink::WriteOut(std::string_view bytes, Mode mode)
{
    if (m_failed)
        return false;
    if (!StillAtPath()) {
        m_error = ENOENT;
        m_failed = true;
        return false;
    }
    if (!m_compressor)
        return WriteRaw(bytes);
    m_compressed.clear();
    if (!m_compressor->Compress(bytes, mode, m_compressed)) {
        m_failed = true;
        return false;
    }
    return WriteRaw(m_compressed);
}

bool FileSink::WriteRaw(std::string_view bytes)
{
    while (!bytes.empty()) {
        const long written = m_options.write(OpenFd(), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            // A write that took nothing without an error is taken as a full device.
            m_error = written < 0 ? errno : ENOSPC;
            m_failed = true;
            return false;
        }
        if (m_digest)
            m_digest->Update(bytes.substr(0, static_cast<std::size_t>(written)));
        bytes.remove_prefix(static_cast<std::size_t>(written));
        m_unsynced += static_cast<std::size_t>(written);
    }
    if (m_options.writebackBytes > 0 && m_unsynced >= m_options.writebackBytes) {
        // The dirty pages go to the disk while the dump goes on; failures show at Sync().
        ::sync_file_range(OpenFd(), 0, 0, SYNC_FILE_RANGE_WRITE);
        m_unsynced = 0;
    }
    return true;
}

bool FileSink::StillAtPath()
{
    // Nobody else has a say in a temporary file: one removed or replaced is lost.
    if (m_partial.valid())
        return m_partial.StillInPlace();
    struct stat status
    { };
    if (::stat(m_path.c_str(), &status) == 0 && status.st_dev == m_device && status.st_ino == m_inode)
        return true;
    // Removed or replaced while it was written: do what reopening the path for this write
    // would do, which never creates the file again.
    UniqueFd reopened(::open(m_path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC));
    if (!reopened.valid() || !Remember(std::move(reopened)))
        return false;
    // The new file gets a stream of its own, as a new opening would start one.
    if (m_compressor) {
        m_compressor = std::make_unique<CompressedOutput>(m_compressor->kind(), m_compressionLevel);
        return m_compressor->valid();
    }
    return true;
}

Result<void> FileSink::CommitCreated()
{
    struct stat digested
    { };
    const bool known = m_digest && m_digest->valid() && ::fstat(m_partial.fd(), &digested) == 0;
    Result<void> committed = m_partial.Commit();
    if (!committed || !known)
        return committed;
    // Only the file that was digested, holding exactly the bytes digested, keeps the digest:
    // anything else that wrote to it, or a file put in its place, leaves it to a read-back.
    const std::optional<FileStamp> stamp = StampFile(m_path);
    const std::uint64_t size = m_digest->size();
    if (!stamp || stamp->device != digested.st_dev || stamp->inode != digested.st_ino || stamp->size != size)
        return committed;
    std::string sha256 = m_digest->Finish();
    if (!sha256.empty())
        m_written[m_path] = WrittenFileDigest {FileDigest {size, std::move(sha256)}, *stamp};
    return committed;
}

const WrittenFileDigest* FileSink::WrittenDigest(const std::string& path) const
{
    const auto found = m_written.find(path);
    return found == m_written.end() ? nullptr : &found->second;
}

std::string FileSink::LastErrorCause() const
{
    if (!m_lastError.empty())
        return " - " + m_lastError;
    return m_error == 0 ? std::string() : " - " + std::string(std::strerror(m_error));
}

std::int64_t FileSink::Now() const
{
    return m_options.clock();
}

} // namespace kelvanto
