// A recorded backup checked against its manifest: a good run passes, and each fault (a
// changed byte, a truncated file, a missing file, a planted symbolic link, a missing or
// hostile manifest) fails with a line that names the file and the fault. Rotation deletes a
// run's manifest with its files.
#include "engines/backupset/BackupVerification.h"
#include "engines/backupset/BackupManifest.h"
#include "engines/backupset/BackupRotation.h"
#include "engines/backupset/BackupRunManifest.h"
#include "engines/io/FileSink.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvanto
{
namespace
{

std::string Lines(const BackupVerification& result)
{
    std::string text;
    for (const auto& line : result.lines)
        text += line + "\n";
    return text;
}

TimeStamp RunTime()
{
    TimeStamp time;
    time.year = 2026;
    time.month = 12;
    time.day = 7;
    time.hour = 3;
    time.minute = 4;
    time.second = 5;
    return time;
}

// A run of three files (zstd, gzip, plain) in `folder`, with its manifest.
BackupRun WriteRun(const std::filesystem::path& folder)
{
    BackupRun run;
    run.fileMode = 2;
    run.year = 2026;
    run.month = 12;
    run.day = 7;
    run.hour = 3;
    run.minute = 4;
    run.second = 5;
    const std::pair<const char*, Compression> files[]
        = {{"a.sql.zst", Compression::Zstd}, {"b.sql.gz", Compression::Gzip}, {"c.sql", Compression::None}};
    FileSink sink;
    for (const auto& [name, kind] : files) {
        const std::string path = (folder / name).string();
        sink.SetCompression(kind, 0);
        EXPECT_TRUE(sink.Create(path));
        for (int i = 0; i < 2000; ++i)
            EXPECT_TRUE(sink.Append(path, "INSERT INTO t VALUES (" + std::to_string(i) + ");\n"));
        EXPECT_TRUE(sink.Close());
        run.files.push_back(path);
    }
    BackupRunManifest manifest("task-1", "Nightly", RunTime());
    RowTally tally;
    tally.Add("(1)");
    manifest.AddTable("shop", "t", tally, "utf8mb4", run.files[2]);
    const Result<std::string> written = manifest.Write(run.files, RunTime());
    EXPECT_TRUE(written.ok()) << (written ? "" : written.error());
    EXPECT_EQ(written.ok() ? *written : "", ManifestPathFor(run));
    return run;
}

void FlipByte(const std::string& path, std::uintmax_t offset)
{
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekg(static_cast<std::streamoff>(offset));
    char byte = 0;
    file.get(byte);
    file.seekp(static_cast<std::streamoff>(offset));
    file.put(static_cast<char>(byte ^ 0x01));
}

TEST(BackupVerification, AGoodRunPassesAndEveryFaultFailsWithItsLine)
{
    struct Row
    {
        const char* name;
        std::function<void(const BackupRun&)> damage;
        bool ok;
        bool manifestFound;
        const char* line; // expected in the result's lines
    };
    const Row rows[] = {
        {"Good", [](const BackupRun&) {}, true, true, "SHA-256 matches, decompresses to its end"},
        {"ChangedByte", [](const BackupRun& run) { FlipByte(run.files[2], 100); }, false, true,
            "c.sql: its SHA-256 differs from the manifest's"},
        {"Truncated",
            [](const BackupRun& run) {
                std::filesystem::resize_file(run.files[0], std::filesystem::file_size(run.files[0]) - 5);
            },
            false, true, "a.sql.zst: is "},
        {"Missing", [](const BackupRun& run) { std::filesystem::remove(run.files[1]); }, false, true,
            "b.sql.gz: is missing"},
        {"PlantedLink",
            [](const BackupRun& run) {
                std::filesystem::rename(run.files[2], run.files[2] + ".real");
                std::filesystem::create_symlink(run.files[2] + ".real", run.files[2]);
            },
            false, true, "c.sql: is a symbolic link"},
        {"NoManifest", [](const BackupRun& run) { std::filesystem::remove(ManifestPathFor(run)); }, false, false,
            "there is no manifest"},
        {"NoManifestAndCut",
            [](const BackupRun& run) {
                std::filesystem::remove(ManifestPathFor(run));
                std::filesystem::resize_file(run.files[1], std::filesystem::file_size(run.files[1]) - 3);
            },
            false, false, "b.sql.gz: is cut short"},
        {"HostileManifest",
            [](const BackupRun& run) {
                std::ofstream(ManifestPathFor(run)) << R"({"format":1,"started":"2026-12-07 03:04:05",
                    "ended":"2026-12-07 03:04:06","files":[{"name":"../etc","size":1,"sha256":"00"}]})";
            },
            false, true, "names a file outside its folder"},
        {"NotJson", [](const BackupRun& run) { std::ofstream(ManifestPathFor(run)) << "{\"format\":"; }, false, false,
            "the manifest is not a JSON object"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TempDir dir;
        const BackupRun run = WriteRun(dir.path());
        row.damage(run);
        const BackupVerification result = VerifyBackupRun(run);
        EXPECT_EQ(result.ok, row.ok) << Lines(result);
        EXPECT_EQ(result.manifestFound, row.manifestFound) << Lines(result);
        EXPECT_NE(Lines(result).find(row.line), std::string::npos) << Lines(result);
        if (row.ok) {
            EXPECT_EQ(result.filesChecked, 3);
        }
    }
}

TEST(BackupVerification, ManifestRoundTripsAndRotationDeletesIt)
{
    test::TempDir dir;
    const BackupRun run = WriteRun(dir.path());
    std::ifstream in(ManifestPathFor(run));
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const Result<BackupManifest> manifest = BackupManifest::FromJson(text);
    ASSERT_TRUE(manifest.ok()) << manifest.error();
    EXPECT_EQ(manifest->taskId, "task-1");
    EXPECT_EQ(manifest->taskName, "Nightly");
    EXPECT_EQ(manifest->started, RunTime());
    ASSERT_EQ(manifest->files.size(), 3u);
    EXPECT_EQ(manifest->files[0].compression, "zstd");
    EXPECT_EQ(manifest->files[1].compression, "gzip");
    EXPECT_EQ(manifest->files[2].compression, "none");
    EXPECT_EQ(manifest->files[2].sha256.size(), 64u);
    ASSERT_EQ(manifest->tables.size(), 1u);
    EXPECT_EQ(manifest->tables[0].rows, 1u);
    EXPECT_EQ(manifest->tables[0].checksum.size(), 16u);
    EXPECT_EQ(manifest->ToJson(), text);

    BackupSettings settings;
    settings.backupFolder = std::filesystem::path(run.files.front()).parent_path().string() + "/";
    settings.fileNameFormat = "%DATABASE%"; // the names a.sql.zst, b.sql.gz and c.sql
    DeleteBackupCopies({run}, {}, settings);
    EXPECT_FALSE(std::filesystem::exists(ManifestPathFor(run)));
    for (const std::string& file : run.files)
        EXPECT_FALSE(std::filesystem::exists(file));
}

// Every table of the manifest has a file of its own where the layout gives it one, and a
// history entry that records one file twice (a run that wrote over its own file, before names
// were kept apart) fails whatever its manifest says.
TEST(BackupVerification, ATableWithoutAFileOfItsOwnFails)
{
    struct Table
    {
        const char* database;
        const char* table;
        int file; // index into the run's files; -1: a file the manifest does not list
    };
    struct Row
    {
        const char* name;
        std::string_view layout;
        std::vector<Table> tables;
        bool recordedTwice; // the history entry names its first file twice
        bool ok;
        const char* line;
    };
    using M = BackupManifest;
    const Row rows[] = {
        {"a file per table", M::kFilePerTable, {{"shop", "a/b", 0}, {"shop", "ab", 1}}, false, true, "OK   "},
        {"two tables in one file of a file per table", M::kFilePerTable, {{"shop", "a/b", 0}, {"shop", "ab", 0}}, false,
            false, "a.sql: holds the tables shop.a/b, shop.ab, which the backup wrote into files of their own"},
        {"a table in a file the manifest does not list", M::kFilePerTable, {{"shop", "a", 0}, {"shop", "b", -1}}, false,
            false, "the table shop.b has no file of its own"},
        {"one database's tables in its file", M::kFilePerDatabase, {{"shop", "a", 0}, {"shop", "b", 0}}, false, true,
            "OK   "},
        {"two databases in one file of a file per database", M::kFilePerDatabase, {{"db1", "t", 0}, {"db2", "t", 0}},
            false, false, "a.sql: holds the tables db1.t, db2.t"},
        {"everything in one file", M::kOneFile, {{"db1", "t", 0}, {"db2", "t", 0}}, false, true, "OK   "},
        {"an older manifest and a file written twice", M::kNoLayout, {}, true, false,
            "a.sql: was written 2 times by this backup, so it holds only what was written into it last"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TempDir dir;
        BackupRun run;
        run.fileMode = 2;
        FileSink sink;
        for (const char* name : {"a.sql", "b.sql"}) {
            const std::string path = (dir.path() / name).string();
            ASSERT_TRUE(sink.Create(path));
            ASSERT_TRUE(sink.Append(path, "INSERT INTO t VALUES (1);\n"));
            ASSERT_TRUE(sink.Close());
            run.files.push_back(path);
        }
        BackupRunManifest manifest("task-1", "Nightly", RunTime());
        manifest.SetLayout(row.layout);
        RowTally tally;
        for (const Table& table : row.tables) {
            const std::string file
                = table.file < 0 ? (dir.path() / "gone.sql").string() : run.files[static_cast<std::size_t>(table.file)];
            manifest.AddTable(table.database, table.table, tally, "", file);
        }
        ASSERT_TRUE(manifest.Write(run.files, RunTime()).ok());
        if (row.recordedTwice)
            run.files.insert(run.files.begin() + 1, run.files.front());
        const BackupVerification result = VerifyBackupRun(run);
        EXPECT_EQ(result.ok, row.ok) << Lines(result);
        EXPECT_NE(Lines(result).find(row.line), std::string::npos) << Lines(result);
        EXPECT_LE(result.filesFailed, 2) << Lines(result);
    }
}

TEST(BackupVerification, RowChecksumDoesNotDependOnRowOrder)
{
    RowTally forward;
    RowTally backward;
    const char* rows[] = {"(1,'a')", "(2,'b')", "(3,NULL)"};
    for (const char* row : rows)
        forward.Add(row);
    for (int i = 2; i >= 0; --i)
        backward.Add(rows[i]);
    EXPECT_EQ(forward.ChecksumText(), backward.ChecksumText());
    RowTally changed;
    changed.Add("(1,'a')");
    changed.Add("(2,'c')");
    changed.Add("(3,NULL)");
    EXPECT_NE(changed.ChecksumText(), forward.ChecksumText());
    EXPECT_EQ(forward.rows(), 3u);
}

} // namespace
} // namespace kelvanto
