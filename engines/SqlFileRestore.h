#pragma once

#include "engines/RunConnection.h"
#include "engines/SqlSplitter.h"
#include "engines/StatementBatch.h"
#include "model/Task.h"
#include "schedule/RunContext.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelvanto
{

// Replays SQL files over one open connection of a restore run: each file read through a
// buffer and cut into statements as it is read, every statement sent as soon as it is
// complete, grouped into transactions of `commitEvery` statements (see StatementBatch).
// Writes the failure lines of the file; the caller writes the line that starts it.
class SqlFileRestore
{
public:
    enum class End : unsigned char {
        Done, // every statement was sent (failures allowed by the options included)
        StatementFailed, // a statement failed and the options end the run there
        FileError, // the file could not be opened or read
        Cancelled,
    };

    SqlFileRestore(
        RunContext& context, RunConnection& connection, const RestoreOptions& options, std::int32_t commitEvery);

    // The longest statement the server takes (RunConnection::LongestStatement).
    void SetStatementLimit(std::size_t limit) { m_statementLimit = limit; }
    // Replays the whole file.
    End Restore(const std::string& path);
    // Replays the file's leading statements that set up the session and define objects (SET,
    // USE, CREATE, DROP), up to its first statement of another kind, and counts them in
    // `count`: a table's definition without its rows.
    End RestoreStructure(const std::string& path, std::size_t& count);
    // Replays the file after RestoreStructure: of its first `structure` statements only those
    // that set up the session (SET, USE) again, then all the others.
    End RestoreData(const std::string& path, std::size_t structure);

private:
    enum class Part : unsigned char {
        Whole,
        Structure,
        Data,
    };

    End Replay(const std::string& path, Part part, std::size_t& structure);
    bool Quit() { return m_context.QuitRequested(); }
    // A stop undoes the open batch.
    End Cancelled();
    End CommitFailed();
    End FileFailed(const std::string& cause);

    RunContext& m_context;
    RunConnection& m_connection;
    RestoreOptions m_options;
    std::size_t m_statementLimit = SqlSplitter::kLargestLimit;
    StatementBatch m_batch;
};

} // namespace kelvanto
