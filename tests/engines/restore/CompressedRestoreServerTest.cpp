// A damaged or cut compressed file fails its restore with the line every file failure has,
// followed by what broke: the library's own words (zstd's error name, zlib's message) or
// that the stream ends before its end, and the byte of the file where it broke. Of a cut
// file, what came before the cut was restored.
#include "engines/io/FileSink.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/RoundTripEngine.h"
#include "tests/support/RoundTripRestore.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace kelvanto::test
{
namespace
{

constexpr const char* kLine = "Failed to get a SQL statement from the SQL file! - ";

// The number in ", at byte N of the file" at the end of `line`; -1 when it has none.
long long ByteOfBreak(const std::string& line)
{
    const std::string marker = ", at byte ";
    const std::size_t at = line.rfind(marker);
    if (at == std::string::npos || !line.ends_with(" of the file\n"))
        return -1;
    return std::atoll(line.c_str() + at + marker.size());
}

TEST(CompressedRestore, ADamagedOrCutFileFailsWithItsCause)
{
    KELVANTO_REQUIRE_SERVER(server, 2);
    RoundTripDatabase database("kv_zcause", {server});
    const std::string name = QuoteName(database.name());
    const std::string table = "CREATE TABLE IF NOT EXISTS " + name + ".t (n INT, v VARCHAR(40));\n";
    std::string script = "USE " + name + ";\n" + table;
    for (int i = 0; i < 6000; ++i)
        script += "INSERT INTO t VALUES (" + std::to_string(i) + ",'" + std::to_string(i * 7919 % 104729) + "');\n";

    struct Kind
    {
        const char* name;
        Compression kind;
    };
    struct Damage
    {
        const char* name;
        std::function<std::uintmax_t(std::uintmax_t)> cutAt; // the length kept; 0 keeps it whole
        bool overwrite; // 8 bytes in the middle overwritten
    };
    const Damage damages[] = {
        {"CutAfterTheHeader", [](std::uintmax_t) { return 12; }, false},
        {"CutInAThird", [](std::uintmax_t size) { return size / 3; }, false},
        {"CutOneByteShort", [](std::uintmax_t size) { return size - 1; }, false},
        {"DamagedInTheMiddle", [](std::uintmax_t) { return 0; }, true},
    };
    for (const Kind& kind : {Kind {"zstd", Compression::Zstd}, Kind {"gzip", Compression::Gzip}}) {
        TempDir dir;
        const std::string whole = (dir.path() / "whole.sql").string();
        FileSink sink;
        sink.SetCompression(kind.kind, 3);
        ASSERT_TRUE(sink.Create(whole));
        ASSERT_TRUE(sink.Append(whole, script));
        ASSERT_TRUE(sink.Close());
        const std::uintmax_t size = std::filesystem::file_size(whole);
        for (const Damage& damage : damages) {
            SCOPED_TRACE(std::string(kind.name) + " " + damage.name);
            const std::string path = (dir.path() / (std::string(damage.name) + ".sql")).string();
            std::filesystem::copy_file(whole, path);
            const std::uintmax_t kept = damage.cutAt(size);
            if (kept > 0)
                std::filesystem::resize_file(path, kept);
            if (damage.overwrite) {
                std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
                file.seekp(static_cast<std::streamoff>(size / 2));
                file.write("\xFF\x00\xFF\x00\xFF\x00\xFF\x00", 8);
            }
            database.DropOn(server);
            std::string output;
            ASSERT_EQ(RunMariadbClient(server, "CREATE DATABASE " + name + ";\n" + table, &output), 0) << output;

            // Damaged deflate data may decode to text that is not SQL before zlib notices.
            const EngineDump restore = RunRestoreEngine(MakeRestoreTask(server, {path}, RestoreOptions {1, 0}));
            EXPECT_EQ(restore.outcome, RunOutcome::Failed) << restore.logText();
            const std::string last = restore.log.empty() ? std::string() : restore.log.back().text + "\n";
            if (damage.overwrite) {
                EXPECT_EQ(last.rfind(kLine + std::string(kind.name) + ": ", 0), 0u) << last;
                // zlib tells where it stopped; zstd fails a block of up to 128 KiB as a whole.
                const long long at = ByteOfBreak(last);
                EXPECT_GE(at, static_cast<long long>(kind.kind == Compression::Gzip ? size / 2 : 1)) << last;
                EXPECT_LE(at, static_cast<long long>(size)) << last;
                continue;
            }
            EXPECT_EQ(restore.errors(),
                kLine + std::string("the compressed stream ends before its end, at byte ") + std::to_string(kept)
                    + " of the file\n");
            // The statements before the cut went in, none after it: the rows are a beginning.
            std::string rows;
            RunMariadbClient(
                server, "SELECT COUNT(*), COALESCE(MAX(n) + 1, 0) FROM " + name + ".t;", &rows, "--skip-column-names");
            const std::size_t tab = rows.find('\t');
            ASSERT_NE(tab, std::string::npos) << rows;
            EXPECT_EQ(rows.substr(0, tab) + "\n", rows.substr(tab + 1)) << rows;
        }
    }
}

} // namespace
} // namespace kelvanto::test
