#pragma once

#include "engines/copy/ServerCopyMember.h"
#include "engines/copy/ServerCopySwitches.h"
#include "engines/sql/MultiRowStatement.h"
#include "model/Task.h"
#include "mysql/Connection.h"
#include "schedule/RunContext.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvanto
{

// The rows of one table of a copy: streamed from the source with one unbuffered SELECT and
// sent to the destination as single-row or multi-row INSERT (or REPLACE) statements, between
// the DISABLE KEYS, LOCK TABLES and AUTOCOMMIT statements that the options ask for. Once the
// destination's statements were opened, the closing ones (UNLOCK TABLES, ENABLE KEYS, COMMIT)
// follow however the rows ended, so that a failed table leaves no lock or open transaction
// behind for the tables after it.
class ServerCopyRecords
{
public:
    // `statementLimit`: the longest statement the destination takes, when it is known.
    // `maxInsertBytes`: 0 for ten rows per multi-row statement, else the longest statement that
    // the user wants sent (the rows that fit, however many), never above `statementLimit`.
    ServerCopyRecords(RunContext& context, Connection& source, Connection& destination, const BackupSettings& settings,
        const ServerCopySwitches& switches, const ServerCopyMember& member, std::optional<std::size_t> statementLimit,
        std::int64_t maxInsertBytes);

    // Copies the rows of table `name` (`quoted` as statements carry it). Failures are logged
    // and end the rows; the source's read lock, when `sourceLocked`, is released with the other
    // closing statements. `progress` names the table and holds the server's row estimate; the
    // rows done are reported as they are sent. Returns false only on a stop request.
    bool Copy(const std::string& name, const std::string& quoted, bool& sourceLocked, RunProgress progress);

private:
    // Sends one INSERT of `rows` rows without waiting for its answer: the source is read and the
    // next statement rendered while the destination runs it. The answer to the statement sent
    // before is collected first. A statement longer than the destination takes is not sent (the
    // server would drop the connection, and with it the rest of the run) and counts as refused.
    // False, with the line of the refused statement in m_failure, when this one cannot be sent
    // or the one before was refused.
    bool Send(std::string_view statement, std::uint64_t rows, const std::string& failureLine);
    // The answer to the statement sent last, if any; false (m_failure set) when it was refused.
    bool Collect();
    // Logs a failure line unless a stop was requested; false on a stop request.
    bool Failed(const std::string& line);
    void Close(const std::string& quoted, bool& sourceLocked);

    RunContext& m_context;
    Connection& m_source;
    Connection& m_destination;
    const BackupSettings& m_settings;
    const ServerCopySwitches& m_switches;
    const ServerCopyMember& m_member;
    std::optional<std::size_t> m_statementLimit;
    std::int64_t m_maxInsertBytes;
    BackupSettings m_insertSettings; // the settings with the destination's column quoting
    MultiRowStatement m_statement; // reused for every statement of the run
    bool m_awaiting = false; // a statement was sent and its answer not yet read
    std::uint64_t m_awaitingRows = 0;
    std::string m_awaitingFailure; // its failure line
    std::uint64_t m_rowsAccepted = 0;
    std::string m_failure; // the first failure of the table's rows
    std::size_t m_oversized = 0; // the size of the last statement that was too long to send
};

} // namespace kelvanto
