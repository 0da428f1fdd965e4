// A restore holds one statement at a time: a dump five times larger than the memory the
// process may still take (RLIMIT_DATA, in a child process) is restored whole, and so is a
// small zstd file that expands to eight times that memory. Under the sanitizers, whose
// shadow mappings no data limit can bound, the child watches the allocator's own count of
// the bytes in use instead.
#include "engines/io/FileSink.h"
#include "engines/restore/RestoreRun.h"
#include "mysql/MySqlLibrary.h"
#include "mysql/OpenConnection.h"
#include "tests/support/FakeRunContext.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/RoundTripRestore.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <sys/resource.h>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KELVANTO_SANITIZED 1
#include <atomic>
#include <chrono>
#include <thread>
// The sanitizer runtimes' count of the bytes allocated and not yet freed (GCC ships no
// header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace kelvanto::test
{
namespace
{

constexpr std::size_t kMiB = 1024 * 1024;
constexpr std::size_t kAllowance = 16 * kMiB;
constexpr int kStatements = 80; // of 1 MiB each: five times the allowance

#ifndef KELVANTO_SANITIZED
// The process's data segment (heap and private mappings), as RLIMIT_DATA counts it.
std::size_t DataInUse()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmData:", 0) == 0)
            return std::strtoull(line.c_str() + 7, nullptr, 10) * 1024;
    }
    return 0;
}
#endif

// In the child: allows kAllowance more data, restores, and exits 0 when the run finished.
[[noreturn]] void RestoreWithLimitedMemory(const Task& task)
{
#ifdef KELVANTO_SANITIZED
    const std::size_t before = __sanitizer_get_current_allocated_bytes();
    std::atomic<bool> done = false;
    std::atomic<std::size_t> peak = before;
    std::thread watch([&] {
        for (; !done; std::this_thread::sleep_for(std::chrono::milliseconds(1)))
            peak = std::max<std::size_t>(peak, __sanitizer_get_current_allocated_bytes());
    });
#else
    const rlimit limit {DataInUse() + kAllowance, RLIM_INFINITY};
    if (setrlimit(RLIMIT_DATA, &limit) != 0)
        std::_Exit(2);
#endif
    InitMySqlLibrary();
    FakeRunContext context(task);
    const RunOutcome outcome = RunRestoreFromFiles(context, MakeMariaDbConnector());
    if (outcome != RunOutcome::Finished)
        std::cerr << context.LogText();
#ifdef KELVANTO_SANITIZED
    done = true;
    watch.join();
    if (peak - before > kAllowance) {
        std::cerr << "the restore held " << (peak - before) / kMiB << " MiB at once\n";
        std::_Exit(3);
    }
#endif
    std::_Exit(outcome == RunOutcome::Finished ? 0 : 1);
}

TEST(RestoreMemoryDeathTest, ADumpLargerThanTheAllowedMemoryIsRestored)
{
    KELVANTO_REQUIRE_SERVER(server, 2);
    RoundTripDatabase database("kv_memory", {server});
    TempDir dir;
    const auto path = dir.path() / "large.sql";
    {
        std::ofstream file(path, std::ios::binary);
        file << "CREATE DATABASE " << QuoteName(database.name()) << ";\nUSE " << QuoteName(database.name())
             << ";\nCREATE TABLE t (n INT AUTO_INCREMENT PRIMARY KEY, length INT);\n";
        const std::string value(kMiB, 'x');
        for (int i = 0; i < kStatements; ++i)
            file << "SET @v = '" << value << "';\nINSERT INTO t (length) VALUES (LENGTH(@v));\n";
    }
    ASSERT_GT(std::filesystem::file_size(path), 5 * kAllowance);
    const Task task = MakeRestoreTask(server, {path.string()});

    EXPECT_EXIT(RestoreWithLimitedMemory(task), ::testing::ExitedWithCode(0), "");
    std::string output;
    RunMariadbClient(server, "SELECT COUNT(*), MIN(length) FROM " + QuoteName(database.name()) + ".t;", &output,
        "--skip-column-names");
    EXPECT_EQ(output, std::to_string(kStatements) + "\t" + std::to_string(kMiB) + "\n");
}

// 128 statements of 1 MiB each, all but a few bytes one letter: zstd makes a few KiB of
// them, all within the first piece of the file that the restore reads, and they expand to
// 128 MiB. The statements are cheap for the server (one row of a tiny table, counted up).
TEST(RestoreMemoryDeathTest, ASmallZstdFileThatExpandsFarBeyondTheAllowedMemoryIsRestored)
{
    KELVANTO_REQUIRE_SERVER(server, 2);
    RoundTripDatabase database("kv_bomb", {server});
    TempDir dir;
    const std::string path = (dir.path() / "bomb.sql.zst").string();
    constexpr int kCopies = 128;
    {
        FileSink sink;
        sink.SetCompression(Compression::Zstd, 3);
        ASSERT_TRUE(sink.Create(path));
        ASSERT_TRUE(sink.Append(path,
            "CREATE DATABASE " + QuoteName(database.name()) + ";\nUSE " + QuoteName(database.name())
                + ";\nCREATE TABLE t (id INT PRIMARY KEY, hits INT, length INT);\n"));
        const std::string statement = "INSERT INTO t VALUES (1, 1, LENGTH('" + std::string(kMiB, 'x')
            + "')) ON DUPLICATE KEY UPDATE hits = hits + 1;\n";
        for (int i = 0; i < kCopies; ++i)
            ASSERT_TRUE(sink.Append(path, statement));
        ASSERT_TRUE(sink.Close());
    }
    ASSERT_LT(std::filesystem::file_size(path) * 1000, kCopies * kMiB);
    const Task task = MakeRestoreTask(server, {path});

    EXPECT_EXIT(RestoreWithLimitedMemory(task), ::testing::ExitedWithCode(0), "");
    std::string output;
    RunMariadbClient(
        server, "SELECT hits, length FROM " + QuoteName(database.name()) + ".t;", &output, "--skip-column-names");
    EXPECT_EQ(output, std::to_string(kCopies) + "\t" + std::to_string(kMiB) + "\n");
}

} // namespace
} // namespace kelvanto::test
