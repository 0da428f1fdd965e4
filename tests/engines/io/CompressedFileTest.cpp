// The compressed files of the sink and their reading side: a file cut where a kill would
// leave it decompresses (with the stock tool and with DecodeFile) to every piece before the
// last flush; a closed file, appended to again later, is one stream to the stock tool; the
// SQL reader gives the same statements from a compressed file as from the plain one and
// refuses a compressed file cut short. Decompressed contents are compared, never bytes.
#include "engines/io/CompressedInput.h"
#include "engines/io/Compression.h"
#include "engines/io/FileSink.h"
#include "engines/io/SqlFileReader.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kelvanto
{
namespace
{

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Statements of varied content (so that the compressor has work), ~60 bytes each.
std::vector<std::string> Statements(int first, int count)
{
    std::vector<std::string> pieces;
    for (int i = first; i < first + count; ++i)
        pieces.push_back("INSERT INTO `t` VALUES (" + std::to_string(i) + ",'" + std::to_string(i * 7919 % 104729)
            + "\\'x\\0',NULL);\n");
    return pieces;
}

std::string Joined(const std::vector<std::string>& pieces)
{
    std::string text;
    for (const auto& piece : pieces)
        text += piece;
    return text;
}

// What the stock tool makes of a file, whatever it says about its end.
std::string StockDecompressed(const char* tool, const std::filesystem::path& file, int* status = nullptr)
{
    const std::filesystem::path out = file.string() + ".out";
    const std::string command = std::string(tool) + " -dc " + test::ShellQuote(file.string()) + " > "
        + test::ShellQuote(out.string()) + " 2>/dev/null";
    const int code = std::system(command.c_str());
    if (status)
        *status = code;
    return ReadAll(out);
}

struct KindRow
{
    const char* name;
    Compression kind;
    const char* tool;
};

const KindRow kKinds[] = {{"zstd", Compression::Zstd, "zstd"}, {"gzip", Compression::Gzip, "gzip"}};

TEST(CompressedFile, ACutFileDecompressesToItsLastFlushAndAClosedOneWhole)
{
    for (const KindRow& row : kKinds) {
        SCOPED_TRACE(row.name);
        test::TempDir dir;
        const std::string path = (dir.path() / "dump.sql").string();
        FileSink::Options options;
        options.bufferSize = 4096; // many writes of gathered pieces between the flushes
        options.clock = [] { return 0; };
        FileSink sink(options);
        sink.SetCompression(row.kind, 0);
        ASSERT_TRUE(sink.Create(path));

        const std::vector<std::string> flushed = Statements(0, 5000);
        for (const auto& piece : flushed)
            ASSERT_TRUE(sink.Append(path, piece));
        ASSERT_TRUE(sink.Flush());
        // Cut right at the flush, as a kill while the dump waits for the server leaves it:
        // every byte before the flush comes out, to the stock tool as to DecodeFile.
        const std::filesystem::path atFlush = dir.path() / "at-flush.sql";
        std::filesystem::copy_file(path + ".kelvanto.partial", atFlush);
        EXPECT_EQ(StockDecompressed(row.tool, atFlush), Joined(flushed));
        std::string decoded;
        (void)DecodeFile(atFlush, [&](std::string_view piece) { decoded += piece; });
        EXPECT_EQ(decoded, Joined(flushed));

        const std::vector<std::string> unflushed = Statements(5000, 3000);
        for (const auto& piece : unflushed)
            ASSERT_TRUE(sink.Append(path, piece));

        // What a kill -9 now would leave on disk: the file under its temporary name.
        const std::filesystem::path cut = dir.path() / "cut.sql";
        std::filesystem::copy_file(path + ".kelvanto.partial", cut);
        const std::string all = Joined(flushed) + Joined(unflushed);
        const std::string stock = StockDecompressed(row.tool, cut);
        EXPECT_EQ(stock.substr(0, Joined(flushed).size()), Joined(flushed));
        EXPECT_EQ(all.substr(0, stock.size()), stock);
        decoded.clear();
        const Result<DecodedFile> result = DecodeFile(cut, [&](std::string_view piece) { decoded += piece; });
        ASSERT_FALSE(result.ok());
        EXPECT_NE(result.error().find("cut short"), std::string::npos) << result.error();
        EXPECT_EQ(decoded.substr(0, Joined(flushed).size()), Joined(flushed));
        EXPECT_EQ(all.substr(0, decoded.size()), decoded);

        // Closed, then appended to in a second opening: one stream of everything.
        ASSERT_TRUE(sink.Close());
        const std::vector<std::string> later = Statements(8000, 10);
        for (const auto& piece : later)
            ASSERT_TRUE(sink.Append(path, piece));
        ASSERT_TRUE(sink.Close());
        int status = -1;
        EXPECT_EQ(StockDecompressed(row.tool, path, &status), all + Joined(later));
        EXPECT_EQ(status, 0);
        decoded.clear();
        const Result<DecodedFile> whole = DecodeFile(path, [&](std::string_view piece) { decoded += piece; });
        ASSERT_TRUE(whole.ok()) << whole.error();
        EXPECT_EQ(whole->compression, row.kind);
        EXPECT_EQ(decoded, all + Joined(later));
        EXPECT_LT(whole->encodedBytes * 3, whole->decodedBytes);
    }
}

TEST(CompressedFile, SqlReaderGivesTheSameStatementsAndRefusesACutStream)
{
    test::TempDir dir;
    const std::vector<std::string> pieces = Statements(0, 20000);
    const std::string plainPath = (dir.path() / "plain.sql").string();
    std::ofstream(plainPath, std::ios::binary) << Joined(pieces);
    std::vector<std::string> expected;
    ASSERT_TRUE(ReadSqlFile(plainPath, expected));
    ASSERT_EQ(expected.size(), pieces.size());

    for (const KindRow& row : kKinds) {
        SCOPED_TRACE(row.name);
        // Named without its suffix: the reader goes by the first bytes.
        const std::string path = (dir.path() / (std::string(row.name) + ".sql")).string();
        FileSink sink;
        sink.SetCompression(row.kind, 3);
        ASSERT_TRUE(sink.Create(path));
        for (const auto& piece : pieces)
            ASSERT_TRUE(sink.Append(path, piece));
        ASSERT_TRUE(sink.Close());
        ASSERT_EQ(DetectFileCompression(path), row.kind);

        std::vector<std::string> statements;
        ASSERT_TRUE(ReadSqlFile(path, statements));
        EXPECT_TRUE(statements == expected);

        // Damaged in the middle: the frame's checksum or the deflate data gives it away.
        const std::string damaged = path + ".damaged";
        std::filesystem::copy_file(path, damaged);
        {
            std::fstream file(damaged, std::ios::in | std::ios::out | std::ios::binary);
            file.seekp(static_cast<std::streamoff>(std::filesystem::file_size(damaged) / 2));
            file.write("\xFF\x00\xFF\x00\xFF\x00\xFF\x00", 8);
        }
        statements.clear();
        EXPECT_FALSE(ReadSqlFile(damaged, statements));

        // Cut 16 bytes short: the trailer is gone and the reader must not call it whole.
        std::filesystem::resize_file(path, std::filesystem::file_size(path) - 16);
        statements.clear();
        EXPECT_FALSE(ReadSqlFile(path, statements));
        EXPECT_LT(statements.size(), expected.size());
    }
}

TEST(CompressedFile, NamesAndMagic)
{
    EXPECT_EQ(CompressedFileName("/b/x.sql", Compression::Zstd), "/b/x.sql.zst");
    EXPECT_EQ(CompressedFileName("/b/x.sql.zst", Compression::Zstd), "/b/x.sql.zst");
    EXPECT_EQ(CompressedFileName("/b/x.sql.zst", Compression::Gzip), "/b/x.sql.zst.gz");
    EXPECT_EQ(CompressedFileName("/b/x.sql", Compression::None), "/b/x.sql");
    for (const auto& [name, ok] : std::vector<std::pair<std::string, bool>> {{"a.sql", true}, {"a.sql.zst", true},
             {"a.sql.gz", true}, {"a.SQL", false}, {"a.zst", false}, {".sql", false}, {"a.sql.bz2", false}}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(IsRestorableSqlName(name), ok);
    }
    EXPECT_EQ(DetectCompression(std::string_view("\x28\xB5\x2F\xFD\x04", 5)), Compression::Zstd);
    EXPECT_EQ(DetectCompression(std::string_view("\x1F\x8B\x08", 3)), Compression::Gzip);
    EXPECT_EQ(DetectCompression(std::string_view("\x28\xB5\x2F", 3)), Compression::None);
    EXPECT_EQ(DetectCompression("-- MySQL dump"), Compression::None);
}

} // namespace
} // namespace kelvanto
