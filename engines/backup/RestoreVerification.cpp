#include "engines/backup/RestoreVerification.h"

#include "engines/backupset/BackupRunManifest.h"
#include "engines/restore/RestoreRun.h"
#include "engines/run/NestedRunContext.h"
#include "engines/run/RunConnection.h"
#include "engines/run/WatchedConnection.h"
#include "engines/sql/DumpText.h"
#include "engines/sql/ServerTableTally.h"
#include "engines/sql/StoredObjectReader.h"
#include "model/FileFormat.h"
#include "model/ServerListStore.h"
#include "mysql/ServerFeatures.h"
#include "mysql/ServerIdentity.h"
#include "mysql/SqlNames.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>
#include <variant>

namespace kelvanto
{

namespace
{

// The server error number of CREATE DATABASE for a name that is taken.
constexpr unsigned kDatabaseExists = 1007;

using Outcome = RestoreVerificationResult::Outcome;

std::string ServerLabel(const ServerConnection& server)
{
    return server.host + ":" + std::to_string(server.port);
}

// The databases of the run: those its manifest lists, or (a manifest written before it listed
// them) those of its tables.
std::vector<std::string> DatabasesOf(const BackupManifest& manifest)
{
    std::vector<std::string> databases = manifest.databases;
    for (const BackupManifest::Table& table : manifest.tables) {
        if (std::find(databases.begin(), databases.end(), table.database) == databases.end())
            databases.push_back(table.database);
    }
    return databases;
}

// (kind, name, checksum) of every object, sorted: two databases hold the same stored programs
// when these lists are equal.
using ObjectKey = std::tuple<std::string, std::string, std::string>;

std::vector<ObjectKey> ObjectKeys(const DatabaseObjects& objects)
{
    std::vector<ObjectKey> keys;
    const auto add = [&keys](const StoredObject& object) {
        keys.emplace_back(std::string(KindWord(object.kind)), object.name, ObjectChecksum(object));
    };
    for (const auto& [table, triggers] : objects.triggersByTable)
        std::for_each(triggers.begin(), triggers.end(), add);
    std::for_each(objects.routines.begin(), objects.routines.end(), add);
    std::for_each(objects.events.begin(), objects.events.end(), add);
    std::sort(keys.begin(), keys.end());
    return keys;
}

class Verification
{
public:
    Verification(RunContext& context, const Connector& connector, const RestoreVerificationRequest& request)
        : m_outer(context)
        , m_plain(connector)
        , m_request(request)
        , m_context(context, RestoreTask(request, context.TaskCopy().extras.timeouts))
        , m_connector(WatchConnections(m_context, connector))
        , m_label(ServerLabel(request.server))
    { }

    RestoreVerificationResult Run()
    {
        const auto started = std::chrono::steady_clock::now();
        m_outer.Log(LogLevel::General, "Verifying the backup by restoring it into the MySQL server " + m_label + "...");
        Outcome outcome = Steps();
        DropCreated();
        if (outcome == Outcome::Cancelled && !m_context.OuterQuit())
            outcome = Fail("The connection to the verification server was lost!");
        const auto seconds
            = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started);
        RestoreVerificationResult result;
        result.outcome = outcome;
        result.record.passed = outcome == Outcome::Passed;
        result.record.server = m_label;
        result.record.failure = m_failure;
        result.record.firstDifferingTable = m_firstDifferingTable;
        result.record.seconds = static_cast<std::uint64_t>(seconds.count());
        const std::string took = " in " + std::to_string(seconds.count()) + " s";
        if (outcome == Outcome::Passed)
            m_outer.Log(LogLevel::General,
                "Verified by a restore into " + m_label + ": " + std::to_string(m_tables) + " tables ("
                    + std::to_string(m_rows) + " rows) and " + std::to_string(m_objects)
                    + " stored programs match the backup" + took);
        else if (outcome == Outcome::Failed)
            m_outer.Log(
                LogLevel::Error, "The verification by restore into " + m_label + " failed" + took + ": " + m_failure);
        return result;
    }

private:
    // The restore, with the time-outs the backup's task set (its connections are the run's).
    static Task RestoreTask(const RestoreVerificationRequest& request, const TimeoutSettings& timeouts)
    {
        Task task;
        task.type = TaskType::RestoreFromFiles;
        task.name = "verification";
        task.extras.timeouts = timeouts;
        task.destination = request.server;
        task.destination.database.clear();
        for (const std::string& path : request.files) {
            RestoreFile file;
            file.path = path;
            task.restoreFiles.push_back(std::move(file));
        }
        // Any failed statement or unreadable file ends the restore: the copy is then no proof.
        task.restoreOptions.continueOnSqlError = 0;
        task.restoreOptions.continueOnFileError = 0;
        return task;
    }

    bool Quit() { return m_context.QuitRequested(); }

    Outcome Fail(std::string failure)
    {
        if (m_failure.empty())
            m_failure = std::move(failure);
        return Outcome::Failed;
    }

    // A connection of the verification; `afterStop` for one that must be made even after a
    // stop (the clean-up), which a stop then does not end.
    std::unique_ptr<Connection> Open(
        const Connector& connector, const ServerConnection& settings, bool afterStop = false)
    {
        ConnectResult result = afterStop ? connector(settings, RunConnectControl(m_context))
                                         : ConnectForRun(m_context, connector, settings);
        if (auto* error = std::get_if<ConnectError>(&result)) {
            m_connectError = "Error NO. " + std::to_string(error->number) + "  " + error->text;
            return nullptr;
        }
        return std::move(std::get<std::unique_ptr<Connection>>(result));
    }

    Outcome Steps()
    {
        m_databases = DatabasesOf(m_request.manifest);
        if (m_databases.empty())
            return Fail("the backup holds no database to verify");
        if (m_request.files.empty())
            return Fail("the backup has no file to restore");
        if (Quit())
            return Outcome::Cancelled;
        std::unique_ptr<Connection> source = Open(m_connector, m_request.source);
        if (!source)
            return Fail("cannot connect to the source server to tell it apart: " + m_connectError);
        m_connection = Open(m_connector, m_request.server);
        if (!m_connection)
            return Fail("cannot connect to the verification server: " + m_connectError);
        m_registration.emplace(m_context, *m_connection);
        if (Quit())
            return Outcome::Cancelled;
        // Asked from inside both sessions: a second name or address of the source is the source.
        const std::optional<bool> same = SameServer(*source, *m_connection);
        source.reset();
        if (!same || *same)
            return Fail(same ? "the verification server is the source server: a backup is never restored into the "
                               "server it was taken from"
                             : "cannot tell whether the verification server is the source server");
        if (ServerFeatures::ForVersion(m_connection->ServerVersion()).utcSession)
            m_connection->Query("SET TIME_ZONE='+00:00'");

        for (const std::string& database : m_databases) {
            if (Quit())
                return Outcome::Cancelled;
            // Made here, without IF NOT EXISTS: a database of that name that exists (or appears
            // meanwhile) is someone else's, and the verification neither writes to nor drops it.
            if (!m_connection->Query("CREATE DATABASE " + QuoteName(database, true))) {
                if (m_connection->ErrorNumber() == kDatabaseExists)
                    return Fail("the database " + database
                        + " exists on the verification server already; the verification leaves it untouched");
                return Fail("cannot create the database " + database + ServerErrorCause(*m_connection));
            }
            m_created.push_back(database);
        }
        if (Quit())
            return Outcome::Cancelled;

        const RunOutcome restored = RunRestoreFromFiles(m_context, m_plain);
        if (restored == RunOutcome::Cancelled)
            return Outcome::Cancelled;
        if (restored != RunOutcome::Finished || m_context.ErrorLines() > 0)
            return Fail("the backup files could not be restored");
        if (Quit())
            return Outcome::Cancelled;
        const Outcome tables = CompareTables();
        if (tables != Outcome::Passed)
            return tables;
        return CompareObjects();
    }

    Outcome CompareTables()
    {
        ServerTableTally tally(*m_connection);
        for (const BackupManifest::Table& table : m_request.manifest.tables) {
            if (Quit())
                return Outcome::Cancelled;
            const std::string name = table.database + "." + table.table;
            Result<RowTally> read = tally.Tally(table.database, table.table, table.characterSet);
            if (!read)
                return Differs(name, "cannot be read back: " + read.error());
            if (read->rows() != table.rows || read->ChecksumText() != table.checksum)
                return Differs(name,
                    "differs from the backup: " + std::to_string(read->rows()) + " rows, checksum "
                        + read->ChecksumText() + " (the manifest: " + std::to_string(table.rows) + " rows, checksum "
                        + table.checksum + ")");
            ++m_tables;
            m_rows += read->rows();
        }
        return Outcome::Passed;
    }

    Outcome Differs(const std::string& table, const std::string& what)
    {
        m_firstDifferingTable = table;
        return Fail("the table " + table + " " + what);
    }

    Outcome CompareObjects()
    {
        // Manifests written before they listed databases listed no stored programs either.
        if (m_request.manifest.databases.empty())
            return Outcome::Passed;
        for (const std::string& database : m_databases) {
            if (Quit())
                return Outcome::Cancelled;
            const DatabaseObjects restored = ReadDatabaseObjects(*m_connection, database, {true, true, true});
            if (!restored.failures.empty())
                return Fail("cannot read back the " + restored.failures.front());
            std::vector<ObjectKey> expected;
            for (const BackupManifest::Object& object : m_request.manifest.objects) {
                if (object.database == database)
                    expected.emplace_back(object.kind, object.name, object.checksum);
            }
            std::sort(expected.begin(), expected.end());
            const std::vector<ObjectKey> found = ObjectKeys(restored);
            if (found != expected) {
                const auto [missing, extra]
                    = std::mismatch(expected.begin(), expected.end(), found.begin(), found.end());
                const ObjectKey& first = missing != expected.end() ? *missing : *extra;
                return Fail("the " + std::get<0>(first) + " " + database + "." + std::get<1>(first)
                    + " differs from the backup");
            }
            m_objects += found.size();
        }
        return Outcome::Passed;
    }

    // With a session of its own, unregistered: the verification's session may be the one a
    // stop broke.
    void DropCreated()
    {
        m_registration.reset();
        m_connection.reset();
        if (m_created.empty())
            return;
        std::unique_ptr<Connection> connection = Open(m_plain, m_request.server, true);
        for (const std::string& database : m_created) {
            if (!connection || !connection->Query("DROP DATABASE " + QuoteName(database, true)))
                m_outer.Log(LogLevel::Error,
                    "Failed to drop the database " + database + " that the verification created on " + m_label + "!"
                        + (connection ? ServerErrorCause(*connection) : "  " + m_connectError));
        }
        m_created.clear();
    }

    RunContext& m_outer;
    const Connector& m_plain;
    const RestoreVerificationRequest& m_request;
    NestedRunContext m_context;
    Connector m_connector;
    std::string m_label;
    std::vector<std::string> m_databases;
    std::vector<std::string> m_created;
    // Declared before the registration so that the registration ends first.
    std::unique_ptr<Connection> m_connection;
    std::optional<CancellableRegistration> m_registration;
    std::string m_connectError;
    std::string m_failure;
    std::string m_firstDifferingTable;
    std::uint64_t m_tables = 0;
    std::uint64_t m_rows = 0;
    std::uint64_t m_objects = 0;
};

} // namespace

RestoreVerificationResult VerifyByRestore(
    RunContext& context, const Connector& connector, const RestoreVerificationRequest& request)
{
    Verification verification(context, connector, request);
    return verification.Run();
}

RestoreVerificationResult VerifyBackupByRestore(RunContext& context, const Connector& connector, const Task& task,
    const BackupManifest& manifest, const std::vector<std::string>& files)
{
    RestoreVerificationResult refused;
    const auto refuse = [&](const std::string& why) {
        context.Log(LogLevel::Error, "The backup cannot be verified by a restore: " + why + "!");
        refused.record.failure = why;
        return refused;
    };
    if (!task.extras.verifyRestore)
        return refuse("no verification server is set");
    if (task.backupSettings.fileType == kPhpDumpFile)
        return refuse("a PHP backup file is not restored as it is");
    if (task.backupSettings.addCreateDatabase != 1)
        return refuse("its files do not select their databases (CREATE DATABASE lines are off)");
    Result<ServerConnection> server = ResolveVerifyServer(*task.extras.verifyRestore, context.DataFolder());
    if (!server)
        return refuse(server.error());
    refused.record.server = ServerLabel(*server);
    RestoreVerificationRequest request {task.source, *server, manifest, files};
    return VerifyByRestore(context, connector, request);
}

Result<ServerConnection> ResolveVerifyServer(const VerifyServer& server, const std::filesystem::path& dataFolder)
{
    if (server.profile.empty())
        return server.connection;
    ServerList list;
    Result<void> loaded = LoadServerListFile(dataFolder / fileformat::kServerListFileName, list);
    if (!loaded)
        return Error {"the server list cannot be read: " + loaded.error()};
    for (const ServerConnection& profile : list.profiles()) {
        if (profile.connectionName == server.profile)
            return profile;
    }
    return Error {"no stored server profile is named \"" + server.profile + "\""};
}

} // namespace kelvanto
