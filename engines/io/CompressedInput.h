#pragma once

#include "model/Result.h"
#include "model/Task.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kelvanto
{

// The reading side of CompressedOutput: decompresses a zstd or gzip stream given a piece at
// a time, concatenated frames or members included, with libzstd or zlib. Output comes in
// bounded steps, however far a piece of input expands: a small file that decompresses to
// gigabytes never needs more memory than one step.
class CompressedInput
{
public:
    // The most that one Read gives unless told otherwise.
    static constexpr std::size_t kStep = 256 * 1024;

    explicit CompressedInput(Compression kind);
    ~CompressedInput();
    CompressedInput(const CompressedInput&) = delete;
    CompressedInput& operator=(const CompressedInput&) = delete;

    // False when the library could not set up the stream (or the kind is None).
    bool valid() const;

    // The next piece of the compressed stream, given once NeedsInput() is true. It is read
    // in place: its bytes must stay as they are until NeedsInput() is true again.
    void Feed(std::string_view input);
    // True when every byte fed so far is taken and nothing decoded waits inside.
    bool NeedsInput() const;
    // Decodes at most `most` more bytes and appends them to `out`; false on damaged data
    // (Fault() says what; the stream is then unusable). It may give nothing while input is
    // left (a frame's header), so the caller asks again until NeedsInput().
    bool Read(std::string& out, std::size_t most = kStep);
    // Feeds `input` and decodes all of it into `out`: for input whose output is known to be
    // small. False on damaged data.
    bool Decompress(std::string_view input, std::string& out);

    // Whether the input so far ends exactly at the end of a frame or member, with at least
    // one of them whole: a file cut short, or one that holds no stream, is not at its end.
    bool AtEnd() const { return m_wholeStreams > 0 && !m_inStream; }
    // The end of the input: false, with Fault() set, when the stream is not at its end.
    bool Finish();
    // Why the stream broke, with the byte of the compressed input where it did ("zstd:
    // Data corruption detected, at byte 1234 of the file", "gzip: invalid block type, ...",
    // "the compressed stream ends before its end, at byte ..."); empty while it is whole.
    // Bytes count from the first one fed, which is the file's first.
    const std::string& Fault() const { return m_fault; }

private:
    struct Zstd;
    struct Gzip;

    bool ReadZstd(std::string& out, std::size_t most);
    bool ReadGzip(std::string& out, std::size_t most);
    bool Broke(std::string cause);

    std::unique_ptr<Zstd> m_zstd;
    std::unique_ptr<Gzip> m_gzip;
    std::string_view m_input; // the piece being read; m_taken of its bytes are taken
    std::size_t m_taken = 0;
    std::uint64_t m_takenBefore = 0; // bytes of the pieces before it
    bool m_outputFull = false; // the last Read filled its step: more may wait inside
    bool m_inStream = false;
    unsigned long long m_wholeStreams = 0;
    std::string m_fault;
};

// What reading a whole file through DecodeFile found.
struct DecodedFile
{
    Compression compression = Compression::None;
    unsigned long long encodedBytes = 0; // bytes on disk
    unsigned long long decodedBytes = 0;
};

// Reads the file at `path` to its end through the decompressor that its first bytes call
// for (a plain file is read as it is), handing every decoded piece (of a compressed file, at
// most CompressedInput::kStep bytes) to `consume` when given. The error says why the file is
// not whole: it cannot be read, its data is damaged, or it ends before its last frame or
// member does.
Result<DecodedFile> DecodeFile(const std::string& path, const std::function<void(std::string_view)>& consume = {});

} // namespace kelvanto
