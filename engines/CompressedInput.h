#pragma once

#include "model/Result.h"
#include "model/Task.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kelvanto
{

// The reading side of CompressedOutput: decompresses a zstd or gzip stream given a piece at
// a time, concatenated frames or members included, with libzstd or zlib.
class CompressedInput
{
public:
    explicit CompressedInput(Compression kind);
    ~CompressedInput();
    CompressedInput(const CompressedInput&) = delete;
    CompressedInput& operator=(const CompressedInput&) = delete;

    // False when the library could not set up the stream (or the kind is None).
    bool valid() const;

    // Decompresses `input` and appends the bytes to `out`; false on damaged data (the
    // stream is then unusable; `out` holds what was decoded before the damage).
    bool Decompress(std::string_view input, std::string& out);
    // Whether the input so far ends exactly at the end of a frame or member, with at least
    // one of them whole: a file cut short, or one that holds no stream, is not at its end.
    bool AtEnd() const { return m_wholeStreams > 0 && !m_inStream; }

private:
    struct Zstd;
    struct Gzip;

    bool DecompressZstd(std::string_view input, std::string& out);
    bool DecompressGzip(std::string_view input, std::string& out);

    std::unique_ptr<Zstd> m_zstd;
    std::unique_ptr<Gzip> m_gzip;
    bool m_inStream = false;
    unsigned long long m_wholeStreams = 0;
};

// What reading a whole file through DecodeFile found.
struct DecodedFile
{
    Compression compression = Compression::None;
    unsigned long long encodedBytes = 0; // bytes on disk
    unsigned long long decodedBytes = 0;
};

// Reads the file at `path` to its end through the decompressor that its first bytes call
// for (a plain file is read as it is), handing every decoded piece to `consume` when given.
// The error says why the file is not whole: it cannot be read, its data is damaged, or it
// ends before its last frame or member does.
Result<DecodedFile> DecodeFile(const std::string& path, const std::function<void(std::string_view)>& consume = {});

} // namespace kelvanto
