#include "engines/io/FileSink.h"

#include "engines/io/FileDigest.h"
#include "model/SafeFolder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
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

// A sink over the real file system whose writes and clock the test sees and moves.
struct Recorded
{
    std::vector<std::string> writes;
    std::int64_t now = 0;

    FileSink::Options Options(std::size_t bufferSize)
    {
        FileSink::Options options;
        options.bufferSize = bufferSize;
        options.write = [this](int fd, const char* data, std::size_t size) {
            writes.emplace_back(data, size);
            return static_cast<long>(::write(fd, data, size));
        };
        options.clock = [this] { return now; };
        return options;
    }
};

class FileSinkTest : public ::testing::Test
{
protected:
    std::string Path(const char* name) const { return (m_dir.path() / name).string(); }
    test::TempDir m_dir;
};

TEST_F(FileSinkTest, WritesGatherWholePiecesAndSplitOnlyAPieceLargerThanTheBuffer)
{
    struct Row
    {
        const char* name;
        std::vector<std::string> pieces;
        std::vector<std::string> writes; // with a buffer of 8 bytes, then Close()
    };
    const Row rows[] = {
        {"small pieces wait for the close", {"ab", "cd", "ef"}, {"abcdef"}},
        {"exactly full stays gathered", {"abcd", "efgh"}, {"abcdefgh"}},
        {"a piece that does not fit writes the others first", {"abcde", "fghij"}, {"abcde", "fghij"}},
        {"a piece larger than the buffer goes alone", {"ab", "0123456789", "cd"}, {"ab", "0123456789", "cd"}},
        {"an empty piece writes nothing", {"", "a", ""}, {"a"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Recorded recorded;
        FileSink sink(recorded.Options(8));
        const std::string path = Path("pieces.txt");
        ASSERT_TRUE(sink.Create(path));
        std::string all;
        for (const std::string& piece : row.pieces) {
            EXPECT_TRUE(sink.Append(path, piece));
            all += piece;
        }
        EXPECT_TRUE(sink.Close());
        EXPECT_EQ(recorded.writes, row.writes);
        EXPECT_EQ(ReadAll(path), all);
    }
}

TEST_F(FileSinkTest, GatheredBytesWaitNoLongerThanASecondWhilePiecesCome)
{
    Recorded recorded;
    FileSink sink(recorded.Options(1024));
    const std::string path = Path("slow.txt");
    // The bytes are under the temporary name until the file is closed.
    const std::string temporary = Path(PartialName("slow.txt", sink.temporaryTag()).c_str());
    ASSERT_TRUE(sink.Create(path));
    recorded.now = 5000;
    ASSERT_TRUE(sink.Append(path, "row 1;"));
    recorded.now = 5999;
    ASSERT_TRUE(sink.Append(path, "row 2;"));
    EXPECT_EQ(ReadAll(temporary), "");
    recorded.now = 6000; // a second after the oldest gathered row
    ASSERT_TRUE(sink.Append(path, "row 3;"));
    EXPECT_EQ(ReadAll(temporary), "row 1;row 2;row 3;");
    // The clock starts again with the next gathered piece, not with the last write.
    recorded.now = 9000;
    ASSERT_TRUE(sink.Append(path, "row 4;"));
    EXPECT_EQ(recorded.writes.size(), 1u);
    EXPECT_TRUE(sink.Flush());
    EXPECT_EQ(ReadAll(temporary), "row 1;row 2;row 3;row 4;");
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(sink.Close());
    EXPECT_EQ(ReadAll(path), "row 1;row 2;row 3;row 4;");
    EXPECT_FALSE(std::filesystem::exists(temporary));
}

TEST_F(FileSinkTest, NewFilesAreTheOwnersOnlyAndExistingFilesKeepTheirMode)
{
    const mode_t oldMask = ::umask(0);
    FileSink sink;
    const std::string fresh = Path("fresh.sql");
    const std::string kept = Path("kept.sql");
    std::ofstream(kept) << "old";
    ::chmod(kept.c_str(), 0640);
    const bool created = sink.Create(fresh) && sink.Create(kept) && sink.Close();
    ::umask(oldMask);
    ASSERT_TRUE(created);
    struct stat status
    { };
    ASSERT_EQ(::stat(fresh.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    ASSERT_EQ(::stat(kept.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadAll(kept), "");
}

// A digest kept while writing stands for the file only as it is on disk: it equals the
// read-back of the whole file (compressed or not, written in short writes), and a file that
// was written otherwise, or changed afterwards, is read back instead.
TEST_F(FileSinkTest, DigestsWhileWritingOnlyWhatIsTheWholeFile)
{
    enum class Expect : std::uint8_t {
        Kept, // the written digest, equal to the read-back
        ReadBack, // a written digest that no longer holds: the read-back is used
        None, // no written digest
        Failed, // the file never took its path
    };
    using Step = std::function<void(FileSink&, const std::string& path)>;
    const auto flipByte = [](FileSink&, const std::string& path) {
        // Past the granularity of the file times, so that the change shows in them.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(100);
        file.put('#');
    };
    struct Row
    {
        const char* name;
        Compression compression;
        Expect expect;
        Step during; // after half of the lines
        Step after; // after Close()
        long failAfterBytes = -1; // the write fails (a full disk) once this many bytes are written
        bool digesting = true;
    };
    const Row rows[] = {
        {"plain", Compression::None, Expect::Kept, {}, {}},
        {"zstd with a flush", Compression::Zstd, Expect::Kept, [](FileSink& sink, const std::string&) { sink.Flush(); },
            {}},
        {"gzip", Compression::Gzip, Expect::Kept, {}, {}},
        {"not asked for", Compression::None, Expect::None, {}, {}, -1, false},
        {"appended to after its close", Compression::None, Expect::None, {},
            [](FileSink& sink, const std::string& path) {
                EXPECT_TRUE(sink.Append(path, "more;\n"));
                EXPECT_TRUE(sink.Close());
            }},
        {"created again and abandoned", Compression::None, Expect::None, {},
            [](FileSink& sink, const std::string& path) {
                EXPECT_TRUE(sink.Create(path));
                sink.Abandon();
            }},
        {"a byte changed after its close", Compression::None, Expect::ReadBack, {}, flipByte},
        {"truncated after its close", Compression::Gzip, Expect::ReadBack, {},
            [](FileSink&, const std::string& path) { std::filesystem::resize_file(path, 1000); }},
        {"replaced after its close", Compression::None, Expect::ReadBack, {},
            [](FileSink&, const std::string& path) {
                const std::string other = path + ".other";
                // The same size, another last byte, and a file of its own at the path.
                std::string bytes = ReadAll(path);
                bytes.back() ^= 1;
                std::ofstream(other, std::ios::binary) << bytes;
                std::filesystem::rename(other, path);
            }},
        {"written by another while open", Compression::None, Expect::None,
            [](FileSink& sink, const std::string& path) {
                sink.Flush();
                const std::string temporary = (std::filesystem::path(path).parent_path()
                    / PartialName(std::filesystem::path(path).filename().string(), sink.temporaryTag()))
                                                  .string();
                std::ofstream(temporary, std::ios::app) << "planted;\n";
            },
            {}},
        {"a write that fails", Compression::Zstd, Expect::Failed, {}, {}, 5000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        long written = 0;
        FileSink::Options options;
        options.bufferSize = 4096;
        options.write = [&](int fd, const char* data, std::size_t size) -> long {
            // Short writes, so that only what each write took is digested.
            const std::size_t part = std::min<std::size_t>(size, 700);
            if (row.failAfterBytes >= 0 && written + static_cast<long>(part) > row.failAfterBytes) {
                errno = ENOSPC;
                return -1;
            }
            const long done = ::write(fd, data, part);
            written += done > 0 ? done : 0;
            return done;
        };
        FileSink sink(options);
        sink.SetDigesting(row.digesting);
        sink.SetCompression(row.compression, 0);
        const std::string path = Path("digested.sql");
        std::filesystem::remove(path);
        ASSERT_TRUE(sink.Create(path));
        bool appended = true;
        for (int i = 0; i < 3000; ++i) {
            appended = sink.Append(path, "INSERT INTO t VALUES (" + std::to_string(i * 7919) + ");\n") && appended;
            if (i == 1500 && row.during)
                row.during(sink, path);
        }
        const bool closed = sink.Close();
        if (row.expect == Expect::Failed) {
            EXPECT_FALSE(appended && closed);
            EXPECT_EQ(sink.WrittenDigest(path), nullptr);
            EXPECT_FALSE(std::filesystem::exists(path));
            continue;
        }
        ASSERT_TRUE(appended && closed);
        if (row.after)
            row.after(sink, path);
        const Result<FileDigest> readBack = DigestFile(path);
        ASSERT_TRUE(readBack.ok());
        const WrittenFileDigest* kept = sink.WrittenDigest(path);
        const Result<FileDigest> used = DigestFile(path, kept);
        ASSERT_TRUE(used.ok());
        EXPECT_EQ(used->size, readBack->size);
        EXPECT_EQ(used->sha256, readBack->sha256);
        switch (row.expect) {
        case Expect::Kept:
            ASSERT_NE(kept, nullptr);
            EXPECT_EQ(kept->digest.sha256, readBack->sha256);
            break;
        case Expect::ReadBack:
            ASSERT_NE(kept, nullptr);
            EXPECT_NE(kept->digest.sha256, readBack->sha256);
            break;
        case Expect::None:
            EXPECT_EQ(kept, nullptr);
            break;
        case Expect::Failed:
            break;
        }
    }
}

} // namespace
} // namespace kelvanto
