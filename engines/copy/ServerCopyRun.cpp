#include "engines/copy/ServerCopyRun.h"

#include "engines/backup/BackupNaming.h"
#include "engines/run/RunConnection.h"
#include "engines/run/SnapshotSession.h"
#include "engines/run/WatchedConnection.h"
#include "engines/sql/CreateDatabase.h"
#include "engines/sql/MultiRowStatement.h"
#include "engines/sql/SequenceDump.h"
#include "engines/sql/WorkingList.h"
#include "mysql/ServerIdentity.h"
#include "mysql/ServerProbes.h"

#include <variant>

namespace kelvanto
{

ServerCopyRun::ServerCopyRun(RunContext& context, const Connector& connector)
    : m_context(context)
    , m_connector(connector)
    , m_task(context.TaskCopy())
    , m_settings(m_task.backupSettings)
    , m_member(ServerCopyMember::ForType(m_task.type))
{ }

RunOutcome ServerCopyRun::Run()
{
    const RunOutcome outcome = RunSteps();
    CloseConnections();
    return outcome;
}

void ServerCopyRun::CloseConnections()
{
    m_objects.reset();
    m_tables.reset();
    m_sourceRegistration.reset();
    m_destinationRegistration.reset();
    m_source.reset();
    m_destination.reset();
}

bool ServerCopyRun::Connect(const ServerConnection& settings, const char* which,
    std::unique_ptr<Connection>& connection, std::optional<CancellableRegistration>& registration)
{
    OpenedConnection opened = OpenRunConnection(
        m_context, m_connector, settings, which, std::string("Failed to connect to the ") + which + " MySQL server!");
    m_connectStopped = opened.stopped;
    connection = std::move(opened.connection);
    if (!connection)
        return false;
    registration.emplace(m_context, *connection);
    LogInfo(std::string("Successfully connected to the ") + which
        + " MySQL server!  MySQL version: " + connection->ServerInfo());
    return true;
}

void ServerCopyRun::LearnDestination()
{
    // Asked from inside both sessions, whatever names and addresses the task uses.
    const std::optional<bool> same = SameServer(*m_source, *m_destination);
    m_sameServer
        = same ? *same : m_task.source.host == m_task.destination.host && m_task.source.port == m_task.destination.port;
    if (auto packet = QueryNumber(*m_destination, "SELECT @@max_allowed_packet"))
        m_statementLimit = MultiRowStatement::LongestStatementFor(*packet);
}

void ServerCopyRun::SendToDestination(const std::vector<std::string>& statements)
{
    for (const std::string& statement : statements)
        m_destination->Query(statement);
}

RunOutcome ServerCopyRun::RunSteps()
{
    if (Quit())
        return RunOutcome::Cancelled;
    if (m_task.databases.empty()) {
        LogError(m_member.EmptySelectionLine());
        return RunOutcome::Failed;
    }
    m_runTime = m_context.Now();

    if (!Connect(m_task.source, "source", m_source, m_sourceRegistration))
        return m_connectStopped ? RunOutcome::Cancelled : RunOutcome::Failed;
    // TIMESTAMP values travel in the session's time zone: UTC on both sides keeps their instant.
    if (ServerFeatures::ForVersion(m_source->ServerVersion()).utcSession)
        m_source->Query("SET TIME_ZONE='+00:00'");
    if (Quit())
        return RunOutcome::Cancelled;

    if (!Connect(m_task.destination, "destination", m_destination, m_destinationRegistration))
        return m_connectStopped ? RunOutcome::Cancelled : RunOutcome::Failed;
    LearnDestination();
    m_switches = ServerCopySwitches::Derive(m_settings, m_source->ServerVersion(), m_destination->ServerVersion());
    if (m_switches.destination.utcSession)
        m_destination->Query("SET TIME_ZONE='+00:00'");
    m_tables.emplace(m_context, *m_source, *m_destination, m_settings, m_switches, m_member, m_statementLimit,
        m_task.extras.maxInsertBytes);
    m_objects.emplace(m_context, *m_source, *m_destination, m_task.extras, m_member);
    if (Quit())
        return RunOutcome::Cancelled;

    if (m_settings.setConnectionCharset == 1)
        m_switches.session.serverCharset = NegotiateCharset(*m_source, false);
    if (Quit())
        return RunOutcome::Cancelled;
    LogInfo(m_member.StartLine());

    SendToDestination(PrologueStatements(m_switches.session));

    if (Quit())
        return RunOutcome::Cancelled;
    if (m_settings.flushLogs == 1)
        m_source->Query("FLUSH LOGS");
    // A restore copies back what the task chose, never what else the other server holds.
    if (m_member.restore) {
        m_settings.allNewDatabases = 0;
        m_settings.allNewTables = 0;
    }
    std::string listError;
    const std::vector<DatabaseItem> databases = BuildWorkingList(*m_source, m_task.databases, m_settings, listError);
    if (!listError.empty())
        LogError("Failed to list the databases of the MySQL server! - " + listError);
    if (Quit())
        return RunOutcome::Cancelled;
    // FLUSH LOGS went before: it would end the snapshot's transaction.
    if (m_task.extras.consistentSnapshot && !StartRunSnapshot(m_context, *m_source, m_settings, databases))
        return RunOutcome::Failed;

    for (const DatabaseItem& database : databases) {
        if (database.checkState == 0)
            continue;
        if (CopyDatabase(database) == CopyFlow::Cancelled)
            return RunOutcome::Cancelled;
    }

    // A stop that broke the last statements is a stop, not a finished copy.
    if (Quit())
        return RunOutcome::Cancelled;
    SendToDestination(EpilogueStatements(m_switches.session));
    CloseConnections();
    LogInfo("Finished");
    return RunOutcome::Finished;
}

std::string ServerCopyRun::DestinationDatabase(const std::string& sourceDatabase) const
{
    if (!m_member.databaseVariant)
        return sourceDatabase;
    if (m_settings.addCreateDatabase == 1 && m_settings.createDatabase == 1) {
        return ExpandDestinationDatabaseName(
            m_settings.destDatabaseName, m_task.name, m_task.source.host, sourceDatabase, m_runTime);
    }
    return m_settings.destDatabaseName;
}

CopyFlow ServerCopyRun::Failed(const std::string& line)
{
    if (Quit())
        return CopyFlow::Cancelled;
    LogError(line);
    return CopyFlow::Next;
}

CopyFlow ServerCopyRun::CopyDatabase(const DatabaseItem& database)
{
    const std::string& name = database.name;
    LogInfo(m_member.DatabaseLine(name));
    if (Quit())
        return CopyFlow::Cancelled;

    const std::string destination = DestinationDatabase(name);
    // DROP TABLE on the destination would drop the source table before it is read.
    if (m_sameServer && SameDatabaseName(*m_destination, destination, name)) {
        LogError("Skipped the database " + name + ": its destination " + destination
            + " is the source database itself, on the same MySQL server!");
        return CopyFlow::Next;
    }

    if (!m_source->SelectDatabase(name))
        return Failed("Failed to use database " + name + " on the source server!" + ServerErrorCause(*m_source));
    if (Quit())
        return CopyFlow::Cancelled;
    const std::string charset = m_settings.setConnectionCharset == 1 ? NegotiateCharset(*m_source, true) : "";
    if (Quit())
        return CopyFlow::Cancelled;
    if (m_settings.addSetNames == 1 && !charset.empty()) {
        SendToDestination({"SET CHARACTER_SET_CLIENT='" + charset + "'", "SET CHARACTER_SET_RESULTS='" + charset + "'",
            "SET CHARACTER_SET_CONNECTION='" + charset + "'", "SET NAMES '" + charset + "'"});
    }
    if (Quit())
        return CopyFlow::Cancelled;

    if (m_settings.addCreateDatabase == 1) {
        // A database created with a collation of its own comes back with it.
        const std::string collation = m_switches.destination.databaseCharsetClause
            ? NonDefaultDatabaseCollation(*m_source, charset)
            : std::string();
        m_destination->Query(CreateDatabaseStatement(destination, true, m_switches.destination, charset, collation));
    }
    if (!m_destination->SelectDatabase(destination))
        return Failed(
            "Failed to use database " + destination + " on the destination server!" + ServerErrorCause(*m_destination));

    m_tables->StartDatabase(ReadSequenceNames(*m_source, name));
    m_objects->StartDatabase(name, destination);
    for (const TableItem& table : database.tables) {
        if (table.checkState == 0)
            continue;
        if (m_tables->Copy(name, table) == CopyFlow::Cancelled)
            return CopyFlow::Cancelled;
        // After the statements that closed the table's rows, so that they do not fire on them.
        m_objects->CopyTriggers(table.name);
    }
    // Functions before the views that may call them; events last.
    m_objects->CopyRoutines();
    m_tables->CreateDeferredViews(
        name, [this](const std::string& create, const std::string& what) { return m_objects->Create(create, what); },
        [this](const std::string& create, const std::string& what) { return m_objects->RefusedView(create, what); });
    m_objects->CopyEvents();
    return CopyFlow::Next;
}

} // namespace kelvanto
