#include "engines/CompressedInput.h"

#include "engines/Compression.h"
#include "engines/RegularFileReader.h"

#include <zlib.h>
#include <zstd.h>

namespace kelvanto
{

namespace
{

constexpr std::size_t kOutputStep = 128 * 1024;

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

bool CompressedInput::Decompress(std::string_view input, std::string& out)
{
    if (m_zstd)
        return DecompressZstd(input, out);
    if (m_gzip)
        return DecompressGzip(input, out);
    return false;
}

bool CompressedInput::DecompressZstd(std::string_view input, std::string& out)
{
    ZSTD_inBuffer in {input.data(), input.size(), 0};
    for (;;) {
        const std::size_t before = in.pos;
        const std::size_t start = out.size();
        out.resize(start + kOutputStep);
        ZSTD_outBuffer buffer {out.data() + start, kOutputStep, 0};
        const std::size_t hint = ZSTD_decompressStream(m_zstd->context.get(), &buffer, &in);
        out.resize(start + buffer.pos);
        if (ZSTD_isError(hint))
            return false;
        if (in.pos > before)
            m_inStream = true;
        if (hint == 0 && m_inStream) {
            // A frame ended and every byte of it is out.
            m_inStream = false;
            ++m_wholeStreams;
        }
        // A full output step may leave more inside with no input left to give: drain it.
        if (in.pos == in.size && buffer.pos < kOutputStep)
            return true;
    }
}

bool CompressedInput::DecompressGzip(std::string_view input, std::string& out)
{
    z_stream& stream = m_gzip->stream;
    // zlib takes the input as non-const but never writes it.
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    stream.avail_in = static_cast<uInt>(input.size());
    for (;;) {
        if (stream.avail_in > 0)
            m_inStream = true;
        const std::size_t start = out.size();
        out.resize(start + kOutputStep);
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + start);
        stream.avail_out = static_cast<uInt>(kOutputStep);
        const int status = inflate(&stream, Z_NO_FLUSH);
        out.resize(start + kOutputStep - stream.avail_out);
        if (status == Z_STREAM_END) {
            m_inStream = false;
            ++m_wholeStreams;
            // Another member may follow.
            if (inflateReset(&stream) != Z_OK)
                return false;
            if (stream.avail_in == 0)
                return true;
            continue;
        }
        // Z_BUF_ERROR: no progress was possible, which is no fault when the input is used up.
        if (status == Z_BUF_ERROR)
            return stream.avail_in == 0;
        if (status != Z_OK)
            return false;
        if (stream.avail_in == 0 && stream.avail_out > 0)
            return true;
    }
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
        decoded.clear();
        const bool ok = input->Decompress(piece, decoded);
        result.decodedBytes += decoded.size();
        if (consume && !decoded.empty())
            consume(decoded);
        if (!ok)
            fault = "is damaged: its compressed data cannot be decoded after " + std::to_string(result.decodedBytes)
                + " bytes";
        return ok;
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
