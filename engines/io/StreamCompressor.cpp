#include "engines/io/StreamCompressor.h"

#include <zlib.h>
#include <zstd.h>

#include <algorithm>
#include <limits>

namespace kelvanto
{

namespace
{

constexpr std::size_t kOutputStep = 128 * 1024;
// zlib counts in uInt.
constexpr std::size_t kGzipInputStep = std::size_t {1} << 30;

} // namespace

struct StreamCompressor::Zstd
{
    struct Free
    {
        void operator()(ZSTD_CCtx* context) const { ZSTD_freeCCtx(context); }
    };
    std::unique_ptr<ZSTD_CCtx, Free> context;
    bool framed = false; // a frame was begun
};

struct StreamCompressor::Gzip
{
    z_stream stream {};
    bool ready = false;

    ~Gzip()
    {
        if (ready)
            deflateEnd(&stream);
    }
};

StreamCompressor::StreamCompressor(Compression kind, int level)
    : m_kind(kind)
{
    if (kind == Compression::Zstd) {
        m_zstd = std::make_unique<Zstd>();
        m_zstd->context.reset(ZSTD_createCCtx());
        if (!m_zstd->context
            || ZSTD_isError(ZSTD_CCtx_setParameter(
                m_zstd->context.get(), ZSTD_c_compressionLevel, level == 0 ? ZSTD_CLEVEL_DEFAULT : level))
            || ZSTD_isError(ZSTD_CCtx_setParameter(m_zstd->context.get(), ZSTD_c_checksumFlag, 1)))
            m_zstd.reset();
    } else if (kind == Compression::Gzip) {
        m_gzip = std::make_unique<Gzip>();
        // 15 + 16: the largest window, with the gzip header and trailer.
        const int zlibLevel = level == 0 ? Z_DEFAULT_COMPRESSION : level;
        if (zlibLevel < Z_DEFAULT_COMPRESSION || zlibLevel > Z_BEST_COMPRESSION
            || deflateInit2(&m_gzip->stream, zlibLevel, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            m_gzip.reset();
        else
            m_gzip->ready = true;
    }
}

StreamCompressor::~StreamCompressor() = default;

bool StreamCompressor::valid() const
{
    return m_zstd != nullptr || m_gzip != nullptr;
}

bool StreamCompressor::Compress(std::string_view input, Mode mode, std::string& out)
{
    if (!input.empty())
        m_holdsInput = true;
    const bool ok = m_zstd ? CompressZstd(input, mode, out) : m_gzip ? CompressGzip(input, mode, out) : false;
    if (ok && mode != Mode::Continue)
        m_holdsInput = false;
    return ok;
}

bool StreamCompressor::CompressZstd(std::string_view input, Mode mode, std::string& out)
{
    // A flush ends the frame, not only a block: the stock tool keeps back up to a block of
    // what it decoded when its input ends inside a frame, so only a whole frame is sure to
    // come out of a file cut right after the flush. The next piece starts a new frame.
    const ZSTD_EndDirective directive = mode == Mode::Continue ? ZSTD_e_continue : ZSTD_e_end;
    // A frame that a flush ended leaves nothing to end; an empty frame is written only
    // for a stream that has none yet, so that an empty file is still a zstd stream.
    if (directive == ZSTD_e_end && input.empty() && !m_holdsInput && m_zstd->framed)
        return true;
    m_zstd->framed = true;
    ZSTD_inBuffer in {input.data(), input.size(), 0};
    for (;;) {
        const std::size_t start = out.size();
        out.resize(start + kOutputStep);
        ZSTD_outBuffer buffer {out.data() + start, kOutputStep, 0};
        const std::size_t left = ZSTD_compressStream2(m_zstd->context.get(), &buffer, &in, directive);
        out.resize(start + buffer.pos);
        if (ZSTD_isError(left))
            return false;
        // Continue: done when the input is taken and the output did not fill the step (what is
        // out then ends with a whole block); Flush and End: when nothing is left inside.
        const bool done = directive == ZSTD_e_continue ? in.pos == in.size && buffer.pos < kOutputStep : left == 0;
        if (done)
            return true;
    }
}

bool StreamCompressor::CompressGzip(std::string_view input, Mode mode, std::string& out)
{
    z_stream& stream = m_gzip->stream;
    for (;;) {
        const std::size_t step = std::min(input.size(), kGzipInputStep);
        const bool last = step == input.size();
        const int flush = !last || mode == Mode::Continue ? Z_NO_FLUSH : mode == Mode::Flush ? Z_SYNC_FLUSH : Z_FINISH;
        // zlib takes the input as non-const but never writes it.
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
        stream.avail_in = static_cast<uInt>(step);
        int status = Z_OK;
        do {
            const std::size_t start = out.size();
            out.resize(start + kOutputStep);
            stream.next_out = reinterpret_cast<Bytef*>(out.data() + start);
            stream.avail_out = static_cast<uInt>(kOutputStep);
            status = deflate(&stream, flush);
            out.resize(start + kOutputStep - stream.avail_out);
            if (status == Z_STREAM_ERROR)
                return false;
        } while (flush == Z_FINISH ? status != Z_STREAM_END : stream.avail_out == 0);
        input.remove_prefix(step);
        if (last)
            break;
    }
    // The next piece starts a new member.
    if (mode == Mode::End && deflateReset(&stream) != Z_OK)
        return false;
    return true;
}

} // namespace kelvanto
