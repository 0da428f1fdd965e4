#pragma once

#include "engines/copy/ServerCopyMember.h"
#include "engines/copy/ServerCopyRecords.h"
#include "engines/copy/ServerCopySwitches.h"
#include "model/Task.h"
#include "mysql/Connection.h"
#include "schedule/RunContext.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kelvanto
{

// What the caller does after a step of a copy: go on, or leave the run because of a stop request.
enum class CopyFlow : std::uint8_t {
    Next,
    Cancelled,
};

// The tables and views of one database of a copy, one at a time: structure (a view first as a
// table with its columns), rows, and at the end of the database the views themselves. A table
// whose source was read-locked is unlocked when its copy ends, however it ends.
class ServerCopyTable
{
public:
    ServerCopyTable(RunContext& context, Connection& source, Connection& destination, const BackupSettings& settings,
        const ServerCopySwitches& switches, const ServerCopyMember& member, std::optional<std::size_t> statementLimit,
        std::int64_t maxInsertBytes);

    // The sequences of the database whose objects come next, copied as sequences.
    void StartDatabase(std::set<std::string> sequences) { m_sequences = std::move(sequences); }
    // Copies one selected table or view of `database` (selected on both connections).
    CopyFlow Copy(const std::string& database, const TableItem& item);
    // Replaces the placeholder tables of the database's views by the views, in the order the
    // views were met, and forgets them. `create` sends a view's CREATE ("view db.name" for the
    // log) and tells whether the destination took it; a view that `refused` turns down (it
    // logs why) only loses its placeholder.
    using ViewStep = std::function<bool(const std::string& create, const std::string& what)>;
    void CreateDeferredViews(const std::string& database, const ViewStep& create, const ViewStep& refused);

private:
    CopyFlow CopySteps(const std::string& database, const TableItem& item);
    // The placeholder of a view on the destination, and the view kept for later; false when
    // the object's copy ends here (the failure is logged).
    bool CopyViewStructure(const std::string& database, const std::string& name, const std::string& quoted);
    // A sequence as a sequence, with its state.
    CopyFlow CopySequence(const std::string& database, const std::string& name, const std::string& quoted);
    bool Quit() { return m_context.QuitRequested(); }
    // Logs a failure line unless a stop was requested (a cancelled connection fails every
    // call; the stop is what happened then, not the failure).
    CopyFlow Failed(const std::string& line);

    RunContext& m_context;
    Connection& m_source;
    Connection& m_destination;
    const BackupSettings& m_settings;
    const ServerCopySwitches& m_switches;
    const ServerCopyMember& m_member;
    ServerCopyRecords m_records;
    bool m_sourceLocked = false;
    std::vector<std::pair<std::string, std::string>> m_deferredViews; // name, CREATE VIEW text
    std::set<std::string> m_sequences;
};

} // namespace kelvanto
