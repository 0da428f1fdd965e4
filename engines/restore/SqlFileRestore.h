#pragma once

#include "engines/io/SqlFileReader.h"
#include "engines/run/RunConnection.h"
#include "engines/run/StatementBatch.h"
#include "engines/sql/SqlSplitter.h"
#include "model/Task.h"
#include "schedule/RunContext.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelvanto
{

// Replays SQL files over one open connection of a restore run as the stock mariadb client
// would (see ClientSqlReader): each file read through a buffer, every statement and client
// command carried out as soon as it is complete, the statements grouped into transactions of
// `commitEvery` (see StatementBatch).
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
    // USE, CREATE, DROP, and the client's use and charset commands), up to its first
    // statement of another kind, and counts them in `count`: a table's definition without its
    // rows.
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
    // Carries out a statement or client command; false when the server refused it.
    bool Execute(const SqlFileReader::Item& item, std::size_t number);
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
