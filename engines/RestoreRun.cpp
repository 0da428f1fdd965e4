#include "engines/RestoreRun.h"

#include "engines/RestoreFileEntry.h"
#include "engines/RunConnection.h"
#include "engines/SqlFileReader.h"
#include "engines/StatementBatch.h"
#include "engines/WatchedConnection.h"
#include "model/SafeFolder.h"

#include <filesystem>
#include <memory>
#include <string>
#include <utility>

namespace kelvanto
{

namespace
{

class RestoreRun
{
public:
    RestoreRun(RunContext& context, const Connector& connector)
        : m_context(context)
        , m_connector(connector)
        , m_connection(context)
    { }

    RunOutcome Run()
    {
        if (Quit())
            return RunOutcome::Cancelled;
        const Task task = m_context.TaskCopy();
        m_options = task.restoreOptions;
        m_batch = std::make_unique<StatementBatch>(task.extras.commitEvery, BatchHooks(m_context, m_connection));
        if (task.restoreFiles.empty()) {
            m_context.Log(LogLevel::Error, "There are not any files in the restore queue!");
            return RunOutcome::Failed;
        }
        if (Quit())
            return RunOutcome::Cancelled;
        if (!m_connection.Open(m_connector, task.destination, "destination"))
            return RunOutcome::Failed;
        if (Quit())
            return RunOutcome::Cancelled;
        m_connection.LogConnected();
        m_statementLimit = m_connection.LongestStatement().value_or(SqlSplitter::kLargestLimit);
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
            const FileEnd end = Restore(file.path);
            if (end == FileEnd::Cancelled)
                return RunOutcome::Cancelled;
            if (end == FileEnd::FileError) {
                if (m_options.continueOnFileError != 0)
                    continue;
                stop = true;
                break;
            }
            if (Quit())
                return RunOutcome::Cancelled;
            if (end == FileEnd::StatementFailed) {
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
    enum class FileEnd : unsigned char {
        Done, // every statement was sent (failures allowed by the options included)
        StatementFailed, // a statement failed and the options end the run there
        FileError, // the file could not be opened or read
        Cancelled,
    };

    bool Quit() { return m_context.QuitRequested(); }

    FileEnd Restore(const std::string& path)
    {
        // A file still under its temporary name was never finished by the run that wrote it.
        if (IsPartialPath(path)) {
            m_context.Log(LogLevel::Error, IncompleteFileMessage(path));
            return FileEnd::FileError;
        }
        SqlFileReader reader;
        if (!reader.Open(path))
            return FileFailed(reader.ErrorCause());
        reader.SetLimit(m_statementLimit);
        if (Quit())
            return FileEnd::Cancelled;
        // The file by its name, the statements sent from it, and the share of its bytes read.
        RunProgress progress;
        progress.object = std::filesystem::path(path).filename().string();
        progress.counting = RunProgress::Counting::Statements;
        progress.bytesTotal = reader.Length();
        m_context.ReportProgress(progress);
        std::string statement;
        for (;;) {
            const SqlFileReader::Status status = reader.Next(statement);
            if (status == SqlFileReader::Status::End)
                return m_batch->Commit() ? FileEnd::Done : CommitFailed();
            if (status == SqlFileReader::Status::ReadError) {
                // What was sent before the file broke off stays, as it would without batches.
                m_batch->Commit();
                return FileFailed(reader.ErrorCause());
            }
            if (status == SqlFileReader::Status::TooLong) {
                m_batch->Commit();
                m_context.Log(LogLevel::Error,
                    "Failed to get a SQL statement from the SQL file! - a statement is longer than "
                        + std::to_string(reader.Limit()) + " bytes, the most the server takes (max_allowed_packet)");
                return FileEnd::FileError;
            }
            // The splitter gives no empty statement, so every one is sent.
            const std::string_view sent = StatementToSend(statement);
            const bool executed = m_batch->Send(sent, progress.statementsDone + 1);
            ++progress.statementsDone;
            progress.bytesDone = reader.BytesDone();
            m_context.ReportProgress(progress);
            if (!executed) {
                // A statement broken off by a stop failed because of the stop, not on its merits.
                if (Quit())
                    return Cancelled();
                m_context.Log(LogLevel::Error,
                    LineWithCause("Failed to execute the SQL statement: ", sent, m_connection.ErrorCause()));
                if (m_options.continueOnSqlError == 0) {
                    m_batch->RollBack();
                    return FileEnd::StatementFailed;
                }
                continue;
            }
            if (Quit())
                return Cancelled();
        }
    }

    // A stop undoes the open batch.
    FileEnd Cancelled()
    {
        m_batch->RollBack();
        return FileEnd::Cancelled;
    }

    FileEnd CommitFailed()
    {
        m_context.Log(LogLevel::Error, "Failed to execute the SQL statement: COMMIT");
        return m_options.continueOnSqlError == 0 ? FileEnd::StatementFailed : FileEnd::Done;
    }

    FileEnd FileFailed(const std::string& cause)
    {
        m_context.Log(LogLevel::Error, "Failed to get a SQL statement from the SQL file!" + cause);
        return FileEnd::FileError;
    }

    RunContext& m_context;
    const Connector& m_connector;
    RestoreOptions m_options;
    RunConnection m_connection;
    std::size_t m_statementLimit = SqlSplitter::kLargestLimit;
    std::unique_ptr<StatementBatch> m_batch;
};

} // namespace

RunOutcome RunRestoreFromFiles(RunContext& context, const Connector& connector)
{
    const Connector watched = WatchConnections(context, connector);
    RestoreRun run(context, watched);
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
