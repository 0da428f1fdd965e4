#pragma once

// One task of every engine type whose first connection goes to a server that stalls (a
// socket that never greets, or a proxy that freezes), for the tests that such a run ends in
// time, failed, and that a stop ends it at once. The other side of a copy is a real server.

#include "engines/backup/BackupToFiles.h"
#include "engines/copy/ServerCopy.h"
#include "engines/export/ExportTables.h"
#include "engines/restore/RestoreRun.h"
#include "engines/script/ScriptRun.h"
#include "mysql/MySqlLibrary.h"
#include "mysql/OpenConnection.h"
#include "schedule/RunResult.h"
#include "tests/support/FakeRunContext.h"
#include "tests/support/FileText.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/RoundTripEngine.h"
#include "tests/support/RoundTripRestore.h"
#include "tests/support/ServerSession.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace kelvanto::test
{

struct StalledEngine
{
    const char* name;
    TaskType type;
    // The head of the line that a failed connection attempt writes.
    const char* connectFailure;
    // The start of a line after which the run's next call goes to the stalled connection.
    const char* stallAfter;
};

inline const std::vector<StalledEngine>& StalledEngineRows()
{
    static const std::vector<StalledEngine> rows = {
        {"backup to files", TaskType::BackupToFiles, "Failed to connect to the MySQL server!",
            "Backing up the selected databases and tables..."},
        {"copy to another server", TaskType::BackupToServer, "Failed to connect to the source MySQL server!",
            "Successfully connected to the destination MySQL server!"},
        {"copy to another database", TaskType::BackupToDatabase, "Failed to connect to the source MySQL server!",
            "Successfully connected to the destination MySQL server!"},
        {"export", TaskType::ExportTables, "Failed to connect to the MySQL server!", "Exporting 1 selected tables"},
        {"script", TaskType::ExecuteScript, "Failed to connect to the MySQL server!", "Executing MySQL script"},
        {"restore", TaskType::RestoreFromFiles, "Failed to connect to the MySQL server!",
            "Restoring MySQL databases from SQL files"},
    };
    return rows;
}

// The run's result as the runner decides it.
inline RunResult ResultOf(RunOutcome outcome, const FakeRunContext& context)
{
    return DecideRunResult(outcome, context.ErrorLines(), context.ConnectionLost());
}

// A database with a table t of three rows on server 1 (and dropped on server 2 as well, where
// a copy puts it), a folder for the files, and the tasks of every row.
class StalledEngines : public ::testing::Test
{
public:
    // Runs the row's engine on the context with the real connector.
    static RunOutcome Run(const StalledEngine& row, RunContext& context)
    {
        const Connector connector = MakeMariaDbConnector();
        switch (row.type) {
        case TaskType::BackupToFiles:
            return RunBackupToFiles(context, connector);
        case TaskType::BackupToServer:
        case TaskType::BackupToDatabase:
            return RunServerCopy(context, connector);
        case TaskType::ExportTables:
            return RunExportTables(context, connector);
        case TaskType::ExecuteScript:
            return RunExecuteScript(context, connector);
        default:
            return RunRestoreFromFiles(context, connector);
        }
    }

protected:
    static void SetUpTestSuite() { InitMySqlLibrary(); }

    // Declares the servers and makes the database; false (the test failed or skipped) without them.
    bool Prepare(const TestServerAddress& first, const TestServerAddress& second)
    {
        m_server = first;
        m_other = second;
        m_database = std::make_unique<RoundTripDatabase>("kv_stall", std::vector {first, second});
        m_copy = m_database->Derived("_c");
        std::string output;
        const bool made
            = RunMariadbClient(first,
                  "CREATE DATABASE " + QuoteName(m_database->name()) + ";\nCREATE TABLE "
                      + QuoteName(m_database->name()) + ".t (id INT PRIMARY KEY, v VARCHAR(10));\nINSERT INTO "
                      + QuoteName(m_database->name()) + ".t VALUES (1,'a'),(2,'b'),(3,'c');\n",
                  &output)
            == 0;
        EXPECT_TRUE(made) << output;
        return made;
    }

    const std::string& database() const { return m_database->name(); }

    // The row's task, its stalled side at 127.0.0.1:`port` with the test server's login.
    Task TaskFor(const StalledEngine& row, int port) const
    {
        TestServerAddress stalled = m_server;
        stalled.host = "127.0.0.1";
        stalled.port = port;
        const std::vector<TableItem> tables = ListObjectsForTask(m_server, database());
        Task task;
        switch (row.type) {
        case TaskType::BackupToFiles:
            task = MakeDumpTask(stalled, database(), tables, m_dir.path() / "backups", 1, false);
            break;
        case TaskType::BackupToServer:
            task = MakeCopyTask(row.type, stalled, m_other, {DatabaseItem {2, database(), tables}});
            break;
        case TaskType::BackupToDatabase:
            task = MakeCopyTask(row.type, stalled, m_server, {DatabaseItem {2, database(), tables}});
            task.backupSettings.destDatabaseName = m_copy;
            break;
        case TaskType::ExportTables:
            task.type = row.type;
            task.source = SettingsFor(stalled);
            task.exportSettings.fileType = 2;
            task.exportSettings.directory = (m_dir.path() / "exports").string();
            task.exportTables = tables;
            break;
        case TaskType::ExecuteScript:
            task.type = row.type;
            task.source = SettingsFor(stalled);
            task.sqlStatements = {"SELECT COUNT(*) FROM " + QuoteName(database()) + ".t", "SELECT 1"};
            break;
        default: {
            const std::filesystem::path file = m_dir.path() / "restore.sql";
            WriteText(file, "INSERT INTO " + QuoteName(database()) + ".t VALUES (10,'r');\nSELECT 1;\n");
            task = MakeRestoreTask(stalled, {file.string()});
            break;
        }
        }
        task.name = row.name;
        return task;
    }

    std::filesystem::path folder() const { return m_dir.path(); }

private:
    TestServerAddress m_server;
    TestServerAddress m_other;
    std::unique_ptr<RoundTripDatabase> m_database;
    std::string m_copy;
    TempDir m_dir;
};

} // namespace kelvanto::test
