#include "tests/support/RoundTripRestore.h"

#include "engines/restore/RestoreRun.h"
#include "mysql/MySqlLibrary.h"
#include "mysql/OpenConnection.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/ServerSession.h"

#include <fstream>

namespace kelvanto::test
{

Task MakeRestoreTask(const TestServerAddress& target, const std::vector<std::string>& files, RestoreOptions options)
{
    Task task;
    task.name = "Restore round trip";
    task.type = TaskType::RestoreFromFiles;
    task.destination = SettingsFor(target);
    task.restoreOptions = options;
    for (const auto& file : files) {
        RestoreFile entry;
        entry.fileName = std::filesystem::path(file).filename().string();
        entry.path = file;
        task.restoreFiles.push_back(entry);
    }
    return task;
}

EngineDump RunRestoreEngine(const Task& task)
{
    return RunRestoreEngine(task, MakeMariaDbConnector());
}

EngineDump RunRestoreEngine(const Task& task, const Connector& connector)
{
    InitMySqlLibrary();
    FakeRunContext context(task);
    EngineDump result;
    result.outcome = RunRestoreFromFiles(context, connector);
    result.log = context.LogLines();
    result.progress = context.ProgressReports();
    if (!context.Registered().empty())
        ADD_FAILURE() << "the restore left its connection registered";
    return result;
}

std::string WriteUseDatabaseFile(const std::filesystem::path& folder, const std::string& database)
{
    const auto path = folder / "use-database.sql";
    std::ofstream(path, std::ios::binary)
        << "CREATE DATABASE " << QuoteName(database) << ";\nUSE " << QuoteName(database) << ";\n";
    return path.string();
}

std::string InsertedValues(const TestServerAddress& server, const std::string& database)
{
    std::string output;
    if (RunMariadbClient(server,
            "SELECT COALESCE(GROUP_CONCAT(v ORDER BY n SEPARATOR ' '), '') FROM " + QuoteName(database) + ".t;",
            &output, "--skip-column-names")
        != 0)
        return "<none>";
    return output.substr(0, output.find('\n'));
}

} // namespace kelvanto::test
