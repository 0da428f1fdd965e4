#include "engines/restore/ParallelRestore.h"

#include "engines/restore/RestoreWorkerContext.h"
#include "engines/restore/SqlFileRestore.h"
#include "engines/run/RunConnection.h"
#include "engines/run/WatchedConnection.h"
#include "mysql/MySqlLibrary.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kelvanto
{

namespace
{

class ParallelRestore
{
public:
    ParallelRestore(RunContext& context, const Connector& connector, const Task& task)
        : m_shared(context)
        , m_connector(connector)
        , m_task(task)
    { }

    RunOutcome Run(const ParallelRestorePlan& plan)
    {
        const std::size_t count
            = std::clamp<std::size_t>(static_cast<std::size_t>(std::max(m_task.extras.restoreThreads, 1)), 1,
                std::max<std::size_t>(plan.tables.size(), 1));
        for (std::size_t index = 0; index < count; ++index) {
            if (Quit())
                return RunOutcome::Cancelled;
            auto worker = std::make_unique<Worker>(m_shared, m_connector);
            if (!worker->connection.Open(worker->connector, m_task.destination, "destination"))
                return worker->connection.OpenOutcome();
            worker->connection.LogConnected();
            m_workers.push_back(std::move(worker));
        }
        if (Quit())
            return RunOutcome::Cancelled;
        const std::size_t limit = m_workers.front()->connection.LongestStatement().value_or(SqlSplitter::kLargestLimit);
        for (const std::unique_ptr<Worker>& worker : m_workers) {
            worker->restore.emplace(
                worker->context, worker->connection, m_task.restoreOptions, m_task.extras.commitEvery);
            worker->restore->SetStatementLimit(limit);
        }
        if (Quit())
            return RunOutcome::Cancelled;
        Log("Restoring MySQL databases from SQL files: " + std::to_string(m_task.restoreFiles.size()) + " files");
        Log("Restoring " + std::to_string(plan.tables.size()) + " files of tables over "
            + std::to_string(m_workers.size()) + " connections (their definitions first, over one), then "
            + std::to_string(plan.after.size()) + " files of routines, views and events over one");

        // The tables' definitions first, file after file on the first connection: a table created
        // while another connection holds LOCK TABLES on a table it refers to (a foreign key)
        // makes that connection's next INSERT fail, so no table is created while rows go in.
        const std::size_t files = plan.tables.size();
        std::vector<std::size_t> structure(files, 0);
        std::vector<char> skipped(files, 0);
        std::atomic<std::size_t> next {0};
        Replay(*m_workers.front(), plan.tables, next, false, [&](Worker& worker, std::size_t index) {
            const SqlFileRestore::End end = worker.restore->RestoreStructure(plan.tables[index].path, structure[index]);
            skipped[index] = end == SqlFileRestore::End::FileError;
            return end;
        });
        if (const std::optional<RunOutcome> end = Ended())
            return *end;
        // Then their rows (and triggers) over every connection.
        next = 0;
        const auto data = [&](Worker& worker, std::size_t index) {
            if (skipped[index])
                return SqlFileRestore::End::Done; // its failure is logged and allowed already
            return worker.restore->RestoreData(plan.tables[index].path, structure[index]);
        };
        {
            std::vector<std::jthread> threads;
            for (std::size_t index = 1; index < m_workers.size(); ++index) {
                threads.emplace_back([this, &plan, &next, &data, worker = m_workers[index].get()] {
                    Replay(*worker, plan.tables, next, true, data);
                    EndMySqlThread();
                });
            }
            Replay(*m_workers.front(), plan.tables, next, true, data);
        }
        if (const std::optional<RunOutcome> end = Ended())
            return *end;
        std::atomic<std::size_t> nextAfter {0};
        Replay(*m_workers.front(), plan.after, nextAfter, true,
            [&](Worker& worker, std::size_t index) { return worker.restore->Restore(plan.after[index].path); });
        if (const std::optional<RunOutcome> end = Ended())
            return *end;
        m_workers.clear();
        Log("Finished");
        return RunOutcome::Finished;
    }

private:
    struct Worker
    {
        Worker(RestoreWorkersShared& shared, const Connector& plain)
            : context(shared)
            , connector(WatchConnections(context, plain))
            , connection(context)
        { }

        RestoreWorkerContext context;
        Connector connector; // watched in this worker's context
        RunConnection connection;
        std::optional<SqlFileRestore> restore;
    };

    bool Quit() { return m_shared.inner.QuitRequested(); }
    void Log(const std::string& line) { m_shared.inner.Log(LogLevel::General, line); }

    // How the run ends once its workers are back: failed when one failed, cancelled on a stop
    // (or a lost connection); nothing while it goes on.
    std::optional<RunOutcome> Ended()
    {
        if (m_failed)
            return RunOutcome::Failed;
        if (Quit())
            return RunOutcome::Cancelled;
        return std::nullopt;
    }

    // Replays the files of `items` from `next` on with `step`, one at a time, until none is
    // left, a stop, or a failure that ends the run (which stops the other workers too). With
    // `announce`, each file begins with its "Restoring..." line.
    template <class Step>
    void Replay(Worker& worker, const std::vector<ParallelRestorePlan::Item>& items, std::atomic<std::size_t>& next,
        bool announce, const Step& step)
    {
        for (std::size_t index = next++; index < items.size(); index = next++) {
            if (worker.context.QuitRequested())
                return;
            const ParallelRestorePlan::Item& item = items[index];
            worker.context.SetFile({});
            if (announce)
                worker.context.Log(LogLevel::General, "Restoring...  " + item.path);
            worker.context.SetFile(std::filesystem::path(item.path).filename().string());
            // The file's own database (a database that does not exist yet is created and
            // selected by the file itself).
            worker.connection.SelectDatabase(item.database);
            const SqlFileRestore::End end = step(worker, index);
            worker.context.SetFile({});
            switch (end) {
            case SqlFileRestore::End::Done:
                break;
            case SqlFileRestore::End::FileError:
                if (m_task.restoreOptions.continueOnFileError != 0)
                    break;
                [[fallthrough]];
            case SqlFileRestore::End::StatementFailed:
                m_failed = true;
                worker.context.StopAll();
                return;
            case SqlFileRestore::End::Cancelled:
                return;
            }
        }
    }

    RestoreWorkersShared m_shared;
    const Connector& m_connector;
    const Task& m_task;
    std::vector<std::unique_ptr<Worker>> m_workers;
    std::atomic<bool> m_failed {false};
};

} // namespace

RunOutcome RunParallelRestore(
    RunContext& context, const Connector& connector, const Task& task, const ParallelRestorePlan& plan)
{
    ParallelRestore restore(context, connector, task);
    return restore.Run(plan);
}

} // namespace kelvanto
