// Benchmark driver: runs the copy engine or the export engine once on one table of a real
// server and prints what it cost. Used by bench/copy_export_bench.sh; not a test.
//
//   copy_export_engine export --database D --table T --out DIR --format csv|xml|html|text
//                             [--host H --port P --user U --password X]
//   copy_export_engine copy --database D --table T --dest-database D2 --dest-host H2 --dest-port P2
//                           [--host H --port P --user U --password X] [--multi-row] [--autocommit]
//                           [--max-insert-bytes N]
//
// Prints one line: "seconds=S maxrss_kb=K outcome=O". The copy goes into the database D2 of
// the destination server (created when missing), as a "Backup to the other database" task.
#include "engines/copy/ServerCopy.h"
#include "engines/export/ExportTables.h"
#include "model/Task.h"
#include "mysql/MySqlLibrary.h"
#include "mysql/OpenConnection.h"
#include "schedule/RunContext.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <sys/resource.h>

namespace
{

using namespace kelvanto;

// Just enough of a run context for one run: the task, a data folder, errors on stderr.
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
        if (level != LogLevel::General)
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

private:
    Task m_task;
    std::filesystem::path m_dataFolder;
    std::size_t m_errors = 0;
    bool m_lost = false;
};

ServerConnection Server(std::map<std::string, std::string>& options, const std::string& prefix)
{
    ServerConnection server;
    server.host = options[prefix + "host"];
    server.port = std::atoi(options[prefix + "port"].c_str());
    server.user = options[prefix + "user"];
    server.password = options[prefix + "password"];
    return server;
}

} // namespace

int main(int argc, char** argv)
{
    std::map<std::string, std::string> options {{"--host", "127.0.0.1"}, {"--port", "3306"}, {"--user", "root"},
        {"--password", ""}, {"--dest-host", "127.0.0.1"}, {"--dest-user", "root"}, {"--dest-password", ""},
        {"--format", "csv"}};
    const std::string mode = argc > 1 ? argv[1] : "";
    bool multiRow = false;
    bool autocommit = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--multi-row") {
            multiRow = true;
        } else if (arg == "--autocommit") {
            autocommit = true;
        } else if (i + 1 < argc && arg.rfind("--", 0) == 0) {
            options[arg] = argv[++i];
        } else {
            std::cerr << "unknown argument: " << arg << "\n";
            return 2;
        }
    }
    if ((mode != "export" && mode != "copy") || options["--database"].empty() || options["--table"].empty()) {
        std::cerr << "usage: copy_export_engine export|copy --database D --table T ... (see the source)\n";
        return 2;
    }

    Task task;
    task.name = "bench";
    task.source = Server(options, "--");
    const TableItem table {2, 1, options["--database"], options["--table"]};
    if (mode == "export") {
        static const std::map<std::string, int> formats {{"csv", 1}, {"xml", 2}, {"html", 3}, {"text", 4}};
        task.type = TaskType::ExportTables;
        ExportSettings& settings = task.exportSettings;
        settings.fileType = static_cast<std::uint8_t>(formats.at(options["--format"]));
        settings.directory = options["--out"] + "/";
        settings.fieldsTerminatedBy = settings.fileType == 1 ? "," : "\t";
        settings.fieldsEnclosedBy = settings.fileType == 1 ? "\"" : "";
        settings.linesTerminatedBy = "\r\n";
        settings.columnNamesOnTop = 1;
        task.exportTables.push_back(table);
    } else {
        task.type = TaskType::BackupToDatabase;
        task.destination = Server(options, "--dest-");
        BackupSettings& settings = task.backupSettings;
        settings.multiRowInsert = multiRow ? 1 : 0;
        settings.addAutocommit = autocommit ? 1 : 0;
        task.extras.maxInsertBytes = std::atoll(options["--max-insert-bytes"].c_str());
        settings.createDatabase = 1;
        settings.destDatabaseName = options["--dest-database"];
        task.databases.push_back(DatabaseItem {2, table.database, {table}});
    }

    InitMySqlLibrary();
    BenchRunContext context(task, std::filesystem::path(options["--out"]) / "data");
    const auto start = std::chrono::steady_clock::now();
    const RunOutcome outcome = mode == "export" ? RunExportTables(context, MakeMariaDbConnector())
                                                : RunServerCopy(context, MakeMariaDbConnector());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EndMySqlThread();

    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("seconds=%.3f maxrss_kb=%ld outcome=%s\n", seconds, usage.ru_maxrss,
        outcome == RunOutcome::Finished ? "finished" : "failed");
    return outcome == RunOutcome::Finished ? 0 : 1;
}
