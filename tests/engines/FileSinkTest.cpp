#include "engines/FileSink.h"

#include "model/SafeFolder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
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

} // namespace
} // namespace kelvanto
