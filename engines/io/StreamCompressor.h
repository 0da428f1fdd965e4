#pragma once

#include "model/Task.h"

#include <memory>
#include <string>
#include <string_view>

namespace kelvanto
{

// One compressed stream (zstd frames or a gzip member) written a piece at a time, with
// libzstd or zlib. The caller writes the output where it belongs; after End (and for zstd
// after Flush) the next piece starts a new frame or member, which the stock tools read as
// one concatenated stream. It compresses in the calling thread; CompressedOutput runs it on
// a thread of its own beside the writer.
class StreamCompressor
{
public:
    enum class Mode : unsigned char {
        // The library may keep the piece until more comes (best ratio).
        Continue,
        // Everything given so far is in the output: zstd ends the frame, gzip ends a deflate
        // block on a byte boundary (Z_SYNC_FLUSH), so that the output up to here decompresses
        // to every byte given, with the stock tools too.
        Flush,
        // Ends the frame or member with its checksum.
        End,
    };

    // `level` 0: the library's default. Kind None is refused by valid().
    StreamCompressor(Compression kind, int level);
    ~StreamCompressor();
    StreamCompressor(const StreamCompressor&) = delete;
    StreamCompressor& operator=(const StreamCompressor&) = delete;

    // False when the library could not set up the stream (no memory, a level out of range).
    bool valid() const;
    Compression kind() const { return m_kind; }

    // Compresses `input` and appends the compressed bytes to `out`; false when the library
    // failed (the stream is then unusable).
    bool Compress(std::string_view input, Mode mode, std::string& out);
    // Whether bytes were given since the last Flush or End.
    bool HoldsInput() const { return m_holdsInput; }

private:
    struct Zstd;
    struct Gzip;

    bool CompressZstd(std::string_view input, Mode mode, std::string& out);
    bool CompressGzip(std::string_view input, Mode mode, std::string& out);

    Compression m_kind;
    std::unique_ptr<Zstd> m_zstd;
    std::unique_ptr<Gzip> m_gzip;
    bool m_holdsInput = false;
};

} // namespace kelvanto
