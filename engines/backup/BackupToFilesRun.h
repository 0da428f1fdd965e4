#pragma once

#include "engines/backup/BackupFileNames.h"
#include "engines/backup/BackupToFilesObjects.h"
#include "engines/backup/BackupToFilesRecords.h"
#include "engines/backup/DumpWriter.h"
#include "engines/backupset/BackupRunManifest.h"
#include "engines/io/FileSink.h"
#include "engines/io/SinkFlushingContext.h"
#include "engines/sql/DumpText.h"
#include "model/Task.h"
#include "model/TimeStamp.h"
#include "mysql/Connection.h"
#include "mysql/ServerFeatures.h"
#include "schedule/RunContext.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kelvanto
{

// One run of a "Backup to SQL/PHP files" task: connects to the source server, walks the
// chosen databases, tables and views and writes the dump files, then records the run.
// Lives for one run on the task's worker thread. Every file is written through the sink,
// which has written and closed the last one when Run() returns, however the run ended.
class BackupToFilesRun
{
public:
    // `connector` opens the run's watched sessions; `plainConnector` the plain ones that the
    // verification by restore watches itself.
    BackupToFilesRun(RunContext& context, const Connector& connector, const Connector& plainConnector, FileSink& sink);
    BackupToFilesRun(const BackupToFilesRun&) = delete;
    BackupToFilesRun& operator=(const BackupToFilesRun&) = delete;

    RunOutcome Run();

private:
    enum class Layout : std::uint8_t {
        SingleFile,
        FilePerDatabase,
        FilePerTable,
    };
    // What the caller does after a step: go on, or leave the run because of a stop request.
    enum class Flow : std::uint8_t {
        Next,
        Cancelled,
    };

    bool Quit() { return m_context.QuitRequested(); }
    void LogInfo(const std::string& text) { m_context.Log(LogLevel::General, text); }
    void LogWarning(const std::string& text) { m_context.Log(LogLevel::Warning, text); }
    void LogError(const std::string& text) { m_context.Log(LogLevel::Error, text); }
    // "<message><path of the current file>", the shape of every failed-append line.
    void LogFileError(const std::string& message);
    // A piece whose failure the run reports: on disk when it returns true.
    bool Append(std::string_view statement) { return m_writer.AppendStatement(m_currentFile, statement); }
    // A piece whose result the run ignores: gathered in the sink.
    void Gather(std::string_view statement) { m_writer.GatherStatement(m_currentFile, statement); }

    // Records in the manifest that the current file holds objects of `kind` of `database`.
    void Note(const std::string& database, std::string_view kind)
    {
        m_manifest->NoteContent(m_currentFile, database, kind);
    }

    RunOutcome RunSteps();
    bool Connect();
    void CloseConnection();
    std::vector<DatabaseItem> BuildWorkingList();
    Flow BackupDatabase(const DatabaseItem& database);
    // The tables of a database in the order they are written.
    std::vector<TableItem> TablesInWritingOrder(const DatabaseItem& database);
    Flow BackupTable(const std::string& database, const TableItem& table);
    // The SET NAMES and CREATE DATABASE lines that begin a database's part; false (logged)
    // when they could not be written.
    bool WriteDatabaseLines(const std::string& database);
    // A sequence as a sequence, with its state.
    void WriteSequence(const std::string& database, const std::string& name, const std::string& quoted);
    // The end of a table's part: with a file per table, its views and the file's last lines.
    void EndTable();
    // A file of its own (file per table) for the routines or the events of a database.
    void WriteObjectsFile(const std::string& database, const std::string& part, bool routines);
    // Structure of a view: placeholder table now, the view itself among the pending views.
    // False when the table's work ends here.
    bool WriteViewStructure(const std::string& database, const std::string& name, const std::string& quoted);

    // File prologue: create the file, header, PHP connect line and the SET lines.
    bool StartFile(const std::string& database, const std::string& table);
    void FinishFile();
    // Sets the task's temporary tag and removes the task's own stale temporary files.
    void RemoveOwnStaleFiles();
    void WritePendingViews();
    // Flushes the run's files and folders to stable storage before the run is recorded;
    // false when that failed.
    bool SyncRunFiles();
    // Writes the run's manifest (beside its files, where ManifestPathFor says, so that the
    // history entry leads to it) when the run wrote every file whole and logged no error;
    // false when that was due and failed.
    // With `verificationFailed`, the manifest is written all the same, recording the failure.
    bool WriteManifest(bool verificationFailed);
    // Restores the run's files into the task's verification server and compares them, when
    // the task asks for it; records the outcome in the manifest.
    RunOutcome VerifyByRestoring();
    // Adds this run's copy to the history, marked when the run logged errors.
    void RecordRun(bool withErrors);

    FileSink& m_sink;
    // The only context the run uses: it writes the sink's gathered bytes before each log line.
    SinkFlushingContext m_context;
    const Connector& m_connector;
    const Connector& m_plainConnector;
    Task m_task;
    BackupSettings m_settings;
    TimeStamp m_runTime;
    std::string m_runFolder;
    Layout m_layout = Layout::SingleFile;

    // Declared before the registration so that the registration ends first.
    std::unique_ptr<Connection> m_connection;
    std::optional<CancellableRegistration> m_registration;
    bool m_connectStopped = false; // a stop ended the connection attempt
    DumpWriter m_writer;
    std::optional<BackupToFilesRecords> m_records; // made once connected
    std::optional<BackupToFilesObjects> m_objects; // made once connected
    ServerFeatures m_features;
    std::string m_serverInfo;
    bool m_quoting = false;
    DumpSessionOptions m_session;
    std::string m_databaseCharset;
    std::string m_databaseCollation; // only when it is not the character set's default

    std::string m_currentFile;
    std::vector<std::string> m_runFiles;
    std::vector<std::pair<std::string, std::string>> m_pendingViews;
    std::set<std::string> m_sequences; // of the current database
    std::set<std::string> m_viewNames; // of the current database, with a file per table
    std::string m_headerNote; // the snapshot's line in every file's header
    std::optional<BackupRunManifest> m_manifest; // made once the run starts
    std::optional<BackupFileNames> m_names; // new files every time: the names taken so far
};

} // namespace kelvanto
