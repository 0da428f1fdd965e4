#include "engines/io/CompressedInput.h"

#include "engines/io/Compression.h"
#include "engines/io/RegularFileReader.h"

#include <algorithm>
#include <zlib.h>
#include <zstd.h>

namespace kelvanto
{

namespace
{

constexpr std::size_t kZstdSlice = 16 * 1024;

} // namespace

struct CompressedInput::Zstd
{
    struct Free
    {
        void operator()(ZSTD_DCtx* context) const { ZSTD_freeDCtx(context); }
    };
    std::unique_ptr<ZSTD_DCtx, Free> context;
};

struct CompressedInput::Gzip
{
    z_stream stream {};
    bool ready = false;

    ~Gzip()
    {
        if (ready)
            inflateEnd(&stream);
    }
};

CompressedInput::CompressedInput(Compression kind)
{
    if (kind == Compression::Zstd) {
        m_zstd = std::make_unique<Zstd>();
        m_zstd->context.reset(ZSTD_createDCtx());
        if (!m_zstd->context)
            m_zstd.reset();
    } else if (kind == Compression::Gzip) {
        m_gzip = std::make_unique<Gzip>();
        // 15 + 16: gzip members only.
        if (inflateInit2(&m_gzip->stream, 15 + 16) != Z_OK)
            m_gzip.reset();
        else
            m_gzip->ready = true;
    }
}

CompressedInput::~CompressedInput() = default;

bool CompressedInput::valid() const
{
    return m_zstd != nullptr || m_gzip != nullptr;
}

void CompressedInput::Feed(std::string_view input)
{
    m_takenBefore += m_taken;
    m_input = input;
    m_taken = 0;
}

bool CompressedInput::NeedsInput() const
{
    return m_taken == m_input.size() && !m_outputFull;
}

bool CompressedInput::Read(std::string& out, std::size_t most)
{
    if (!m_fault.empty())
        return false;
    most = std::max<std::size_t>(most, 1);
    if (m_zstd)
        return ReadZstd(out, most);
    if (m_gzip)
        return ReadGzip(out, most);
    return Broke("the stream cannot be decompressed");
}

bool CompressedInput::Decompress(std::string_view input, std::string& out)
{
    Feed(input);
    while (!NeedsInput()) {
        if (!Read(out))
            return false;
    }
    return true;
}

bool CompressedInput::Finish()
{
    if (!m_fault.empty())
        return false;
    if (AtEnd())
        return true;
    return Broke("the compressed stream ends before its end");
}

bool CompressedInput::Broke(std::string cause)
{
    m_fault = std::move(cause) + ", at byte " + std::to_string(m_takenBefore + m_taken) + " of the file";
    m_input = {};
    m_taken = 0;
    m_outputFull = false;
    return false;
}

bool CompressedInput::ReadZstd(std::string& out, std::size_t most)
{
    const std::size_t start = out.size();
    out.resize(start + most);
    ZSTD_outBuffer buffer {out.data() + start, most, 0};
    do {
        // A slice of the input at a time: a failure tells no position, so the slice it
        // came in is where the file broke.
        ZSTD_inBuffer in {m_input.data(), std::min(m_input.size(), m_taken + kZstdSlice), m_taken};
        const std::size_t hint = ZSTD_decompressStream(m_zstd->context.get(), &buffer, &in);
        if (ZSTD_isError(hint)) {
            out.resize(start + buffer.pos);
            return Broke(std::string("zstd: ") + ZSTD_getErrorName(hint));
        }
        if (in.pos > m_taken)
            m_inStream = true;
        m_taken = in.pos;
        if (hint == 0 && m_inStream) {
            // A frame ended and every byte of it is out.
            m_inStream = false;
            ++m_wholeStreams;
        }
    } while (buffer.pos < most && m_taken < m_input.size());
    out.resize(start + buffer.pos);
    // A full step may leave more inside with no input left to give.
    m_outputFull = buffer.pos == most;
    return true;
}

bool CompressedInput::ReadGzip(std::string& out, std::size_t most)
{
    z_stream& stream = m_gzip->stream;
    const std::size_t start = out.size();
    out.resize(start + most);
    stream.next_out = reinterpret_cast<Bytef*>(out.data() + start);
    stream.avail_out = static_cast<uInt>(most);
    bool ok = true;
    while (stream.avail_out > 0) {
        // zlib takes the input as non-const but never writes it.
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(m_input.data() + m_taken));
        stream.avail_in = static_cast<uInt>(m_input.size() - m_taken);
        if (stream.avail_in > 0)
            m_inStream = true;
        const int status = inflate(&stream, Z_NO_FLUSH);
        m_taken = m_input.size() - stream.avail_in;
        if (status == Z_STREAM_END) {
            m_inStream = false;
            ++m_wholeStreams;
            // Another member may follow.
            if (inflateReset(&stream) != Z_OK) {
                ok = Broke("gzip: the stream cannot be reset for the next member");
                break;
            }
            if (m_taken == m_input.size())
                break;
            continue;
        }
        // Z_BUF_ERROR: no progress was possible, which is no fault when the input is used up.
        if (status == Z_BUF_ERROR && m_taken == m_input.size())
            break;
        if (status != Z_OK) {
            ok = Broke(std::string("gzip: ") + (stream.msg != nullptr ? stream.msg : zError(status)));
            break;
        }
        if (m_taken == m_input.size())
            break;
    }
    const std::size_t produced = most - stream.avail_out;
    out.resize(start + produced);
    stream.next_in = nullptr;
    stream.avail_in = 0;
    if (ok)
        m_outputFull = produced == most;
    return ok;
}

Result<DecodedFile> DecodeFile(const std::string& path, const std::function<void(std::string_view)>& consume)
{
    DecodedFile result;
    std::string decoded;
    std::unique_ptr<CompressedInput> input;
    std::string fault;
    const Result<void> read = ReadRegularFile(path, [&](std::string_view piece) {
        if (result.encodedBytes == 0) {
            result.compression = DetectCompression(piece);
            if (result.compression != Compression::None) {
                input = std::make_unique<CompressedInput>(result.compression);
                if (!input->valid()) {
                    fault = "cannot be decompressed: the library could not start";
                    return false;
                }
            }
        }
        result.encodedBytes += piece.size();
        if (!input) {
            result.decodedBytes += piece.size();
            if (consume)
                consume(piece);
            return true;
        }
        input->Feed(piece);
        while (!input->NeedsInput()) {
            decoded.clear();
            const bool ok = input->Read(decoded);
            result.decodedBytes += decoded.size();
            if (consume && !decoded.empty())
                consume(decoded);
            if (!ok) {
                fault = "is damaged: its compressed data cannot be decoded after " + std::to_string(result.decodedBytes)
                    + " bytes";
                return false;
            }
        }
        return true;
    });
    if (!read)
        return Error {read.error()};
    if (!fault.empty())
        return Error {fault};
    if (input && !input->AtEnd())
        return Error {"is cut short: its compressed data ends after " + std::to_string(result.decodedBytes)
            + " bytes, before the end of its stream"};
    return result;
}

} // namespace kelvanto
