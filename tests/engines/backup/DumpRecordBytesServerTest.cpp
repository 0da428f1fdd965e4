// The record lines of dumps, pinned byte for byte: Sakila and the hard values through the
// backup-to-files engine as SQL and as PHP, single-row and ten-row INSERTs, with and without
// column names. Each variant's INSERT lines are hashed (XXH3) and compared with the hashes
// of the dumps that earlier releases wrote, so that work on the speed of rendering, escaping
// or writing cannot change a byte of what users restore. The rest of a dump (its header,
// the server's own CREATE texts) follows the server's version and is left to the round trips.
#include "tests/support/HardValues.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/RoundTripEngine.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>
#include <xxhash.h>

#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <string>

namespace kelvanto::test
{
namespace
{

struct DumpVariant
{
    const char* name;
    int fileType;
    bool multiRowInsert;
    bool completeInsert;
    std::uint64_t sakila; // XXH3 of the record lines of the Sakila dump
    std::uint64_t hardValues; // of the hard values' dump
};

// The record lines of a dump file (INSERT statements, bare or inside mysql_query), each with
// its line end, and how many there were.
std::string RecordLines(const std::string& path, std::size_t* count)
{
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::string records;
    *count = 0;
    while (std::getline(in, line)) {
        if (line.rfind("INSERT ", 0) == 0 || line.rfind("  mysql_query('INSERT ", 0) == 0) {
            records += line;
            records += '\n';
            ++*count;
        }
    }
    return records;
}

std::string HashText(std::uint64_t hash)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%016" PRIx64, hash);
    return text;
}

// Dumps `database` in one file as the variant says; the hash of its record lines.
std::uint64_t RecordHash(
    const TestServerAddress& source, const std::string& database, const DumpVariant& variant, std::size_t* records)
{
    TempDir dir;
    Task task = MakeDumpTask(source, database, ListObjectsForTask(source, database), dir.path() / "dumps", 1,
        variant.multiRowInsert, variant.fileType);
    task.backupSettings.completeInsert = variant.completeInsert ? 1 : 0;
    const EngineDump dump = RunDumpEngine(task, dir.path() / "data");
    EXPECT_EQ(dump.outcome, RunOutcome::Finished) << dump.logText();
    EXPECT_EQ(dump.errors(), "");
    if (dump.files.size() != 1) {
        ADD_FAILURE() << dump.files.size() << " files";
        return 0;
    }
    const std::string lines = RecordLines(dump.files[0], records);
    return XXH3_64bits(lines.data(), lines.size());
}

TEST(DumpRecordBytes, EveryVariantWritesTheRecordsOfEarlierReleases)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    // clang-format off
    const DumpVariant variants[] = {
        {"SQL single-row", 1, false, false, 0x36cf9670fdaeac71, 0x9f027b5259ba023f},
        {"SQL ten-row", 1, true, false, 0x467f1013e7fd26ee, 0x033964da24e91067},
        {"SQL ten-row with column names", 1, true, true, 0x85cb9e121c257f21, 0x99e37909e5763d5b},
        {"PHP single-row", 2, false, false, 0x3a9bc1d0d8a0c181, 0x0d241acfd008c7df},
        {"PHP ten-row", 2, true, false, 0xafcbcf7112b5ee9a, 0x61f0ff3cf07a5c01},
    };
    // clang-format on
    RoundTripDatabase sakila("kv_sakila_bytes", {source});
    ASSERT_EQ(LoadSakila(source, sakila.name()), "");
    RoundTripDatabase hard("kv hard`bytes", {source});
    std::string output;
    ASSERT_EQ(RunMariadbClient(source, HardValuesScript(hard.name()), &output), 0) << output;

    std::string measured;
    for (const DumpVariant& variant : variants) {
        SCOPED_TRACE(variant.name);
        std::size_t sakilaRecords = 0;
        std::size_t hardRecords = 0;
        const std::uint64_t sakilaHash = RecordHash(source, sakila.name(), variant, &sakilaRecords);
        const std::uint64_t hardHash = RecordHash(source, hard.name(), variant, &hardRecords);
        EXPECT_GT(sakilaRecords, 4000u);
        EXPECT_GT(hardRecords, 3u);
        EXPECT_EQ(HashText(sakilaHash), HashText(variant.sakila)) << "Sakila";
        EXPECT_EQ(HashText(hardHash), HashText(variant.hardValues)) << "hard values";
        measured += std::string("{\"") + variant.name + "\", ..., " + HashText(sakilaHash) + ", " + HashText(hardHash)
            + "}\n";
    }
    // The table of this run, for a deliberate change of the format.
    std::printf("%s", measured.c_str());
}

} // namespace
} // namespace kelvanto::test
