#include "engines/FileSink.h"

#include "tests/model/FileSizeLimit.h"
#include "tests/support/PerPieceFileSink.h"
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
    ASSERT_TRUE(sink.Create(path));
    recorded.now = 5000;
    ASSERT_TRUE(sink.Append(path, "row 1;"));
    recorded.now = 5999;
    ASSERT_TRUE(sink.Append(path, "row 2;"));
    EXPECT_EQ(ReadAll(path), "");
    recorded.now = 6000; // a second after the oldest gathered row
    ASSERT_TRUE(sink.Append(path, "row 3;"));
    EXPECT_EQ(ReadAll(path), "row 1;row 2;row 3;");
    // The clock starts again with the next gathered piece, not with the last write.
    recorded.now = 9000;
    ASSERT_TRUE(sink.Append(path, "row 4;"));
    EXPECT_EQ(recorded.writes.size(), 1u);
    EXPECT_TRUE(sink.Flush());
    EXPECT_EQ(ReadAll(path), "row 1;row 2;row 3;row 4;");
}

TEST_F(FileSinkTest, AFileRemovedWhileWrittenFailsAndIsNotCreatedAgain)
{
    FileSink sink;
    const std::string path = Path("removed.sql");
    ASSERT_TRUE(sink.Create(path));
    ASSERT_TRUE(sink.Append(path, "one;\n") && sink.Flush());
    ASSERT_EQ(::unlink(path.c_str()), 0);
    EXPECT_TRUE(sink.Append(path, "two;\n")); // gathered: nothing has touched the disk yet
    EXPECT_FALSE(sink.Flush());
    EXPECT_FALSE(sink.Append(path, "three;\n"));
    EXPECT_FALSE(sink.Close());
    EXPECT_FALSE(std::filesystem::exists(path));
    // Creating it again is a new file that takes pieces.
    ASSERT_TRUE(sink.Create(path));
    ASSERT_TRUE(sink.Append(path, "four;\n") && sink.Close());
    EXPECT_EQ(ReadAll(path), "four;\n");
}

TEST_F(FileSinkTest, AFileReplacedWhileWrittenIsReopenedAtItsPath)
{
    FileSink sink;
    const std::string path = Path("replaced.sql");
    ASSERT_TRUE(sink.Create(path));
    ASSERT_TRUE(sink.Append(path, "one;\n") && sink.Flush());
    std::ofstream(Path("other.sql"), std::ios::binary) << "other;\n";
    ASSERT_EQ(::rename(Path("other.sql").c_str(), path.c_str()), 0);
    ASSERT_TRUE(sink.Append(path, "two;\n"));
    EXPECT_TRUE(sink.Close());
    EXPECT_EQ(ReadAll(path), "other;\ntwo;\n");
}

// A full disk: under the same file size limit the sink leaves the bytes that a piece-by-piece
// writer leaves, fails the append or flush whose write hit the limit, and takes no more
// pieces for that file; the next file starts afresh.
TEST_F(FileSinkTest, FullDiskLeavesThePerPieceBytesAndFailsFromThere)
{
    std::vector<std::string> pieces;
    for (int i = 0; i < 40; ++i)
        pieces.push_back("INSERT INTO `t` VALUES (" + std::to_string(i) + ",'" + std::string(i % 7, 'x') + "');\n");
    for (rlim_t limit : {rlim_t {0}, rlim_t {1}, rlim_t {100}, rlim_t {257}, rlim_t {600}}) {
        SCOPED_TRACE(limit);
        const std::string expectedPath = Path("per-piece.sql");
        const std::string path = Path("sink.sql");
        std::size_t firstPerPieceFailure = pieces.size();
        std::size_t firstSinkFailure = pieces.size();
        {
            const test::FileSizeLimit full(limit);
            test::PerPieceFileSink perPiece;
            ASSERT_TRUE(perPiece.Create(expectedPath));
            FileSink::Options small;
            small.bufferSize = 64;
            FileSink sink(small);
            ASSERT_TRUE(sink.Create(path));
            for (std::size_t i = 0; i < pieces.size(); ++i) {
                if (!perPiece.Append(expectedPath, pieces[i]) && firstPerPieceFailure == pieces.size())
                    firstPerPieceFailure = i;
                // Each piece checked at once, as the engine checks the pieces it reports.
                const bool written = sink.Append(path, pieces[i]) && sink.Flush();
                if (!written && firstSinkFailure == pieces.size())
                    firstSinkFailure = i;
                if (firstSinkFailure < i) {
                    EXPECT_FALSE(written);
                }
            }
            EXPECT_EQ(sink.Close(), firstSinkFailure == pieces.size());
        }
        EXPECT_EQ(ReadAll(path), ReadAll(expectedPath));
        EXPECT_EQ(firstSinkFailure, firstPerPieceFailure);
        FileSink next;
        EXPECT_TRUE(next.Create(path) && next.Append(path, "again;\n") && next.Close());
    }
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

TEST_F(FileSinkTest, OneFileIsOpenAtATimeAndNoneAfterClose)
{
    const auto openFiles = [this] {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            const auto target = std::filesystem::read_symlink(entry.path(), error);
            if (!error && target.parent_path() == m_dir.path())
                ++count;
        }
        return count;
    };
    {
        FileSink sink;
        ASSERT_TRUE(sink.Create(Path("a.sql")) && sink.Append(Path("a.sql"), "a;\n"));
        EXPECT_EQ(openFiles(), 1);
        ASSERT_TRUE(sink.Create(Path("b.sql")) && sink.Append(Path("b.sql"), "b;\n"));
        EXPECT_EQ(openFiles(), 1);
        // Appending to another path closes the open file, as a writer per piece would leave it.
        ASSERT_TRUE(sink.Append(Path("a.sql"), "a again;\n"));
        EXPECT_EQ(openFiles(), 1);
        EXPECT_EQ(ReadAll(Path("b.sql")), "b;\n");
        ASSERT_TRUE(sink.Close());
        EXPECT_EQ(openFiles(), 0);
        EXPECT_EQ(ReadAll(Path("a.sql")), "a;\na again;\n");
        ASSERT_TRUE(sink.Append(Path("b.sql"), "b again;\n"));
        EXPECT_EQ(openFiles(), 1);
    }
    EXPECT_EQ(openFiles(), 0); // the destructor writes and closes
    EXPECT_EQ(ReadAll(Path("b.sql")), "b;\nb again;\n");
}

TEST_F(FileSinkTest, SyncFlushesFilesAndFoldersAndPassesOverWhatIsGone)
{
    FileSink sink;
    ASSERT_TRUE(sink.Create(Path("done.sql")) && sink.Close());
    EXPECT_TRUE(sink.Sync({Path("done.sql"), Path("gone.sql")}, {m_dir.path().string(), Path("no-folder")}));
    EXPECT_FALSE(sink.Create(""));
    EXPECT_FALSE(sink.Append("", "x"));
    EXPECT_FALSE(sink.Append(Path("never.sql"), "x"));
    EXPECT_FALSE(std::filesystem::exists(Path("never.sql")));
}

} // namespace
} // namespace kelvanto
