// Compressed backups of the hard values and of Sakila, with zstd and with gzip: the files
// carry the compressed suffix and magic, the stock tool and the stock client restore them,
// the restore engine reads them directly, the run's manifest verifies, and dumping the
// restored copy gives the same row counts and content checksums as the original.
#include "engines/backupset/BackupManifest.h"
#include "engines/backupset/BackupVerification.h"
#include "engines/io/Compression.h"
#include "tests/support/HardValues.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/RoundTripEngine.h"
#include "tests/support/RoundTripRestore.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

namespace kelvanto::test
{
namespace
{

struct CompressionRow
{
    const char* name;
    Compression kind;
    const char* tool; // the stock decompressor
};

void PrintTo(const CompressionRow& row, std::ostream* os)
{
    *os << row.name;
}

std::string Join(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\n";
    return text;
}

BackupManifest ReadManifest(const BackupRun& run)
{
    std::ifstream in(ManifestPathFor(run), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Result<BackupManifest> manifest = BackupManifest::FromJson(text);
    EXPECT_TRUE(manifest.ok()) << (manifest ? "" : manifest.error());
    return manifest ? *manifest : BackupManifest {};
}

// "db.table rows checksum" per table, to compare two manifests' contents.
std::string TableSums(const BackupManifest& manifest)
{
    std::string text;
    for (const auto& table : manifest.tables)
        text += table.database + "." + table.table + " " + std::to_string(table.rows) + " " + table.checksum + "\n";
    return text;
}

// The stock decompressor first tests the file whole, then feeds the stock client.
int RestoreWithStockTools(
    const CompressionRow& row, const TestServerAddress& server, const std::string& file, std::string& output)
{
    const std::string test = std::string(row.tool) + " -t " + ShellQuote(file) + " >/dev/null 2>&1";
    if (std::system(test.c_str()) != 0) {
        output = row.tool + std::string(" -t failed on ") + file;
        return 1;
    }
    TempDir dir;
    const std::string plain = (dir.path() / "plain.sql").string();
    const std::string decompress = std::string(row.tool) + " -dc " + ShellQuote(file) + " > " + ShellQuote(plain);
    if (std::system(decompress.c_str()) != 0) {
        output = row.tool + std::string(" -dc failed on ") + file;
        return 1;
    }
    return RunMariadbClientOnFile(server, plain, &output);
}

// Dumps `database` from `source` compressed as the row says, checks the files and the
// manifest, and restores it into `target` twice: with the stock tools, then (after a drop)
// with the restore engine. Returns the dump's manifest.
BackupManifest CompressedRoundTrip(const CompressionRow& row, const TestServerAddress& source,
    const TestServerAddress& target, RoundTripDatabase& database, int fileSplit, const DatabaseFingerprint& original)
{
    TempDir dir;
    Task task = MakeDumpTask(source, database.name(), ListObjectsForTask(source, database.name()), dir.path() / "dumps",
        fileSplit, /*multiRowInsert=*/true);
    task.extras.compression = row.kind;
    const EngineDump dump = RunDumpEngine(task, dir.path() / "data");
    EXPECT_EQ(dump.outcome, RunOutcome::Finished) << dump.logText();
    EXPECT_EQ(dump.errors(), "");
    EXPECT_FALSE(dump.files.empty());
    for (const std::string& file : dump.files) {
        SCOPED_TRACE(file);
        EXPECT_TRUE(file.ends_with(std::string(".sql") + std::string(CompressedSuffix(row.kind))));
        EXPECT_EQ(DetectFileCompression(file), row.kind);
    }
    const BackupVerification verified = VerifyBackupRun(dump.run);
    EXPECT_TRUE(verified.ok) << Join(verified.lines);
    EXPECT_EQ(verified.filesChecked, static_cast<int>(dump.files.size()));
    EXPECT_EQ(ManifestDigestMismatches(dump.run), "");
    const BackupManifest manifest = ReadManifest(dump.run);
    EXPECT_EQ(manifest.tables.size(), original.tableCount());

    EXPECT_TRUE(database.DropOn(target));
    for (const std::string& file : dump.files) {
        std::string output;
        EXPECT_EQ(RestoreWithStockTools(row, target, file, output), 0) << file << ":\n" << output;
    }
    EXPECT_EQ(Join(CompareFingerprints(original, TakeFingerprint(target, database.name()))), "");

    EXPECT_TRUE(database.DropOn(target));
    const EngineDump restore = RunRestoreEngine(MakeRestoreTask(target, dump.files));
    EXPECT_EQ(restore.outcome, RunOutcome::Finished) << restore.logText();
    EXPECT_EQ(restore.errors(), "");
    EXPECT_EQ(Join(CompareFingerprints(original, TakeFingerprint(target, database.name()))), "");

    // The restored copy, dumped plain, has the very same rows: same counts and checksums.
    TempDir again;
    Task copyTask = MakeDumpTask(target, database.name(), ListObjectsForTask(target, database.name()),
        again.path() / "dumps", 1, /*multiRowInsert=*/false);
    const EngineDump copyDump = RunDumpEngine(copyTask, again.path() / "data");
    EXPECT_EQ(copyDump.outcome, RunOutcome::Finished) << copyDump.logText();
    EXPECT_EQ(TableSums(ReadManifest(copyDump.run)), TableSums(manifest));
    return manifest;
}

class CompressedBackup : public ::testing::TestWithParam<CompressionRow>
{ };

TEST_P(CompressedBackup, HardValuesRoundTrip)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    RoundTripDatabase database("kv hard`values", {source, target});
    std::string output;
    ASSERT_EQ(RunMariadbClient(source, HardValuesScript(database.name()), &output), 0) << output;
    const auto original = TakeFingerprint(source, database.name());
    ASSERT_EQ(original.error, "");
    const BackupManifest manifest = CompressedRoundTrip(GetParam(), source, target, database, 1, original);
    EXPECT_EQ(manifest.files.size(), 1u);
}

TEST_P(CompressedBackup, SakilaFilePerTableRoundTrip)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    RoundTripDatabase database("kv_sakila_compressed", {source, target});
    ASSERT_EQ(LoadSakila(source, database.name()), "");
    const auto original = TakeFingerprint(source, database.name());
    ASSERT_EQ(original.error, "");
    const BackupManifest manifest = CompressedRoundTrip(GetParam(), source, target, database, 3, original);
    EXPECT_EQ(manifest.files.size(), 23u);
    std::uint64_t rentals = 0;
    for (const auto& table : manifest.tables) {
        if (table.table == "rental")
            rentals = table.rows;
    }
    EXPECT_EQ(rentals, 16044u);
}

INSTANTIATE_TEST_SUITE_P(Compressions, CompressedBackup,
    ::testing::Values(
        CompressionRow {"Zstd", Compression::Zstd, "zstd"}, CompressionRow {"Gzip", Compression::Gzip, "gzip"}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace kelvanto::test
