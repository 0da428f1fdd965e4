#include "engines/script/ScriptRun.h"

#include "engines/run/RunConnection.h"
#include "engines/run/StatementBatch.h"
#include "engines/run/WatchedConnection.h"

#include <string>
#include <utility>
#include <vector>

namespace kelvanto
{

namespace
{

class ScriptRun
{
public:
    ScriptRun(RunContext& context, const Connector& connector)
        : m_context(context)
        , m_connector(connector)
        , m_connection(context)
    { }

    RunOutcome Run()
    {
        if (Quit())
            return RunOutcome::Cancelled;
        const Task task = m_context.TaskCopy();
        const std::vector<std::string>& statements = task.sqlStatements;
        if (statements.empty()) {
            m_context.Log(LogLevel::Error, "There are not any SQL statements in the queue!");
            return RunOutcome::Failed;
        }
        if (!m_connection.Open(m_connector, task.source, "source"))
            return m_connection.OpenOutcome();
        if (Quit())
            return RunOutcome::Cancelled;
        m_connection.LogConnected();
        // A stored statement may hold several, as a DELIMITER block of the script gave it to
        // the stock client, which sends such a text as it is.
        m_connection.SetMultiStatements(true);
        if (Quit())
            return RunOutcome::Cancelled;

        m_context.Log(
            LogLevel::General, "Executing MySQL script: " + std::to_string(statements.size()) + " statements");
        StatementBatch batch(task.extras.commitEvery, BatchHooks(m_context, m_connection));
        std::size_t executed = 0;
        // "statement N of M": reported before each statement is sent, so that a long one
        // shows while it runs; the runner passes a few reports a second on.
        RunProgress progress;
        progress.counting = RunProgress::Counting::Statements;
        progress.statementsTotal = statements.size();
        // A stop undoes the open batch.
        auto cancelled = [&batch] {
            batch.RollBack();
            return RunOutcome::Cancelled;
        };
        for (std::size_t i = 0; i < statements.size(); ++i) {
            if (Quit())
                return cancelled();
            if (statements[i].empty())
                continue;
            progress.statementsDone = i;
            m_context.ReportProgress(progress);
            const std::string_view sent = StatementToSend(statements[i]);
            if (!batch.Send(sent, i + 1)) {
                // A statement broken off by a stop failed because of the stop, not on its merits.
                if (Quit())
                    return cancelled();
                m_context.Log(LogLevel::Error,
                    LineWithCause("Failed to execute the SQL statement! NO. " + std::to_string(i + 1) + " : ", sent,
                        m_connection.ErrorCause()));
                continue;
            }
            ++executed;
            if (Quit())
                return cancelled();
        }
        if (!batch.Commit())
            m_context.Log(LogLevel::Error, "Failed to execute the SQL statement! COMMIT");
        m_context.Log(LogLevel::General, "Executed: " + std::to_string(executed) + " statements");
        m_connection.Close();
        m_context.Log(LogLevel::General, "Finished");
        return RunOutcome::Finished;
    }

private:
    bool Quit() { return m_context.QuitRequested(); }

    RunContext& m_context;
    const Connector& m_connector;
    RunConnection m_connection;
};

} // namespace

RunOutcome RunExecuteScript(RunContext& context, const Connector& connector)
{
    const Connector watched = WatchConnections(context, connector);
    ScriptRun run(context, watched);
    return run.Run();
}

Engine MakeExecuteScriptEngine(Connector connector)
{
    Engine engine;
    engine.run
        = [connector = std::move(connector)](RunContext& context) { return RunExecuteScript(context, connector); };
    return engine;
}

} // namespace kelvanto
