#include "engines/io/SqlFileReader.h"

#include "engines/io/Compression.h"
#include "engines/sql/SqlSplitter.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvanto
{

SqlFileReader::SqlFileReader(std::size_t bufferSize)
    : m_bufferSize(bufferSize > 0 ? bufferSize : 1)
    , m_buffer(std::make_unique<char[]>(m_bufferSize))
{ }

bool SqlFileReader::Open(const std::string& path)
{
    m_file = UniqueFd();
    m_reader = ClientSqlReader();
    m_ended = true;
    m_input.reset();
    m_length = 0;
    m_remaining = 0;
    m_error = 0;
    if (path.empty()) {
        m_error = ENOENT;
        return false;
    }
    // O_NONBLOCK keeps a pipe at that path from blocking the open; it is refused below.
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info
    { };
    if (!file.valid() || ::fstat(file.get(), &info) != 0) {
        m_error = errno;
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        m_error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    ::posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    char head[kCompressionMagicBytes] = {};
    const ssize_t headSize = ::pread(file.get(), head, sizeof head, 0);
    const Compression compression
        = DetectCompression(std::string_view(head, headSize > 0 ? static_cast<std::size_t>(headSize) : 0));
    if (compression != Compression::None) {
        m_input = std::make_unique<CompressedInput>(compression);
        if (!m_input->valid())
            return false;
    }
    m_file = std::move(file);
    m_length = static_cast<std::uint64_t>(info.st_size);
    m_remaining = m_length;
    m_ended = false;
    return true;
}

bool SqlFileReader::Refill()
{
    // What the last piece read still holds comes first.
    if (m_input && !m_input->NeedsInput())
        return Decode();
    const std::size_t wanted = m_remaining < m_bufferSize ? static_cast<std::size_t>(m_remaining) : m_bufferSize;
    ssize_t count;
    do {
        count = ::read(m_file.get(), m_buffer.get(), wanted);
    } while (count < 0 && errno == EINTR);
    // A file cut shorter than its length at the open is not read as if it were whole.
    if (count <= 0) {
        m_error = count < 0 ? errno : ENODATA;
        return false;
    }
    m_remaining -= static_cast<std::uint64_t>(count);
    const std::string_view piece(m_buffer.get(), static_cast<std::size_t>(count));
    if (!m_input) {
        m_reader.Feed(piece);
        return true;
    }
    m_input->Feed(piece);
    return Decode();
}

bool SqlFileReader::Decode()
{
    // One bounded step at a time, however far the piece read expands.
    m_decoded.clear();
    bool decoded = m_input->Read(m_decoded);
    m_reader.Feed(m_decoded);
    // A compressed file cut short is no whole file.
    if (decoded && m_remaining == 0 && m_input->NeedsInput())
        decoded = m_input->Finish();
    if (!decoded)
        m_error = EBADMSG;
    return decoded;
}

SqlFileReader::Status SqlFileReader::Next(Item& item)
{
    if (m_ended)
        return Status::End;
    for (;;) {
        switch (m_reader.Next(item)) {
        case ClientSqlReader::Step::Item:
            return Status::Item;
        case ClientSqlReader::Step::End:
            m_file = UniqueFd();
            m_ended = true;
            return m_reader.TooLong() ? Status::TooLong : Status::End;
        case ClientSqlReader::Step::NeedInput:
            break;
        }
        if (m_remaining == 0 && (!m_input || m_input->NeedsInput())) {
            // The file is closed before the end of the text is handled.
            m_file = UniqueFd();
            m_reader.Finish();
            continue;
        }
        if (!Refill()) {
            m_file = UniqueFd();
            m_ended = true;
            return Status::ReadError;
        }
    }
}

std::string SqlFileReader::ErrorCause() const
{
    if (m_error == ENODATA)
        return " - the file is shorter than when it was opened";
    if (m_error == EBADMSG && m_input)
        return " - " + m_input->Fault();
    return m_error == 0 ? std::string() : " - " + std::string(std::strerror(m_error));
}

bool ReadSqlFile(const std::string& path, std::vector<std::string>& statements)
{
    SqlFileReader reader;
    if (!reader.Open(path))
        return false;
    SqlFileReader::Item item;
    for (;;) {
        switch (reader.Next(item)) {
        case SqlFileReader::Status::Item:
            if (item.kind == SqlFileReader::Item::Kind::Error)
                return false;
            if (std::optional<std::string> statement = ItemAsStatement(item))
                statements.push_back(std::move(*statement));
            break;
        case SqlFileReader::Status::End:
            return true;
        case SqlFileReader::Status::ReadError:
        case SqlFileReader::Status::TooLong:
            return false;
        }
    }
}

} // namespace kelvanto
