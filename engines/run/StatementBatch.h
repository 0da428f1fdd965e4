#pragma once

#include "schedule/RunContext.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvanto
{

class RunConnection;

// Groups the statements that a restore or a script sends into transactions of `commitEvery`
// statements (0: every statement commits on its own, as the server does by itself, and
// nothing is added). A batch begins with "SET autocommit=0" (not START TRANSACTION, which
// would release the locks of a dump's LOCK TABLES) and ends with "COMMIT" after
// `commitEvery` statements, at the end of a file (Commit), and before any statement that
// commits by itself (DDL, LOCK/UNLOCK TABLES, SET autocommit, a transaction of the file's
// own). While the file runs a transaction of its own (START TRANSACTION, BEGIN or SET
// autocommit=0, up to its COMMIT or ROLLBACK), its statements pass through unbatched.
//
// A batch whose statement meets a deadlock or a lock wait time-out (1213, 1205) is rolled
// back and sent again once from its start; for that the batch keeps its statements, so a
// batch also ends once they take kMaxKeptBytes. The engine decides what a failure means:
// it goes on (the failed statement is left out, the batch goes on) or calls RollBack.
class StatementBatch
{
public:
    struct Hooks
    {
        // Sends one statement; true when the server accepted it.
        std::function<bool(std::string_view)> execute;
        // The server's error number for the last statement that failed.
        std::function<unsigned()> errorNumber;
        std::function<void(LogLevel, const std::string&)> log;
        // Of the tables written by an undone batch ("db.table", or "table" in the current
        // database), those whose engine cannot roll back (MyISAM, Aria), as "db.table".
        std::function<std::vector<std::string>(const std::vector<std::string>&)> cannotRollBack;
    };

    static constexpr std::size_t kMaxKeptBytes = 16 * 1024 * 1024;

    StatementBatch(std::int32_t commitEvery, Hooks hooks);

    // Sends one statement (as StatementToSend gives it); `number` names it in the log line of
    // a rollback. True when it was executed.
    bool Send(std::string_view statement, std::size_t number);
    // Commits the open batch (end of a file or of the script); false when the COMMIT failed.
    bool Commit();
    // Rolls the open batch back and writes which statements were undone (a failure that ends
    // the run, or a stop), then, in a Warning line, the tables it wrote whose engine cannot
    // roll back and so keep their changes.
    void RollBack();

private:
    struct Kept
    {
        std::string statement;
        std::size_t number;
    };

    bool Batching() const { return m_commitEvery > 0; }
    bool SendInBatch(std::string_view statement, std::size_t number);
    bool Retry(std::string_view statement);
    void EndBatch();

    std::int32_t m_commitEvery;
    Hooks m_hooks;
    std::vector<Kept> m_kept;
    std::vector<std::string> m_tables; // written by the open batch, in order, each once
    std::size_t m_keptBytes = 0;
    bool m_open = false; // a batch of this object's own is open
    bool m_autocommitOff = false; // known to be off on the session
    bool m_fileTransaction = false; // the file runs a transaction of its own
};

// The hooks of an engine's run: statements go over its connection, lines to its log.
StatementBatch::Hooks BatchHooks(RunContext& context, RunConnection& connection);

} // namespace kelvanto
