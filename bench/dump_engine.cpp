// Benchmark driver: runs the backup-to-files engine once on one table of a real server
// and prints what it cost. Used by bench/dump_bench.sh; not a test.
//
//   dump_engine --host H --port P --user U [--password X] --database D --table T --out DIR
//               [--multi-row] [--sink file|per-piece] [--snapshot] [--compression zstd|gzip [--level N]]
//               [--max-insert-bytes N]
//
// --max-insert-bytes N  the task's maxInsertBytes extra: with --multi-row, every row that fits in N bytes
// --snapshot        the task's consistentSnapshot extra: the run reads inside one snapshot
// --sink file       the engine's own sink (FileSink): the file kept open behind a buffer
// --sink per-piece  a bench-only sink that opens, appends and closes for every piece
//
// Prints one line: "seconds=S sync_seconds=F maxrss_kb=K bytes=B outcome=O", where F is the
// part of S spent flushing the finished files to stable storage.
#include "engines/backup/BackupToFiles.h"
#include "engines/io/FileSink.h"
#include "model/Task.h"
#include "mysql/MySqlLibrary.h"
#include "mysql/OpenConnection.h"
#include "schedule/RunContext.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <map>
#include <mutex>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace
{

using namespace kelvanto;

// Just enough of a run context for one run: the task, a data folder, the log on stderr.
class BenchRunContext : public RunContext
{
public:
    BenchRunContext(Task task, std::filesystem::path dataFolder)
        : m_task(std::move(task))
        , m_dataFolder(std::move(dataFolder))
    { }

    Task TaskCopy() const override { return m_task; }
    void UpdateTask(const std::function<void(Task&)>& change) override { change(m_task); }
    bool QuitRequested() override { return false; }
    void Log(LogLevel level, std::string_view message) override
    {
        if (level == LogLevel::Error)
            ++m_errors;
        if (level != LogLevel::General || m_verbose)
            std::cerr << message << "\n";
    }
    TimeStamp Now() const override
    {
        const std::time_t now = std::time(nullptr);
        std::tm local {};
        localtime_r(&now, &local);
        return TimeStamp {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
            local.tm_sec, local.tm_wday + 1};
    }
    std::size_t ErrorLines() const override { return m_errors; }
    void MarkConnectionLost() override { m_lost = true; }
    bool ConnectionLost() const override { return m_lost; }
    void RegisterCancellable(Cancellable*) override { }
    void UnregisterCancellable(Cancellable*) override { }
    void SaveTaskList() override { }
    const std::filesystem::path& DataFolder() const override { return m_dataFolder; }

    const Task& task() const { return m_task; }
    void SetVerbose(bool verbose) { m_verbose = verbose; }

private:
    Task m_task;
    std::filesystem::path m_dataFolder;
    bool m_verbose = false;
    std::size_t m_errors = 0;
    bool m_lost = false;
};

// The engine's own sink, timing the flush to stable storage at the end of the run.
class TimedFileSink : public FileSink
{
public:
    Result<void> Sync(const std::vector<std::string>& files, const std::vector<std::string>& folders) override
    {
        const auto start = std::chrono::steady_clock::now();
        Result<void> result = FileSink::Sync(files, folders);
        m_syncSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return result;
    }
    double syncSeconds() const { return m_syncSeconds; }

private:
    double m_syncSeconds = 0;
};

// The rule the engine's sink replaces, for comparison: open, append and close the file for
// every piece.
class PerPieceSink : public TimedFileSink
{
public:
    bool Create(const std::string& path) override
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        return fd >= 0 && ::close(fd) == 0;
    }
    bool Append(const std::string& path, std::string_view piece) override
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd < 0)
            return false;
        bool ok = true;
        while (ok && !piece.empty()) {
            const ssize_t written = ::write(fd, piece.data(), piece.size());
            ok = written > 0;
            if (ok)
                piece.remove_prefix(static_cast<std::size_t>(written));
        }
        return ::close(fd) == 0 && ok;
    }
    bool Flush() override { return true; }
    bool Close() override { return true; }
};

const char* OutcomeText(RunOutcome outcome)
{
    switch (outcome) {
    case RunOutcome::Finished:
        return "finished";
    case RunOutcome::Cancelled:
        return "cancelled";
    default:
        return "failed";
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::map<std::string, std::string> options {
        {"--host", "127.0.0.1"}, {"--port", "3306"}, {"--user", "root"}, {"--password", ""}, {"--sink", "file"}};
    bool multiRow = false;
    bool verbose = false;
    bool snapshot = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--multi-row") {
            multiRow = true;
        } else if (arg == "--snapshot") {
            snapshot = true;
        } else if (arg == "--verbose") {
            verbose = true;
        } else if (i + 1 < argc && arg.rfind("--", 0) == 0) {
            options[arg] = argv[++i];
        } else {
            std::cerr << "unknown argument: " << arg << "\n";
            return 2;
        }
    }
    if (options["--database"].empty() || options["--table"].empty() || options["--out"].empty()) {
        std::cerr << "usage: dump_engine --database D --table T --out DIR [--host H --port P --user U "
                     "--password X] [--multi-row] [--sink file|per-piece] [--snapshot] [--compression zstd|gzip "
                     "[--level N]] [--max-insert-bytes N]\n";
        return 2;
    }

    Task task;
    task.name = "bench";
    task.source.host = options["--host"];
    task.source.port = std::atoi(options["--port"].c_str());
    task.source.user = options["--user"];
    task.source.password = options["--password"];
    BackupSettings& settings = task.backupSettings;
    settings.fileMode = 2;
    settings.fileSplit = 1;
    settings.unixLineEnds = 1;
    settings.backupFolder = options["--out"] + "/";
    settings.fileNameFormat = "%DATABASE%_%TABLE%";
    settings.multiRowInsert = multiRow ? 1 : 0;
    task.extras.consistentSnapshot = snapshot;
    if (options["--compression"] == "zstd")
        task.extras.compression = Compression::Zstd;
    else if (options["--compression"] == "gzip")
        task.extras.compression = Compression::Gzip;
    task.extras.compressionLevel = std::atoi(options["--level"].c_str());
    task.extras.maxInsertBytes = std::atoll(options["--max-insert-bytes"].c_str());
    DatabaseItem database;
    database.checkState = 2;
    database.name = options["--database"];
    database.tables.push_back(TableItem {2, 1, database.name, options["--table"]});
    task.databases.push_back(database);

    InitMySqlLibrary();
    BenchRunContext context(task, std::filesystem::path(options["--out"]) / "data");
    context.SetVerbose(verbose);
    const std::string sink = options["--sink"];
    TimedFileSink files;
    PerPieceSink perPiece;
    TimedFileSink& used = sink == "per-piece" ? perPiece : files;
    const auto start = std::chrono::steady_clock::now();
    const RunOutcome outcome = RunBackupToFiles(context, MakeMariaDbConnector(), used);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EndMySqlThread();

    std::uintmax_t bytes = 0;
    if (!context.task().backupHistory.empty()) {
        for (const auto& file : context.task().backupHistory.back().files) {
            std::error_code error;
            bytes += std::filesystem::file_size(file, error);
        }
    }
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("seconds=%.3f sync_seconds=%.3f maxrss_kb=%ld bytes=%ju outcome=%s\n", seconds, used.syncSeconds(),
        usage.ru_maxrss, bytes, OutcomeText(outcome));
    return outcome == RunOutcome::Finished ? 0 : 1;
}
