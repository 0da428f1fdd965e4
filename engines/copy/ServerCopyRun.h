#pragma once

#include "engines/copy/ServerCopyMember.h"
#include "engines/copy/ServerCopyObjects.h"
#include "engines/copy/ServerCopySwitches.h"
#include "engines/copy/ServerCopyTable.h"
#include "model/Task.h"
#include "model/TimeStamp.h"
#include "mysql/Connection.h"
#include "schedule/RunContext.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kelvanto
{

// One run of a copy from one server to another ("Backup to the other server", "Backup to the
// other database", "Restore from the other server", "Restore from the other database"):
// connects to both servers, opens the destination session, walks the chosen databases, tables
// and views, and closes the session again. Both connections are registered with the runner
// while they are open, so that a stop during a long statement on either side is released.
// Lives for one run on the task's worker thread.
class ServerCopyRun
{
public:
    ServerCopyRun(RunContext& context, const Connector& connector);
    ServerCopyRun(const ServerCopyRun&) = delete;
    ServerCopyRun& operator=(const ServerCopyRun&) = delete;

    RunOutcome Run();

private:
    bool Quit() { return m_context.QuitRequested(); }
    void LogInfo(const std::string& text) { m_context.Log(LogLevel::General, text); }
    void LogError(const std::string& text) { m_context.Log(LogLevel::Error, text); }

    // Logs a failure line unless a stop was requested (a cancelled connection fails every call).
    CopyFlow Failed(const std::string& line);
    RunOutcome RunSteps();
    // Opens one side; `which` is "source" or "destination". False (logged) when refused.
    bool Connect(const ServerConnection& settings, const char* which, std::unique_ptr<Connection>& connection,
        std::optional<CancellableRegistration>& registration);
    // What the run needs to know of the destination before anything is sent to it.
    void LearnDestination();
    void CloseConnections();
    void SendToDestination(const std::vector<std::string>& statements);
    CopyFlow CopyDatabase(const DatabaseItem& database);
    std::string DestinationDatabase(const std::string& sourceDatabase) const;

    RunContext& m_context;
    const Connector& m_connector;
    Task m_task;
    BackupSettings m_settings;
    ServerCopyMember m_member;
    TimeStamp m_runTime;

    // Declared before their registrations so that the registrations end first.
    std::unique_ptr<Connection> m_source;
    std::unique_ptr<Connection> m_destination;
    std::optional<CancellableRegistration> m_sourceRegistration;
    std::optional<CancellableRegistration> m_destinationRegistration;
    bool m_connectStopped = false; // a stop ended a connection attempt
    ServerCopySwitches m_switches;
    std::optional<std::size_t> m_statementLimit; // the longest statement the destination takes
    bool m_sameServer = false; // both connections reach one and the same server
    std::optional<ServerCopyTable> m_tables; // made once both connections stand
    std::optional<ServerCopyObjects> m_objects; // made once both connections stand
};

} // namespace kelvanto
