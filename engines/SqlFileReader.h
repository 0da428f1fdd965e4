#pragma once

#include "engines/CompressedInput.h"
#include "engines/SqlSplitter.h"
#include "model/UniqueFd.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kelvanto
{

// Reads the statements of an SQL file one at a time, through a buffer, with the rules of
// SqlSplitter: a restore sends each statement as soon as it is complete, so memory is
// bounded by the longest statement, not by the file. The length taken when the file is
// opened is the amount read; a file that ends sooner counts as a read error. A file that
// starts with the zstd or gzip magic is decompressed as it is read (whatever its name);
// damaged compressed data, or a stream that ends before its last frame or member does,
// counts as a read error too.
class SqlFileReader
{
public:
    enum class Status : unsigned char {
        Statement, // the next statement is in the argument
        End, // the file has no more statements
        ReadError, // reading failed; no statement follows
        TooLong, // a statement is longer than the limit; no statement follows
    };

    static constexpr std::size_t kDefaultBufferSize = 256 * 1024;

    explicit SqlFileReader(std::size_t bufferSize = kDefaultBufferSize);

    // Opens the file and takes its length; false when the path is empty or the file cannot
    // be opened for reading (a folder, a pipe or a device counts as one that cannot).
    bool Open(const std::string& path);
    // The longest statement taken (see SqlSplitter::SetLimit); set after Open().
    void SetLimit(std::size_t limit) { m_splitter.SetLimit(limit); }
    std::size_t Limit() const { return m_splitter.Limit(); }
    Status Next(std::string& statement);

    // The file's length at the open, and how much of it the statements given so far took
    // (a restore's share done; of a compressed file, the compressed bytes read so far).
    // Cheap enough to ask after every statement.
    std::uint64_t Length() const { return m_length; }
    std::uint64_t BytesDone() const
    {
        return m_input ? m_length - m_remaining : m_length - m_remaining - m_splitter.Unread();
    }

    // Why the last Open or read failed: " - <strerror>" (or that the file got shorter, or
    // what broke its compressed stream and where); empty when nothing failed.
    std::string ErrorCause() const;

private:
    // Reads the next piece into the buffer and feeds it to the splitter (of a compressed
    // file, one bounded step of its decoded bytes); false on a read error.
    bool Refill();
    // Decodes the next step of the compressed piece read last and feeds it to the splitter;
    // false when the data is damaged or the stream ends before its end.
    bool Decode();

    std::size_t m_bufferSize;
    std::unique_ptr<char[]> m_buffer;
    UniqueFd m_file;
    std::uint64_t m_length = 0;
    std::uint64_t m_remaining = 0;
    int m_error = 0; // errno of the last failure, ENODATA for a file that got shorter
    SqlSplitter m_splitter;
    bool m_ended = true;
    std::unique_ptr<CompressedInput> m_input; // for a compressed file
    std::string m_decoded;
};

// Appends the statements of a whole file to `statements`; false when the path is empty, the
// file cannot be opened or reading it failed (the statements read before the failure stay).
bool ReadSqlFile(const std::string& path, std::vector<std::string>& statements);

} // namespace kelvanto
