#include "engines/backup/BackupToFilesRun.h"

#include "engines/backup/BackupNaming.h"
#include "engines/backup/BackupToFilesRecords.h"
#include "engines/backup/RestoreVerification.h"
#include "engines/backupset/BackupRotation.h"
#include "engines/io/Compression.h"
#include "engines/run/RunConnection.h"
#include "engines/run/SnapshotSession.h"
#include "engines/run/WatchedConnection.h"
#include "engines/sql/CreateDatabase.h"
#include "engines/sql/SequenceDump.h"
#include "engines/sql/StoredObject.h"
#include "engines/sql/TableDefinition.h"
#include "engines/sql/ViewOrder.h"
#include "engines/sql/ViewStructure.h"
#include "engines/sql/WorkingList.h"
#include "model/SafeFolder.h"
#include "mysql/ServerProbes.h"
#include "mysql/SqlNames.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>
#include <variant>

namespace kelvanto
{

namespace
{

std::string LineEnd(const BackupSettings& settings)
{
    return settings.unixLineEnds == 1 ? "\n" : "\r\n";
}

} // namespace

BackupToFilesRun::BackupToFilesRun(
    RunContext& context, const Connector& connector, const Connector& plainConnector, FileSink& sink)
    : m_sink(sink)
    , m_context(context, sink)
    , m_connector(connector)
    , m_plainConnector(plainConnector)
    , m_task(m_context.TaskCopy())
    , m_settings(m_task.backupSettings)
    , m_writer(sink, m_settings.fileType, LineEnd(m_settings))
{
    if (m_settings.fileMode == 2 && m_settings.fileSplit == 2)
        m_layout = Layout::FilePerDatabase;
    else if (m_settings.fileMode == 2 && m_settings.fileSplit == 3)
        m_layout = Layout::FilePerTable;
    // PHP dumps are refused below when compression is asked for: PHP runs a script as it is.
    if (m_settings.fileType != kPhpDumpFile)
        m_sink.SetCompression(m_task.extras.compression, m_task.extras.compressionLevel);
    // The manifest's digests are computed as the files are written, not by reading them again.
    m_sink.ForgetWrittenDigests();
    m_sink.SetDigesting(true);
}

void BackupToFilesRun::LogFileError(const std::string& message)
{
    LogError(message + m_currentFile + m_sink.LastErrorCause());
}

RunOutcome BackupToFilesRun::Run()
{
    const RunOutcome outcome = RunSteps();
    // A file still open here was cut short (a stop, a failure): it never takes its name.
    m_writer.AbandonFile();
    m_sink.SetCompression(Compression::None, 0);
    m_sink.SetDigesting(false);
    return outcome;
}

RunOutcome BackupToFilesRun::RunSteps()
{
    if (Quit())
        return RunOutcome::Cancelled;
    if (m_task.databases.empty()) {
        LogError("There are not any databases in the backup queue!");
        return RunOutcome::Failed;
    }
    if (m_settings.fileType == kPhpDumpFile && m_task.extras.compression != Compression::None) {
        LogError("A PHP backup file cannot be compressed: choose SQL files or no compression!");
        return RunOutcome::Failed;
    }
    m_runTime = m_context.Now();
    m_manifest.emplace(m_task.taskId, m_task.name, m_runTime);
    m_manifest->SetLayout(m_layout == Layout::FilePerTable ? BackupManifest::kFilePerTable
            : m_layout == Layout::FilePerDatabase          ? BackupManifest::kFilePerDatabase
                                                           : BackupManifest::kOneFile);

    // The program's own "Data" folder; it may exist already.
    if (!m_context.DataFolder().empty()) {
        std::error_code ignored;
        std::filesystem::create_directory(m_context.DataFolder() / "Data", ignored);
    }

    if (m_settings.fileMode == 2) {
        if (m_settings.backupFolder.empty()) {
            LogError("Backup directory name is empty!");
            return RunOutcome::Failed;
        }
        m_runFolder = RunFolderFor(m_settings, m_runTime);
        // No file of this run replaces another file, whatever the format gives.
        m_names.emplace(m_task.backupHistory);
        // A folder that cannot be made shows as a failed file creation below; one that is
        // not the program's user's own is never written into.
        const Result<void> folders = CreateBackupFolders(m_settings, m_runFolder);
        if (!folders && !m_runFolder.empty()) {
            LogError("Failed to create the backup folder! - " + folders.error());
            return RunOutcome::Failed;
        }
    }
    RemoveOwnStaleFiles();

    if (!Connect())
        return m_connectStopped ? RunOutcome::Cancelled : RunOutcome::Failed;

    if (Quit())
        return RunOutcome::Cancelled;
    if (m_settings.setConnectionCharset == 1)
        m_session.serverCharset = NegotiateCharset(*m_connection, false);
    if (Quit())
        return RunOutcome::Cancelled;

    LogInfo("Backing up the selected databases and tables...");
    // A snapshot's position goes into the header, so the first file waits for the snapshot.
    const bool snapshot = m_task.extras.consistentSnapshot;
    if (!snapshot && m_layout == Layout::SingleFile && !StartFile({}, {}))
        return RunOutcome::Failed;

    if (Quit())
        return RunOutcome::Cancelled;
    if (m_settings.flushLogs == 1)
        m_connection->Query("FLUSH LOGS");

    const std::vector<DatabaseItem> databases = BuildWorkingList();
    if (Quit())
        return RunOutcome::Cancelled;
    const auto chosen = std::count_if(
        databases.begin(), databases.end(), [](const DatabaseItem& database) { return database.checkState != 0; });
    if (const std::string warning = MissingPlaceholdersWarning(m_settings, static_cast<std::size_t>(chosen));
        !warning.empty())
        LogWarning(warning);
    if (snapshot) {
        const std::optional<SnapshotStart> start = StartRunSnapshot(m_context, *m_connection, m_settings, databases);
        if (!start)
            return RunOutcome::Failed;
        m_headerNote = SnapshotHeaderNote(*start);
        if (!start->binlogFile.empty())
            m_manifest->SetSnapshotPosition(start->binlogFile, start->binlogPosition);
        if (m_layout == Layout::SingleFile && !StartFile({}, {}))
            return RunOutcome::Failed;
    }

    for (const DatabaseItem& database : databases) {
        if (database.checkState == 0)
            continue;
        if (BackupDatabase(database) == Flow::Cancelled)
            return RunOutcome::Cancelled;
    }
    // A stop or a lost connection that broke the last statements ends the run as such, not
    // as a finished backup with errors.
    if (Quit())
        return RunOutcome::Cancelled;

    CloseConnection();
    if (m_layout == Layout::SingleFile)
        FinishFile();
    m_writer.CloseFile();
    const bool durable = SyncRunFiles();
    // A copy that is not whole on disk (a full disk, a removed file, a failed flush) fails
    // the run: it is no copy to restore from, so it is not recorded and costs the user no
    // older copy.
    if (!durable || m_writer.AnyWriteFailed()) {
        LogError("The backup files are incomplete, so no older backup copy was deleted!");
        return RunOutcome::Failed;
    }
    // Only a run without errors gets a manifest; its presence marks the run complete. A run
    // that asks for it is proven by a restore first; a failed proof is recorded in it.
    bool withErrors = m_context.ErrorLines() > 0;
    bool verificationFailed = false;
    if (!withErrors && m_task.extras.verifyRestore) {
        const RunOutcome verified = VerifyByRestoring();
        if (verified == RunOutcome::Cancelled) {
            // The files are whole: they are recorded (as a copy with errors, which lets
            // nothing expire) rather than left where rotation never finds them.
            RecordRun(true);
            return RunOutcome::Cancelled;
        }
        verificationFailed = verified != RunOutcome::Finished;
        withErrors = verificationFailed;
    } else if (withErrors && m_task.extras.verifyRestore) {
        LogWarning("The backup logged errors, so it was not verified by a restore!");
    }
    if (!withErrors || verificationFailed) {
        if (!WriteManifest(verificationFailed))
            withErrors = true;
    }
    RecordRun(withErrors);
    // Rotation makes room for this copy by deleting older ones, which only a copy without
    // any error may do.
    if (withErrors)
        LogWarning("The backup logged errors, so no older backup copy was deleted!");
    else
        ExpireBackupCopies(m_context);
    LogInfo("Finished");
    return RunOutcome::Finished;
}

bool BackupToFilesRun::Connect()
{
    OpenedConnection opened
        = OpenRunConnection(m_context, m_connector, m_task.source, "source", "Failed to connect to the MySQL server!");
    m_connectStopped = opened.stopped;
    m_connection = std::move(opened.connection);
    if (!m_connection)
        return false;
    m_registration.emplace(m_context, *m_connection);
    m_serverInfo = m_connection->ServerInfo();
    m_manifest->SetServerVersion(m_serverInfo);
    LogInfo("Successfully connected to the MySQL server!  MySQL version: " + m_serverInfo);
    m_features = ServerFeatures::ForVersion(m_connection->ServerVersion());
    m_records.emplace(m_context, *m_connection, m_writer, m_settings, m_features, m_task.extras.maxInsertBytes);
    m_objects.emplace(m_context, *m_connection, m_writer, m_task.extras);
    m_quoting = m_settings.quoteNames == 1 && m_features.quoteNames;

    m_session.addSetNames = m_settings.addSetNames == 1;
    m_session.addUniqueChecks = m_settings.addUniqueChecks == 1;
    m_session.addForeignKeyChecks = m_settings.addForeignKeyChecks == 1;
    m_session.addSqlNotes = m_settings.addSqlNotes == 1;
    m_session.sqlModeLines = m_features.sqlModeLines;
    m_session.utcSession = m_features.utcSession;

    // TIMESTAMP values are read in UTC, and the dump tells the restoring session so, so
    // that they come back unchanged on a server in another time zone.
    if (m_features.utcSession)
        m_connection->Query("SET TIME_ZONE='+00:00'");
    return true;
}

void BackupToFilesRun::CloseConnection()
{
    m_objects.reset();
    m_records.reset();
    m_registration.reset();
    m_connection.reset();
}

std::vector<DatabaseItem> BackupToFilesRun::BuildWorkingList()
{
    std::string error;
    std::vector<DatabaseItem> databases
        = kelvanto::BuildWorkingList(*m_connection, m_task.databases, m_settings, error);
    if (!error.empty())
        LogError("Failed to list the databases of the MySQL server! - " + error);
    return databases;
}

BackupToFilesRun::Flow BackupToFilesRun::BackupDatabase(const DatabaseItem& database)
{
    LogInfo("Backing up the database " + database.name + "...");
    if (Quit())
        return Flow::Cancelled;
    if (!m_connection->SelectDatabase(database.name)) {
        LogError("Failed to use database " + database.name + ServerErrorCause(*m_connection));
        return Flow::Next;
    }
    if (Quit())
        return Flow::Cancelled;
    m_databaseCharset.clear();
    m_databaseCollation.clear();
    if (m_settings.setConnectionCharset == 1)
        m_databaseCharset = NegotiateCharset(*m_connection, true);
    // A database created with a collation of its own comes back with it.
    if (m_settings.addCreateDatabase == 1 && m_features.databaseCharsetClause)
        m_databaseCollation = NonDefaultDatabaseCollation(*m_connection, m_databaseCharset);
    if (Quit())
        return Flow::Cancelled;

    if (m_layout == Layout::FilePerDatabase && !StartFile(database.name, {}))
        return Flow::Next;
    m_manifest->AddDatabase(database.name);
    m_sequences = ReadSequenceNames(*m_connection, database.name);
    m_objects->StartDatabase(database.name);
    if (Quit())
        return Flow::Cancelled;

    // With a file per table, the routines get a file of their own after the tables and before
    // the views (a view may call a function), the events one after the views.
    bool routinesWritten = m_layout != Layout::FilePerTable;
    for (const TableItem& table : TablesInWritingOrder(database)) {
        if (table.checkState == 0)
            continue;
        if (!routinesWritten && m_viewNames.count(table.name) > 0) {
            WriteObjectsFile(database.name, "(routines)", true);
            routinesWritten = true;
        }
        const Flow flow = BackupTable(database.name, table);
        // A table's file ends with the table; one that a failure ended early is not whole.
        if (m_layout == Layout::FilePerTable)
            m_writer.AbandonFile();
        if (flow == Flow::Cancelled)
            return Flow::Cancelled;
    }
    if (m_layout == Layout::FilePerTable) {
        if (!routinesWritten)
            WriteObjectsFile(database.name, "(routines)", true);
        WriteObjectsFile(database.name, "(events)", false);
    } else {
        if (m_objects->HasRoutines())
            Note(database.name, BackupManifest::kRoutines);
        m_objects->WriteRoutines(m_currentFile);
        WritePendingViews();
        if (m_objects->HasEvents())
            Note(database.name, BackupManifest::kEvents);
        m_objects->WriteEvents(m_currentFile);
        if (m_layout == Layout::FilePerDatabase)
            FinishFile();
    }
    for (const StoredObject& object : m_objects->TakeWritten())
        m_manifest->AddObject(database.name, object);
    return Flow::Next;
}

void BackupToFilesRun::WriteObjectsFile(const std::string& database, const std::string& part, bool routines)
{
    if (routines ? !m_objects->HasRoutines() : !m_objects->HasEvents())
        return;
    if (!StartFile(database, part))
        return;
    if (WriteDatabaseLines(database)) {
        Note(database, routines ? BackupManifest::kRoutines : BackupManifest::kEvents);
        if (routines)
            m_objects->WriteRoutines(m_currentFile);
        else
            m_objects->WriteEvents(m_currentFile);
    }
    FinishFile();
}

std::vector<TableItem> BackupToFilesRun::TablesInWritingOrder(const DatabaseItem& database)
{
    // A file per table is restored file by file in creation order, and a view's file holds
    // the view itself: the tables come first, and each view after the views it selects from.
    m_viewNames.clear();
    if (m_layout != Layout::FilePerTable || !m_features.fullTables)
        return database.tables;
    const std::map<std::string, std::string> views = ReadViewDefinitions(*m_connection, database.tables);
    for (const auto& view : views)
        m_viewNames.insert(view.first);
    return TablesBeforeViews(database.tables, views);
}

BackupToFilesRun::Flow BackupToFilesRun::BackupTable(const std::string& database, const TableItem& table)
{
    const std::string& name = table.name;
    const std::string quoted = QuoteName(name, m_quoting);
    int kind = table.kind;
    LogInfo((kind == 2 ? "Backing up the view " : "Backing up the table ") + database + "." + name + "...");
    RunProgress progress;
    progress.object = database + "." + name;
    m_context.ReportProgress(progress);
    if (Quit())
        return Flow::Cancelled;
    if (m_layout == Layout::FilePerTable && !StartFile(database, name))
        return Flow::Next;
    if (Quit())
        return Flow::Cancelled;

    if (!WriteDatabaseLines(database))
        return Flow::Next;
    if (Quit())
        return Flow::Cancelled;

    if (m_settings.flushTables == 1)
        m_connection->Query("FLUSH TABLE " + quoted);
    if (m_settings.lockTables == 1)
        m_connection->Query("LOCK TABLES " + quoted + (m_features.readLocalLocks ? " READ LOCAL" : " READ"));
    if (Quit())
        return Flow::Cancelled;

    if (m_settings.exportStructure == 1)
        kind = m_features.showCreate ? DetectTableKind(*m_connection, name, m_quoting) : 1;
    if (Quit())
        return Flow::Cancelled;
    const bool isView = kind == 2;
    if (!isView && m_sequences.count(name) > 0) {
        WriteSequence(database, name, quoted);
        EndTable();
        return Flow::Next;
    }

    const TableStatus status = ReadTableStatus(*m_connection, name);
    const std::string& tableType = status.type;
    progress.rowsEstimate = status.rowsEstimate;

    std::unique_ptr<ResultSet> columns = m_connection->ListFields(name);
    if (!columns) {
        LogError("No result when list table fields: " + name);
        return Flow::Next;
    }
    if (Quit())
        return Flow::Cancelled;

    if (m_settings.exportStructure != 1) {
        LogInfo("Structure option is unchecked.");
    } else if (isView) {
        if (!WriteViewStructure(database, name, quoted))
            return Flow::Next;
    } else {
        if (m_settings.addDropTable == 1)
            Gather("DROP TABLE IF EXISTS " + quoted);
        Result<std::string> definition
            = GetTableDefinition(*m_connection, name, tableType, columns->Fields(), m_quoting, m_features.showCreate);
        if (!definition || definition->empty()) {
            LogError("Failed to get the create table statement! - " + name + ServerErrorCause(*m_connection));
            return Flow::Next;
        }
        if (!Append(*definition)) {
            LogFileError("Failed to write the CREATE TABLE to the backup file! - ");
            return Flow::Next;
        }
        Note(database, BackupManifest::kTables);
    }
    columns.reset();

    if (m_settings.addDeleteAll == 1 && !isView && !Append("DELETE FROM " + quoted)) {
        LogFileError("Failed to write the DELETE to the backup file! - ");
        return Flow::Next;
    }
    if (Quit())
        return Flow::Cancelled;

    if (m_settings.exportRecords == 1 && !isView) {
        if (!m_records->Write(m_currentFile, name, quoted, progress))
            return Flow::Cancelled;
        const std::string& charset = m_databaseCharset.empty() ? m_session.serverCharset : m_databaseCharset;
        m_manifest->AddTable(database, name, m_records->lastTable(), charset, m_currentFile);
        if (m_records->lastTable().rows() > 0)
            Note(database, BackupManifest::kRows);
    }
    // After the statements that close the rows, so that the triggers do not fire on them.
    if (!isView && m_objects->HasTriggers(name)) {
        Note(database, BackupManifest::kTriggers);
        m_objects->WriteTriggers(m_currentFile, name);
    }

    EndTable();
    return Flow::Next;
}

bool BackupToFilesRun::WriteDatabaseLines(const std::string& database)
{
    if (m_settings.addSetNames == 1 && !m_databaseCharset.empty()) {
        Gather("SET CHARACTER_SET_CLIENT='" + m_databaseCharset + "'");
        Gather("SET CHARACTER_SET_RESULTS='" + m_databaseCharset + "'");
        Gather("SET CHARACTER_SET_CONNECTION='" + m_databaseCharset + "'");
        Gather("SET NAMES '" + m_databaseCharset + "'");
    }
    if (m_settings.addCreateDatabase == 1) {
        const std::string block = BuildCreateDatabaseBlock(database, m_settings.fileType, m_quoting, m_features,
            m_databaseCharset, m_writer.eol(), m_databaseCollation);
        if (!m_writer.AppendText(m_currentFile, block)) {
            LogFileError("Failed to write the CREATE and USE database to the backup file! - ");
            return false;
        }
    }
    return true;
}

void BackupToFilesRun::WriteSequence(const std::string& database, const std::string& name, const std::string& quoted)
{
    const bool structure = m_settings.exportStructure == 1;
    Result<std::vector<std::string>> statements = SequenceStatements(*m_connection, name, quoted, structure);
    if (!statements) {
        LogError("Failed to back up the sequence " + database + "." + name + "! - " + statements.error());
        return;
    }
    if (structure && m_settings.addDropTable == 1)
        Gather("DROP TABLE IF EXISTS " + quoted);
    for (const std::string& statement : *statements) {
        if (!Append(statement)) {
            LogFileError("Failed to write the sequence to the backup file! - ");
            return;
        }
    }
    Note(database, BackupManifest::kSequences);
    LogInfo("Backup the sequence " + database + "." + name + " - OK");
}

void BackupToFilesRun::EndTable()
{
    if (m_layout == Layout::FilePerTable) {
        WritePendingViews();
        FinishFile();
    }
}

bool BackupToFilesRun::WriteViewStructure(
    const std::string& database, const std::string& name, const std::string& quoted)
{
    if (m_settings.addDropTable == 1) {
        Gather("DROP VIEW IF EXISTS " + quoted);
        Gather("DROP TABLE IF EXISTS " + quoted);
    }
    std::string definition;
    const auto writePlaceholder = [this](const std::string& placeholder) { return Append(placeholder); };
    switch (ReadViewStructure(*m_connection, name, quoted, writePlaceholder, definition)) {
    case ViewStructureStep::CreateTemporary:
        LogError("Failed to create temporary table of the view " + name + ServerErrorCause(*m_connection));
        return false;
    case ViewStructureStep::ShowTemporary:
        LogError("Failed to show temporary table of the view " + name + ServerErrorCause(*m_connection));
        return false;
    case ViewStructureStep::UsePlaceholder:
        LogError("Failed to write create temporary table of the view " + name + " to the backup file! - "
            + m_currentFile + m_sink.LastErrorCause());
        return false;
    case ViewStructureStep::DropTemporary:
        LogError("Failed to drop temporary table of the view " + name + ServerErrorCause(*m_connection));
        return false;
    case ViewStructureStep::ShowView:
        LogError("Failed to show view " + name + ServerErrorCause(*m_connection));
        return false;
    case ViewStructureStep::Done:
        break;
    }
    m_pendingViews.emplace_back(name, std::move(definition));
    Note(database, BackupManifest::kViews);
    LogInfo("Backup the view " + database + "." + name + " - OK");
    return true;
}

bool BackupToFilesRun::StartFile(const std::string& database, const std::string& table)
{
    m_currentFile = CompressedFileName(
        BuildBackupFilePath(m_settings, m_runFolder, m_task.name, m_task.source, database, table, m_runTime),
        m_sink.compression());
    if (m_names)
        m_currentFile = m_names->Claim(m_currentFile);
    if (!m_writer.CreateDumpFile(m_currentFile)) {
        LogFileError("Failed to create the backup file! - ");
        return false;
    }
    if (!m_writer.WriteDumpHeader(m_currentFile, m_task.source.host, m_serverInfo, m_runTime, m_headerNote)) {
        LogFileError("Failed to write the title to the backup file! - ");
        m_writer.AbandonFile(); // nothing more goes into this file
        return false;
    }
    if (m_settings.fileType == kPhpDumpFile && !m_writer.WritePhpConnect(m_currentFile, m_task.source)) {
        LogFileError("Failed to write the connect statement to the PHP file! - ");
        m_writer.AbandonFile();
        return false;
    }
    for (const std::string& statement : PrologueStatements(m_session))
        Gather(statement);
    return true;
}

void BackupToFilesRun::FinishFile()
{
    for (const std::string& statement : EpilogueStatements(m_session))
        Gather(statement);
    if (m_settings.fileType == kPhpDumpFile && !m_writer.WritePhpFooter(m_currentFile))
        LogFileError("Failed to write PHP mysql_close to the bakcup file! - ");
    // The file's last piece: nothing of it stays open, and a whole file takes its name.
    if (m_writer.CloseFile()) {
        m_runFiles.push_back(m_currentFile);
    } else if (!m_sink.lastError().empty()) {
        // Every piece was written, but the file could not be flushed or take its name.
        LogFileError("Failed to save the backup file! - ");
    }
}

void BackupToFilesRun::RemoveOwnStaleFiles()
{
    // Written under the task's own temporary names, so that the next run, and only a run of
    // this task, removes what a killed run left.
    m_sink.SetTemporaryTag(PartialTag(m_task.logFileName));
    if (m_settings.fileMode == 2)
        RemoveStalePartials(m_settings.backupFolder, m_sink.temporaryTag(), true);
    else if (!m_settings.singleFilePath.empty())
        RemoveStalePartials(
            std::filesystem::path(m_settings.singleFilePath).parent_path().string(), m_sink.temporaryTag(), false);
}

void BackupToFilesRun::WritePendingViews()
{
    for (const auto& [name, definition] : m_pendingViews) {
        if (name.empty() || definition.empty())
            continue;
        const std::string quoted = QuoteName(name, m_quoting);
        Gather("DROP TABLE IF EXISTS " + quoted);
        Gather("DROP VIEW IF EXISTS " + quoted);
        // A failure of either DROP shows here, with the same line.
        if (!Append(m_task.extras.definer == DefinerMode::Strip ? StripDefiner(definition) : definition))
            LogFileError("Failed to write CREATE VIEW to the backup file! - ");
    }
    m_pendingViews.clear();
}

bool BackupToFilesRun::SyncRunFiles()
{
    std::vector<std::string> files;
    std::vector<std::string> folders;
    const auto addOnce = [](std::vector<std::string>& list, std::string path) {
        if (std::find(list.begin(), list.end(), path) == list.end())
            list.push_back(std::move(path));
    };
    for (const std::string& file : m_runFiles) {
        addOnce(files, file);
        const std::filesystem::path parent = std::filesystem::path(file).parent_path();
        addOnce(folders, parent.empty() ? std::string(".") : parent.string());
    }
    // The run folder and the folder that holds its entry, even for a run that wrote no file.
    if (!m_runFolder.empty()) {
        const std::filesystem::path runFolder
            = (std::filesystem::path(m_settings.backupFolder) / m_runFolder).lexically_normal().parent_path();
        addOnce(folders, runFolder.string());
        addOnce(folders, runFolder.parent_path().string());
    }
    Result<void> synced = m_sink.Sync(files, folders);
    if (!synced)
        LogError("Failed to flush the backup files to the disk! - " + synced.error());
    return synced.ok();
}

bool BackupToFilesRun::WriteManifest(bool verificationFailed)
{
    // Only a whole run gets one: its presence is what marks the run complete.
    if (m_writer.AnyWriteFailed() || (m_context.ErrorLines() > 0 && !verificationFailed) || m_runFiles.empty())
        return true;
    // The files' digests were computed as they were written; one changed since is read back.
    const auto written = [this](const std::string& file) { return m_sink.WrittenDigest(file); };
    Result<std::string> path = m_manifest->Write(m_runFiles, m_context.Now(), m_sink.temporaryTag(), written);
    if (!path) {
        LogError("Failed to write the manifest of the backup! - " + path.error());
        return false;
    }
    return true;
}

RunOutcome BackupToFilesRun::VerifyByRestoring()
{
    const RestoreVerificationResult result
        = VerifyBackupByRestore(m_context, m_plainConnector, m_task, m_manifest->manifest(), m_runFiles);
    switch (result.outcome) {
    case RestoreVerificationResult::Outcome::Passed:
        m_manifest->SetVerification(result.record);
        return RunOutcome::Finished;
    case RestoreVerificationResult::Outcome::Failed:
        m_manifest->SetVerification(result.record);
        return RunOutcome::Failed;
    case RestoreVerificationResult::Outcome::Cancelled:
        break;
    }
    return RunOutcome::Cancelled;
}

void BackupToFilesRun::RecordRun(bool withErrors)
{
    BackupRun run;
    if (!m_runFolder.empty()) {
        run.folder = m_settings.backupFolder + m_runFolder;
        if (!run.folder.empty() && run.folder.back() == '/')
            run.folder.pop_back();
    }
    run.files = m_runFiles;
    run.year = m_runTime.year;
    run.month = m_runTime.month;
    run.day = m_runTime.day;
    run.hour = m_runTime.hour;
    run.minute = m_runTime.minute;
    run.second = m_runTime.second;
    run.fileMode = m_settings.fileMode;
    run.fileType = m_settings.fileType;
    run.runReserved = withErrors ? kCopyWithErrors : 0;
    m_context.UpdateTask([&run](Task& task) { task.backupHistory.push_back(std::move(run)); });
}

} // namespace kelvanto
