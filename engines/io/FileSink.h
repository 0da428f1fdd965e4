#pragma once

#include "engines/io/CompressedOutput.h"
#include "engines/io/FileDigest.h"
#include "engines/io/Sha256Digest.h"
#include "model/AtomicFile.h"
#include "model/PartialFile.h"
#include "model/Result.h"
#include "model/UniqueFd.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace kelvanto
{

// The one way the engines' files reach the disk. The engine hands it whole pieces (a
// statement, a row, a block of lines) for a path; the sink keeps that file open while it
// is written and gathers the pieces in a buffer, and the bytes on disk are exactly those of
// opening the path, appending the piece and closing it again for every piece:
// - a file is created under a temporary name beside its path (PartialFile: mode 0600,
//   O_EXCL | O_NOFOLLOW inside its opened folder, "<name>.<tag>.partial") and takes its
//   path only at Close(), once its last piece is written and flushed to the disk; a file it
//   replaces gives it its mode. A file that a write failed, or that is left by Abandon()
//   or the destructor, is removed and never takes its path;
// - an append never creates a file: a path that is gone fails as a reopen would fail;
// - gathered bytes are written when the next piece does not fit (a piece larger than the
//   buffer is written on its own, so no other piece is ever split across two writes), by
//   the first append a second or more after the oldest of them, on Flush() and on Close();
// - before every write the file is checked: a temporary file removed or replaced meanwhile
//   fails the write; a file that an append reopened by its path is reopened again when
//   another file was put in its place, as reopening the path would do;
// - a write that fails (a full disk) fails the append or flush that made it, and every
//   later append to that file until it is created again, so the file stays a clean prefix;
// - Close() ends the file (its last piece was appended) and gives it its path; Abandon()
//   ends a file that is not whole; the destructor abandons, so no descriptor outlives the
//   sink and no file takes its path unless the engine said it was whole.
// One file is open at a time; appending to another path closes the open one first.
// With compression set, the pieces pass through a compressor (on a thread of its own, see
// CompressedOutput) on their way to the disk and the rules above hold for the decompressed
// bytes at every Flush() (a zstd frame or a gzip sync point ends there, so the file on disk
// decompresses to every piece before it, with the stock tools too); each
// opening of a file starts a new frame or member and Close() ends it, so a file appended to
// in several openings is a concatenation that the stock tools read as one stream.
// With digesting set, a file that Create made is digested (SHA-256 and size) as its bytes
// reach the disk, after compression; when Close() gives it its path whole, the digest is kept
// with the file's stamp (WrittenDigest), so that the run's manifest need not read the file
// again. A file that an append reopened by its path gets none, and opening a path again
// forgets the digest of the file that had it.
// The members are virtual so that tests and benchmarks can stand in other sinks.
class FileSink
{
public:
    // A monotonic clock in milliseconds.
    using MonotonicClock = std::function<std::int64_t()>;

    struct Options
    {
        std::size_t bufferSize = 256 * 1024;
        // Gathered bytes wait no longer than this for a write while pieces keep coming.
        std::int64_t writeIntervalMs = 1000;
        // After this many bytes written to a file, its writeback to the disk is started
        // (without waiting for it), so that a later Sync() has little left to wait for.
        std::size_t writebackBytes = 8 * 1024 * 1024;
        WriteFunction write; // empty: write(2)
        MonotonicClock clock; // empty: CLOCK_MONOTONIC_COARSE, read without a system call
    };

    FileSink();
    explicit FileSink(Options options);
    virtual ~FileSink();
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    // Closes the open file, then creates the temporary file of `path` and keeps it open.
    // False when the path is empty or the file cannot be created (lastError() says why).
    virtual bool Create(const std::string& path);
    // Gathers one whole piece for `path`. False when the path is empty, the file cannot be
    // opened (a missing file is not created), or a write of this file failed now or before.
    virtual bool Append(const std::string& path, std::string_view piece);
    // Writes what is gathered. False when a write of the open file failed now or before.
    virtual bool Flush();
    // Writes what is gathered, closes the open file and gives a created file its path;
    // false when any of it failed (the file is then removed).
    virtual bool Close();
    // Ends the open file as not whole: a created file is removed, nothing more is written.
    virtual void Abandon();

    // The tag of temporary names (PartialTag of the task's log file name), so that tasks
    // writing into one folder never take each other's temporary files.
    void SetTemporaryTag(std::string tag) { m_tag = std::move(tag); }
    const std::string& temporaryTag() const { return m_tag; }
    // Why the last Create, or the last Close of a file whose writes all succeeded, failed;
    // empty otherwise (a failed write was reported by the append or flush that made it).
    const std::string& lastError() const { return m_lastError; }
    // The errno of the last failure to open or write a file (0 after a successful open), so
    // that a failure line can say why; a sink standing in for this one may leave it 0.
    int LastError() const { return m_error; }
    // " - <why>" for the last failure (lastError(), else LastError()); empty when there is none.
    std::string LastErrorCause() const;

    // Files created or opened from now on are compressed so (None: written as they are);
    // `level` 0 is the library's default. The open file keeps its own way.
    void SetCompression(Compression kind, int level);
    Compression compression() const { return m_compression; }

    // Files created from now on are digested as they are written (see above); the open file
    // keeps its own way.
    void SetDigesting(bool on) { m_digesting = on; }
    // The digest of the whole file that Close() last gave `path`; null when there is none.
    // It stands for the file only while the file keeps its stamp (see DigestFile).
    const WrittenFileDigest* WrittenDigest(const std::string& path) const;
    // Forgets every digest kept so far.
    void ForgetWrittenDigests() { m_written.clear(); }

    // Flushes the files and then the folders to stable storage (fsync), so that they survive
    // a power loss. A file or folder that cannot be opened, or whose file system cannot flush
    // it, is passed over; the error names the first path whose flush failed.
    virtual Result<void> Sync(const std::vector<std::string>& files, const std::vector<std::string>& folders);

    // The path of the open file; empty when none is open.
    const std::string& openPath() const { return m_path; }

private:
    bool Reopen(const std::string& path);
    void Opened(const std::string& path);
    int OpenFd() const { return m_partial.valid() ? m_partial.fd() : m_file.get(); }
    bool IsOpen() const { return m_partial.valid() || m_file.valid(); }
    using Mode = CompressedOutput::Mode;
    // Writes the gathered bytes; with compression, `mode` says how far the compressor goes.
    bool WriteGathered(Mode mode);
    bool WriteOut(std::string_view bytes, Mode mode);
    bool WriteRaw(std::string_view bytes);
    bool StillAtPath();
    bool Remember(UniqueFd file);
    // Commits the created file; keeps its digest when the file at its path is the one digested.
    Result<void> CommitCreated();
    std::int64_t Now() const;

    Options m_options;
    std::string m_tag = "kelvanto";
    std::string m_lastError;
    int m_error = 0;
    PartialFile m_partial; // a file made by Create
    UniqueFd m_file; // a file that Append reopened by its path
    std::string m_path;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    bool m_failed = false;
    std::size_t m_unsynced = 0; // bytes written since the last writeback was started
    std::string m_buffer;
    std::int64_t m_gatheredSince = 0; // when the oldest gathered byte came
    Compression m_compression = Compression::None;
    int m_compressionLevel = 0;
    std::unique_ptr<CompressedOutput> m_compressor; // of the open file, when compressed
    std::string m_compressed; // the compressor's output, reused
    bool m_digesting = false;
    std::optional<Sha256Digest> m_digest; // of the open file, when it is digested
    std::map<std::string, WrittenFileDigest> m_written; // by path, of the files made whole
};

} // namespace kelvanto
