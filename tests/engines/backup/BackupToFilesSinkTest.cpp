// How the backup engine's files reach the disk: held against a writer that opens, appends
// and closes the file for every piece, under a full disk, a file removed or replaced while
// it is written, at every log line, and at the end of the run (descriptors, durability,
// file modes).
#include "engines/backup/BackupToFiles.h"

#include "engines/backup/DumpWriter.h"
#include "engines/backupset/BackupRotation.h"
#include "tests/engines/backup/BackupToFilesFixture.h"
#include "tests/model/FileSizeLimit.h"
#include "tests/support/PerPieceFileSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace kelvanto::test
{
namespace
{

// What one run left: the dump's bytes (or that it is missing) and the log.
struct RunResult
{
    RunOutcome outcome = RunOutcome::Failed;
    bool exists = false;
    std::string bytes;
    std::vector<std::string> log;
};

class BackupToFilesSinkTest : public BackupToFilesFixture
{
protected:
    // "items" of `rows` rows of about 100 bytes (more than the sink's buffer from 3000 on),
    // then the small "more".
    void ChooseBigAndSmall(int rows)
    {
        ChooseTables({Table("items"), Table("more")});
        std::vector<Values> values;
        for (int i = 0; i < rows; ++i)
            values.push_back({std::to_string(i), "row " + std::to_string(i) + std::string(80, 'x')});
        AddItemsTable(values);
        AddTable("more", "`more`", "CREATE TABLE `more` (`x` int)", {Field("x", FieldType::Long)}, {{"5"}});
    }

    RunResult RunThrough(FileSink& sink, const std::function<void(FakeRunContext&)>& prepare = {})
    {
        std::filesystem::remove(DumpPath());
        RunResult result;
        result.outcome = RunWith(sink, prepare);
        result.exists = std::filesystem::exists(DumpPath());
        result.bytes = ReadFile(DumpPath());
        result.log = LogTexts();
        return result;
    }

    // The run through the engine's sink and through the per-piece writer, each prepared alike.
    void ExpectSameAsPerPiece(const std::function<void(FakeRunContext&)>& prepare = {}, rlim_t sizeLimit = 0)
    {
        RunResult perPiece;
        RunResult sink;
        {
            std::optional<FileSizeLimit> full;
            if (sizeLimit > 0)
                full.emplace(sizeLimit);
            PerPieceFileSink reference;
            perPiece = RunThrough(reference, prepare);
            FileSink files;
            sink = RunThrough(files, prepare);
        }
        EXPECT_EQ(sink.outcome, perPiece.outcome);
        // The same lines, except that the engine's sink also says why a write failed.
        ASSERT_EQ(sink.log.size(), perPiece.log.size());
        for (std::size_t i = 0; i < sink.log.size(); ++i) {
            EXPECT_TRUE(sink.log[i] == perPiece.log[i] || sink.log[i].starts_with(perPiece.log[i] + " - "))
                << sink.log[i] << "\n"
                << perPiece.log[i];
        }
        EXPECT_EQ(PartialsLeft(), std::vector<std::string>());
        const bool writeFailed = std::any_of(perPiece.log.begin(), perPiece.log.end(), [](const std::string& line) {
            return line.rfind("Failed to write", 0) == 0
                || line == "The backup files are incomplete, so no older backup copy was deleted!";
        });
        if (writeFailed) {
            // A dump that could not be written whole never takes its name.
            EXPECT_FALSE(sink.exists);
            return;
        }
        EXPECT_EQ(sink.exists, perPiece.exists);
        EXPECT_EQ(sink.bytes.size(), perPiece.bytes.size());
        EXPECT_TRUE(sink.bytes == perPiece.bytes);
    }
};

// A disk that fills up anywhere in the dump: the same failure lines on the same pieces, and
// the run goes on the same way as with a writer that opens the file for every piece; but
// the dump, not whole, never takes its name and leaves no temporary file.
TEST_F(BackupToFilesSinkTest, FullDiskAnywhereGivesThePerPieceBytesAndLog)
{
    for (const bool multiRow : {false, true}) {
        task.backupSettings.multiRowInsert = multiRow ? 1 : 0;
        ChooseBigAndSmall(3000);
        FileSink files;
        const RunResult complete = RunThrough(files);
        ASSERT_EQ(complete.outcome, RunOutcome::Finished);
        const std::string& text = complete.bytes;
        ASSERT_GT(text.size(), 300000u);
        const auto at = [&text](const std::string& piece, std::size_t into) {
            const std::size_t found = text.find(piece);
            EXPECT_NE(found, std::string::npos) << piece;
            return static_cast<rlim_t>(found + into);
        };
        const std::map<std::string, rlim_t> limits {
            {"in the header", 20},
            {"in the SET lines", at("SET UNIQUE_CHECKS=0;", 5)},
            {"in the CREATE DATABASE block", at("CREATE DATABASE", 10)},
            {"in the CREATE TABLE", at("CREATE TABLE IF NOT EXISTS `items`", 10)},
            {"in DISABLE KEYS", at("ALTER TABLE `items` DISABLE KEYS", 3)},
            {"in the first rows", at("INSERT INTO `items`", 40)},
            {"past the first buffer", 270000},
            {"in the last rows", at("2999,'row 2999", 0)},
            {"in UNLOCK TABLES", at("UNLOCK TABLES;", 2)},
            {"in the next table", at("CREATE TABLE IF NOT EXISTS `more`", 1)},
            {"in the closing lines", at("SET TIME_ZONE=@OLD_TIME_ZONE", 1)},
        };
        for (const auto& [name, limit] : limits) {
            SCOPED_TRACE(std::string(multiRow ? "ten-row, " : "single-row, ") + name);
            ExpectSameAsPerPiece({}, limit);
        }
    }
}

// The temporary file is the run's alone: one removed or replaced while it is written fails
// the dump, which then never takes its name; a stranger's file at the temporary name stays.
TEST_F(BackupToFilesSinkTest, ATemporaryFileRemovedOrReplacedWhileWrittenFailsTheDump)
{
    task.backupSettings.multiRowInsert = 1;
    ChooseBigAndSmall(3000);
    const std::string stranger = (dir.path() / "stranger.sql").string();
    for (const bool replace : {false, true}) {
        for (const std::string line : {"Backing up the database shop...", "Backing up the table shop.items...",
                 "Backup the records from the table OK - 3000 records", "Backing up the table shop.more..."}) {
            SCOPED_TRACE((replace ? "replaced at " : "removed at ") + line);
            std::filesystem::remove(TemporaryOf(DumpPath()));
            const auto prepare = [&](FakeRunContext& run) {
                run.SetLogHook([&, line](const LogLine& logged) {
                    if (logged.text != line)
                        return;
                    if (replace) {
                        std::ofstream(stranger, std::ios::binary) << "-- a stranger's file\n";
                        std::filesystem::rename(stranger, TemporaryOf(DumpPath()));
                    } else {
                        std::filesystem::remove(TemporaryOf(DumpPath()));
                    }
                });
            };
            FileSink files;
            const RunResult result = RunThrough(files, prepare);
            EXPECT_FALSE(result.exists);
            EXPECT_TRUE(std::any_of(result.log.begin(), result.log.end(),
                [](const std::string& text) { return text.rfind("Failed to write", 0) == 0; }));
            EXPECT_EQ(ReadFile(TemporaryOf(DumpPath())), replace ? "-- a stranger's file\n" : "");
        }
    }
}

// Everything appended so far is on disk whenever the engine writes a log line.
TEST_F(BackupToFilesSinkTest, EveryLogLineFindsEverythingAppendedOnDisk)
{
    class CountingSink : public FileSink
    {
    public:
        bool Create(const std::string& path) override
        {
            appended[path] = 0;
            return FileSink::Create(path);
        }
        bool Append(const std::string& path, std::string_view piece) override
        {
            const bool ok = FileSink::Append(path, piece);
            appended[path] += ok ? piece.size() : 0;
            return ok;
        }
        std::map<std::string, std::uintmax_t> appended;
    };
    struct Row
    {
        const char* name;
        std::uint8_t fileSplit;
        std::uint8_t exportStructure;
        std::size_t files;
    };
    for (const Row& row : {Row {"one file", 1, 1, 1}, Row {"a file per table, no structure", 3, 0, 2}}) {
        SCOPED_TRACE(row.name);
        task.backupSettings.fileMode = 2;
        task.backupSettings.fileSplit = row.fileSplit;
        task.backupSettings.exportStructure = row.exportStructure;
        task.backupSettings.backupFolder = dir.path().string() + "/";
        task.backupSettings.fileNameFormat = "%TABLE%";
        ChooseBigAndSmall(3000);
        CountingSink sink;
        int checked = 0;
        ASSERT_EQ(RunWith(sink,
                      [&](FakeRunContext& run) {
                          run.SetLogHook([&](const LogLine& line) {
                              SCOPED_TRACE(line.text);
                              for (const auto& [path, bytes] : sink.appended) {
                                  // Under the temporary name until the file is whole.
                                  const std::filesystem::path temporary = TemporaryOf(path);
                                  EXPECT_EQ(
                                      std::filesystem::file_size(
                                          std::filesystem::exists(temporary) ? temporary : std::filesystem::path(path)),
                                      bytes)
                                      << path;
                              }
                              ++checked;
                          });
                      }),
            RunOutcome::Finished);
        EXPECT_EQ(checked, static_cast<int>(LogTexts().size()));
        EXPECT_EQ(sink.appended.size(), row.files);
    }
}

// No descriptor stays open after a file's last piece, and none after the run, however it ends.
TEST_F(BackupToFilesSinkTest, NoFileStaysOpenPastItsLastPieceOrTheRun)
{
    task.backupSettings.fileMode = 2;
    task.backupSettings.fileSplit = 3;
    task.backupSettings.newFolderPerRun = 1;
    task.backupSettings.backupFolder = (dir.path() / "backups").string() + "/";
    task.backupSettings.fileNameFormat = "%TABLE%";
    ChooseBigAndSmall(50);
    // A table whose columns cannot be listed ends after its file was started.
    task.databases[0].tables.insert(task.databases[0].tables.begin() + 1, Table("broken"));
    // The file being written keeps its folder open beside it: folders count only at the end.
    const auto openDumps = [this](bool folders = false) {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
            if (!error && target.rfind((dir.path() / "backups").string(), 0) == 0
                && (folders || !std::filesystem::is_directory(target, error)))
                ++count;
        }
        return count;
    };
    struct Row
    {
        const char* name;
        std::size_t quitAfter; // 0: never
        RunOutcome outcome;
    };
    for (const Row& row :
        {Row {"finished", 0, RunOutcome::Finished}, Row {"cancelled in the rows", 20, RunOutcome::Cancelled}}) {
        SCOPED_TRACE(row.name);
        FileSink sink;
        std::vector<std::string> lines;
        const auto prepare = [&](FakeRunContext& run) {
            if (row.quitAfter > 0)
                run.QuitAfterChecks(row.quitAfter);
            run.SetLogHook([&](const LogLine& line) {
                const int open = openDumps();
                lines.push_back(std::to_string(open) + " " + line.text);
                EXPECT_LE(open, 1) << line.text;
            });
        };
        EXPECT_EQ(RunWith(sink, prepare), row.outcome);
        EXPECT_EQ(openDumps(true), 0);
        if (row.quitAfter == 0) {
            EXPECT_NE(std::find(lines.begin(), lines.end(), "1 No result when list table fields: broken"), lines.end());
        }
        for (const std::string& line : lines) {
            // A table's file is opened after its first line and closed before the next table's.
            if (line.find("Backing up the ") != std::string::npos || line.find(" Finished") != std::string::npos) {
                EXPECT_EQ(line.substr(0, 2), "0 ") << line;
            }
        }
    }
}

// The files and folders of a completed backup reach stable storage before the run is
// recorded and before older copies are deleted; dump files are the owner's only.
TEST_F(BackupToFilesSinkTest, CompletedBackupIsDurableBeforeItIsRecordedOrOldCopiesGo)
{
    class SyncWatch : public FileSink
    {
    public:
        Result<void> Sync(const std::vector<std::string>& files, const std::vector<std::string>& folders) override
        {
            synced.push_back({files, folders});
            seen = watch();
            return FileSink::Sync(files, folders);
        }
        std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> synced;
        std::function<std::string()> watch;
        std::string seen;
    };
    // An older copy of the task's own, in its backup folder.
    std::filesystem::create_directories(dir.path() / "backups");
    const std::string oldCopy = (dir.path() / "backups" / "old.sql").string();
    ASSERT_TRUE(CreateDumpFile(oldCopy));
    BackupRun old;
    old.files = {oldCopy};
    old.year = 2020;
    old.fileMode = 2;
    task.backupHistory = {old};
    task.backupSettings.fileMode = 2;
    task.backupSettings.fileSplit = 2;
    task.backupSettings.newFolderPerRun = 1;
    task.backupSettings.autoDelete = 2;
    task.backupSettings.autoDeleteLimit = 1;
    const std::string folder = (dir.path() / "backups").string();
    task.backupSettings.backupFolder = folder + "/";
    task.backupSettings.fileNameFormat = "%DATABASE%";
    ChooseBigAndSmall(5);
    SyncWatch sink;
    sink.watch = [&] {
        return std::to_string(context->task().backupHistory.size()) + " entries, old copy "
            + (std::filesystem::exists(oldCopy) ? "kept" : "gone");
    };
    const mode_t oldMask = ::umask(0);
    const RunOutcome outcome = RunWith(sink);
    ::umask(oldMask);
    ASSERT_EQ(outcome, RunOutcome::Finished);

    const std::string runFolder = folder + "/2024-01-02_03-04-05";
    ASSERT_EQ(sink.synced.size(), 1u);
    EXPECT_EQ(sink.synced[0].first, std::vector<std::string> {runFolder + "/shop.sql"});
    EXPECT_EQ(sink.synced[0].second, (std::vector<std::string> {runFolder, folder}));
    EXPECT_EQ(sink.seen, "1 entries, old copy kept");
    EXPECT_EQ(context->task().backupHistory.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(oldCopy));

    struct stat status
    { };
    ASSERT_EQ(::stat((runFolder + "/shop.sql").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    ASSERT_EQ(::stat(runFolder.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);
}

// Whether a run goes into the backup history and may expire older copies: a copy that is
// not whole on disk (a piece or the final flush failed) fails the run, is not recorded and
// deletes nothing; a whole copy with an object that failed is recorded, marked, and deletes
// nothing; only a run without any error makes older copies expire.
TEST_F(BackupToFilesSinkTest, OnlyASucceededBackupExpiresOlderCopies)
{
    class FailingSink : public FileSink
    {
    public:
        bool Append(const std::string& path, std::string_view piece) override
        {
            if (failRows && piece.find("INSERT") != std::string_view::npos)
                return false;
            return FileSink::Append(path, piece);
        }
        Result<void> Sync(const std::vector<std::string>& files, const std::vector<std::string>& folders) override
        {
            if (failSync)
                return Error {"/backups: Input/output error"};
            return FileSink::Sync(files, folders);
        }
        bool failRows = false;
        bool failSync = false;
    };
    struct Case
    {
        std::string name;
        bool failRows;
        bool failSync;
        bool failTable;
        RunOutcome outcome;
        std::vector<std::uint8_t> history; // runReserved of each entry after the run
        std::string keptLine; // why the older copy stayed; empty when it went
    };
    const std::string incomplete = "The backup files are incomplete, so no older backup copy was deleted!";
    const std::string withErrors = "The backup logged errors, so no older backup copy was deleted!";
    ChooseBigAndSmall(5);
    for (const Case& c : {Case {"whole", false, false, false, RunOutcome::Finished, {0}, ""},
             Case {"rows not written", true, false, false, RunOutcome::Failed, {0}, incomplete},
             Case {"flush failed", false, true, false, RunOutcome::Failed, {0}, incomplete},
             Case {"a table failed", false, false, true, RunOutcome::Finished, {0, kCopyWithErrors}, withErrors}}) {
        SCOPED_TRACE(c.name);
        std::filesystem::create_directories(dir.path() / c.name);
        const std::string oldCopy = (dir.path() / c.name / "old.sql").string();
        ASSERT_TRUE(CreateDumpFile(oldCopy));
        BackupRun old;
        old.files = {oldCopy};
        old.year = 2020;
        old.fileMode = 2;
        task.backupHistory = {old};
        task.backupSettings.fileMode = 2;
        task.backupSettings.fileSplit = 2;
        task.backupSettings.newFolderPerRun = 1;
        task.backupSettings.autoDelete = 2;
        task.backupSettings.autoDeleteLimit = 1;
        task.backupSettings.backupFolder = (dir.path() / c.name).string() + "/";
        task.backupSettings.fileNameFormat = "%DATABASE%";
        // The last case: the refusal stays for no later one.
        if (c.failTable)
            fake->Fail("SHOW CREATE TABLE `more`", 1146, "Table 'shop.more' doesn't exist");
        FailingSink sink;
        sink.failRows = c.failRows;
        sink.failSync = c.failSync;
        ASSERT_EQ(RunWith(sink), c.outcome);

        const std::vector<std::string> log = LogTexts();
        for (const std::string& line : {incomplete, withErrors}) {
            const bool logged = std::find(log.begin(), log.end(), line) != log.end();
            EXPECT_EQ(logged, line == c.keptLine) << line;
        }
        EXPECT_EQ(std::filesystem::exists(oldCopy), !c.keptLine.empty());
        std::vector<std::uint8_t> history;
        for (const BackupRun& run : context->task().backupHistory)
            history.push_back(run.runReserved);
        EXPECT_EQ(history, c.history);
    }
}

} // namespace
} // namespace kelvanto::test
