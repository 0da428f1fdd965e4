#pragma once

#include "engines/io/CompressedInput.h"
#include "engines/sql/ClientSqlReader.h"
#include "model/UniqueFd.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kelvanto
{

// Reads an SQL file through a buffer, item by item, as the stock mariadb client reads it
// (ClientSqlReader): a restore carries each statement or client command out as soon as it is
// complete, so memory is bounded by the longest statement, not by the file. The length taken when the file is
// opened is the amount read; a file that ends sooner counts as a read error. A file that
// starts with the zstd or gzip magic is decompressed as it is read (whatever its name);
// damaged compressed data, or a stream that ends before its last frame or member does,
// counts as a read error too.
class SqlFileReader
{
public:
    using Item = ClientSqlReader::Item;

    enum class Status : unsigned char {
        Item, // the next item is in the argument (an Error item ends the file)
        End, // the file has no more items
        ReadError, // reading failed; no item follows
        TooLong, // a statement is longer than the limit; no item follows
    };

    static constexpr std::size_t kDefaultBufferSize = 256 * 1024;

    explicit SqlFileReader(std::size_t bufferSize = kDefaultBufferSize);

    // Opens the file and takes its length; false when the path is empty or the file cannot
    // be opened for reading (a folder, a pipe or a device counts as one that cannot).
    bool Open(const std::string& path);
    // The longest statement taken (see ClientSqlReader::SetLimit); set after Open().
    void SetLimit(std::size_t limit) { m_reader.SetLimit(limit); }
    std::size_t Limit() const { return m_reader.Limit(); }
    // The session that the items go to: its character set at the start, and its status after
    // every item that ran (see ClientSqlReader); set after Open().
    bool SetCharacterSet(std::string_view name) { return m_reader.SetCharacterSet(name); }
    void SetServerStatus(unsigned status) { m_reader.SetServerStatus(status); }
    Status Next(Item& item);

    // The file's length at the open, and how much of it the statements given so far took
    // (a restore's share done; of a compressed file, the compressed bytes read so far).
    // Cheap enough to ask after every statement.
    std::uint64_t Length() const { return m_length; }
    std::uint64_t BytesDone() const
    {
        return m_input ? m_length - m_remaining : m_length - m_remaining - m_reader.Unread();
    }

    // Why the last Open or read failed: " - <strerror>" (or that the file got shorter, or
    // what broke its compressed stream and where); empty when nothing failed.
    std::string ErrorCause() const;

private:
    // Reads the next piece into the buffer and feeds it to the reader (of a compressed file,
    // one bounded step of its decoded bytes); false on a read error.
    bool Refill();
    // Decodes the next step of the compressed piece read last and feeds it to the reader;
    // false when the data is damaged or the stream ends before its end.
    bool Decode();

    std::size_t m_bufferSize;
    std::unique_ptr<char[]> m_buffer;
    UniqueFd m_file;
    std::uint64_t m_length = 0;
    std::uint64_t m_remaining = 0;
    int m_error = 0; // errno of the last failure, ENODATA for a file that got shorter
    ClientSqlReader m_reader;
    bool m_ended = true;
    std::unique_ptr<CompressedInput> m_input; // for a compressed file
    std::string m_decoded;
};

// Appends the statements of a whole file to `statements`, the client's commands as
// ItemAsStatement makes them (as SplitScript does for a text); false when the path is empty,
// the file cannot be opened, reading it failed or the client would refuse it (the statements
// read before the failure stay).
bool ReadSqlFile(const std::string& path, std::vector<std::string>& statements);

} // namespace kelvanto
