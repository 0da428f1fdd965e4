#include "engines/restore/RestoreRun.h"

#include "engines/restore/ParallelRestore.h"
#include "engines/restore/ParallelRestorePlan.h"
#include "engines/restore/SqlFileRestore.h"
#include "engines/run/RunConnection.h"
#include "engines/run/WatchedConnection.h"

#include <optional>
#include <string>
#include <utility>

namespace kelvanto
{

namespace
{

class RestoreRun
{
public:
    // `connector` opens plain connections: each connection is watched in the context that
    // uses it.
    RestoreRun(RunContext& context, const Connector& connector)
        : m_context(context)
        , m_connector(connector)
        , m_watched(WatchConnections(context, connector))
        , m_connection(context)
    { }

    RunOutcome Run()
    {
        if (Quit())
            return RunOutcome::Cancelled;
        const Task task = m_context.TaskCopy();
        const RestoreOptions options = task.restoreOptions;
        if (task.restoreFiles.empty()) {
            m_context.Log(LogLevel::Error, "There are not any files in the restore queue!");
            return RunOutcome::Failed;
        }
        if (Quit())
            return RunOutcome::Cancelled;
        if (task.extras.restoreThreads > 1) {
            const ParallelRestoreChoice choice
                = PlanParallelRestore(task.restoreFiles, task.extras.restoreThreads, [this] { return Quit(); });
            if (Quit())
                return RunOutcome::Cancelled;
            if (choice.plan)
                return RunParallelRestore(m_context, m_connector, task, *choice.plan);
            if (!choice.reason.empty())
                m_context.Log(choice.level, choice.reason);
        }
        if (!m_connection.Open(m_watched, task.destination, "destination"))
            return m_connection.OpenOutcome();
        if (Quit())
            return RunOutcome::Cancelled;
        m_connection.LogConnected();
        SqlFileRestore restore(m_context, m_connection, options, task.extras.commitEvery);
        restore.SetStatementLimit(m_connection.LongestStatement().value_or(SqlSplitter::kLargestLimit));
        if (Quit())
            return RunOutcome::Cancelled;
        m_context.Log(LogLevel::General,
            "Restoring MySQL databases from SQL files: " + std::to_string(task.restoreFiles.size()) + " files");

        bool stop = false;
        for (const RestoreFile& file : task.restoreFiles) {
            if (Quit())
                return RunOutcome::Cancelled;
            if (file.checkState != 0)
                continue;
            m_context.Log(LogLevel::General, "Restoring...  " + file.path);
            const SqlFileRestore::End end = restore.Restore(file.path);
            if (end == SqlFileRestore::End::Cancelled)
                return RunOutcome::Cancelled;
            if (end == SqlFileRestore::End::FileError) {
                if (options.continueOnFileError != 0)
                    continue;
                stop = true;
                break;
            }
            if (Quit())
                return RunOutcome::Cancelled;
            if (end == SqlFileRestore::End::StatementFailed) {
                stop = true;
                break;
            }
        }
        m_connection.Close();
        if (stop)
            return RunOutcome::Failed;
        m_context.Log(LogLevel::General, "Finished");
        return RunOutcome::Finished;
    }

private:
    bool Quit() { return m_context.QuitRequested(); }

    RunContext& m_context;
    const Connector& m_connector;
    const Connector m_watched;
    RunConnection m_connection;
};

} // namespace

RunOutcome RunRestoreFromFiles(RunContext& context, const Connector& connector)
{
    RestoreRun run(context, connector);
    return run.Run();
}

Engine MakeRestoreFromFilesEngine(Connector connector)
{
    Engine engine;
    engine.run
        = [connector = std::move(connector)](RunContext& context) { return RunRestoreFromFiles(context, connector); };
    return engine;
}

} // namespace kelvanto
