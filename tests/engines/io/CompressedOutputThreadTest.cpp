// The compression thread beside the writer: every piece handed over comes out once and in
// order, whatever the sizes and the modes; at every Flush the output so far decompresses to
// everything given before it; a stream dropped while its thread works ends cleanly. Run
// under ThreadSanitizer. (A failed write of the thread's output: BackupToFilesCompression.)
#include "engines/io/CompressedInput.h"
#include "engines/io/CompressedOutput.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kelvanto
{
namespace
{

using Mode = CompressedOutput::Mode;

// Rows with a number that does not repeat (so that the compressor has work), made once.
const std::string& Corpus()
{
    static const std::string corpus = [] {
        std::string text;
        std::uint64_t state = 88172645463325252u;
        for (unsigned i = 0; text.size() < 2 * 1024 * 1024; ++i) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            text += "(" + std::to_string(i) + ",'" + std::to_string(state) + " O\\'x'),\n";
        }
        return text;
    }();
    return corpus;
}

// `size` bytes of the corpus from a place that `seed` picks.
std::string Text(std::size_t size, unsigned seed)
{
    const std::string& corpus = Corpus();
    const std::size_t start = (seed * 7919u) % (corpus.size() - size % corpus.size());
    return corpus.substr(start, size);
}

std::string Decompressed(Compression kind, const std::string& bytes, bool& whole)
{
    CompressedInput input(kind);
    std::string out;
    whole = input.Decompress(bytes, out) && input.AtEnd();
    return out;
}

struct KindRow
{
    const char* name;
    Compression kind;
};

const KindRow kKinds[] = {{"zstd", Compression::Zstd}, {"gzip", Compression::Gzip}};

TEST(CompressedOutputThread, EveryPieceComesOutInOrderAndEachFlushHoldsAllBefore)
{
    struct Pattern
    {
        const char* name;
        std::vector<std::size_t> sizes; // of the pieces, cycled
        int flushEvery; // a Flush after this many pieces (0: none before the End)
    };
    const Pattern patterns[] = {
        {"small pieces, no flush", {4096}, 0},
        {"buffers, a flush now and then", {256 * 1024, 100, 256 * 1024}, 7},
        {"a piece larger than a zstd block", {512 * 1024 + 17, 1}, 3},
        {"a flush after every piece", {1, 50000, 0}, 1},
    };
    for (const KindRow& kind : kKinds) {
        for (const Pattern& pattern : patterns) {
            SCOPED_TRACE(std::string(kind.name) + ": " + pattern.name);
            CompressedOutput output(kind.kind, 1);
            ASSERT_TRUE(output.valid());
            std::string given;
            std::string out;
            for (int i = 0; i < 16; ++i) {
                const std::string piece = Text(pattern.sizes[i % pattern.sizes.size()], static_cast<unsigned>(i));
                given += piece;
                const bool flush = pattern.flushEvery > 0 && (i + 1) % pattern.flushEvery == 0;
                ASSERT_TRUE(output.Compress(piece, flush ? Mode::Flush : Mode::Continue, out));
                EXPECT_EQ(output.HoldsInput(), !flush && !given.empty());
                if (flush) {
                    bool whole = false;
                    ASSERT_EQ(Decompressed(kind.kind, out, whole), given);
                }
            }
            ASSERT_TRUE(output.Compress({}, Mode::End, out));
            bool whole = false;
            EXPECT_EQ(Decompressed(kind.kind, out, whole), given);
            EXPECT_TRUE(whole);
            EXPECT_LT(out.size(), given.size());
        }
    }
}

TEST(CompressedOutputThread, AStreamDroppedWhileItsThreadWorksEndsCleanly)
{
    for (const KindRow& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        for (int round = 0; round < 8; ++round) {
            CompressedOutput output(kind.kind, 0);
            std::string out;
            ASSERT_TRUE(output.Compress(Text(1024 * 1024, static_cast<unsigned>(round)), Mode::Continue, out));
            // Destroyed with the piece still being compressed: joined, nothing leaks.
        }
    }
}

} // namespace
} // namespace kelvanto
