// The backup engine with compression, against a scripted connection: the compressed file's
// name in both modes, its content against the plain run's, the manifest that only a whole
// run gets, and the refusal of a compressed PHP dump.
#include "engines/backup/BackupToFiles.h"

#include "engines/backupset/BackupManifest.h"
#include "engines/backupset/BackupVerification.h"
#include "engines/io/CompressedInput.h"
#include "engines/io/Compression.h"
#include "engines/io/FileSink.h"
#include "tests/engines/backup/BackupToFilesFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

namespace kelvanto::test
{
namespace
{

using BackupToFilesCompression = BackupToFilesFixture;

std::string Decoded(const std::string& path)
{
    std::string text;
    const Result<DecodedFile> file = DecodeFile(path, [&](std::string_view piece) { text += piece; });
    EXPECT_TRUE(file.ok()) << (file ? "" : file.error());
    return text;
}

TEST_F(BackupToFilesCompression, TheSameDumpCompressedUnderItsSuffixWithAManifest)
{
    ChooseTables({Table("items")});
    AddItemsTable({{"1", "a"}, {"2", std::nullopt}});
    ASSERT_EQ(Run(), RunOutcome::Finished);
    const std::string plain = ReadFile(DumpPath());
    const std::vector<std::string> plainLog = LogTexts();
    std::filesystem::remove(DumpPath());

    struct Row
    {
        const char* name;
        Compression kind;
        std::string configured;
        std::string written;
    };
    const std::string base = DumpPath().string();
    const Row rows[] = {
        {"zstd", Compression::Zstd, base, base + ".zst"},
        {"gzip", Compression::Gzip, base, base + ".gz"},
        {"gzip, suffix configured", Compression::Gzip, base + ".gz", base + ".gz"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        task.extras.compression = row.kind;
        task.backupSettings.singleFilePath = row.configured;
        ASSERT_EQ(Run(), RunOutcome::Finished);
        EXPECT_EQ(LogTexts(), plainLog);
        const BackupRun run = context->task().backupHistory.back();
        ASSERT_EQ(run.files, std::vector<std::string> {row.written});
        EXPECT_EQ(Decoded(row.written), plain);
        EXPECT_EQ(ManifestPathFor(run), row.written + ".manifest.json");
        const BackupVerification verified = VerifyBackupRun(run);
        EXPECT_TRUE(verified.ok);
        EXPECT_FALSE(std::filesystem::exists(DumpPath()));
        std::filesystem::remove(row.written);
    }
}

TEST_F(BackupToFilesCompression, OnlyAWholeRunGetsAManifest)
{
    // A table that cannot be listed logs an error: the run is not whole.
    ChooseTables({Table("items"), Table("missing")});
    AddItemsTable({{"1", "a"}});
    ASSERT_EQ(Run(), RunOutcome::Finished);
    ASSERT_FALSE(context->task().backupHistory.empty());
    EXPECT_FALSE(std::filesystem::exists(ManifestPathFor(context->task().backupHistory.back())));

    ChooseTables({Table("items")});
    ASSERT_EQ(Run(), RunOutcome::Finished);
    const std::string manifestPath = ManifestPathFor(context->task().backupHistory.back());
    const Result<BackupManifest> manifest = BackupManifest::FromJson(ReadFile(manifestPath));
    ASSERT_TRUE(manifest.ok()) << manifest.error();
    EXPECT_EQ(manifest->taskName, "Nightly");
    EXPECT_EQ(manifest->serverVersion, "10.6.11-MariaDB");
    ASSERT_EQ(manifest->tables.size(), 1u);
    EXPECT_EQ(manifest->tables[0].database, "shop");
    EXPECT_EQ(manifest->tables[0].table, "items");
    EXPECT_EQ(manifest->tables[0].rows, 1u);
    EXPECT_EQ(manifest->tables[0].characterSet, "latin1");
    ASSERT_EQ(manifest->files.size(), 1u);
    EXPECT_EQ(manifest->files[0].name, "dump.sql");
    EXPECT_EQ(manifest->files[0].size, std::filesystem::file_size(DumpPath()));
}

TEST_F(BackupToFilesCompression, AWriteOfCompressedRowsThatFailsFailsTheRun)
{
    ChooseTables({Table("items")});
    std::vector<Values> rows;
    std::uint64_t state = 88172645463325252u;
    for (int i = 0; i < 20000; ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        rows.push_back({std::to_string(i), std::to_string(state)});
    }
    AddItemsTable(rows);
    for (const Compression kind : {Compression::Zstd, Compression::Gzip}) {
        SCOPED_TRACE(CompressedSuffix(kind));
        task.extras.compression = kind;
        // The disk fails once the rows are under way, on bytes the compression thread made.
        std::size_t written = 0;
        FileSink::Options options;
        options.write = [&written](int fd, const char* data, std::size_t size) -> long {
            if (written + size > 40000) {
                errno = EIO;
                return -1;
            }
            written += size;
            return static_cast<long>(::write(fd, data, size));
        };
        FileSink sink(options);
        EXPECT_EQ(RunWith(sink), RunOutcome::Failed);
        const std::vector<std::string> log = LogTexts();
        EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& line) {
            return line.ends_with(" - " + std::string(std::strerror(EIO)));
        })) << ::testing::PrintToString(log);
        EXPECT_FALSE(std::filesystem::exists(DumpPath().string() + std::string(CompressedSuffix(kind))));
        EXPECT_TRUE(PartialsLeft().empty());
    }
}

TEST_F(BackupToFilesCompression, APhpDumpIsNeverCompressed)
{
    ChooseTables({Table("items")});
    AddItemsTable({{"1", "a"}});
    task.backupSettings.fileType = 2;
    task.backupSettings.singleFilePath = (dir.path() / "dump.php").string();
    task.extras.compression = Compression::Gzip;
    ASSERT_EQ(Run(), RunOutcome::Failed);
    EXPECT_EQ(LogTexts(),
        std::vector<std::string> {"A PHP backup file cannot be compressed: choose SQL files or no compression!"});
    EXPECT_TRUE(connectedTo.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "dump.php"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "dump.php.gz"));
}

} // namespace
} // namespace kelvanto::test
