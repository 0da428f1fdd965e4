#pragma once

#include "engines/BackupToFilesRecords.h"
#include "engines/DumpFile.h"
#include "engines/DumpText.h"
#include "engines/DumpWriter.h"
#include "model/Task.h"
#include "model/TimeStamp.h"
#include "mysql/Connection.h"
#include "mysql/ServerFeatures.h"
#include "schedule/RunContext.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kelvanto
{

// One run of a "Backup to SQL/PHP files" task: connects to the source server, walks the
// chosen databases, tables and views and writes the dump files, then records the run.
// Lives for one run on the task's worker thread.
class BackupToFilesRun
{
public:
    BackupToFilesRun(RunContext& context, const Connector& connector, DumpFile& sink);
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
    void LogError(const std::string& text) { m_context.Log(LogLevel::Error, text); }
    // "<message><path of the current file>", the shape of every failed-append line.
    void LogFileError(const std::string& message);
    bool Append(std::string_view statement) { return m_writer.AppendStatement(m_currentFile, statement); }

    bool Connect();
    void CloseConnection();
    std::vector<DatabaseItem> BuildWorkingList();
    Flow BackupDatabase(const DatabaseItem& database);
    Flow BackupTable(const std::string& database, const TableItem& table);
    // Structure of a view: placeholder table now, the view itself among the pending views.
    // False when the table's work ends here.
    bool WriteViewStructure(const std::string& database, const std::string& name, const std::string& quoted);

    // File prologue: create the file, header, PHP connect line and the SET lines.
    bool StartFile(const std::string& database, const std::string& table);
    void FinishFile();
    void WritePendingViews();
    void RecordRun();

    RunContext& m_context;
    const Connector& m_connector;
    DumpFile& m_sink;
    Task m_task;
    BackupSettings m_settings;
    TimeStamp m_runTime;
    std::string m_runFolder;
    Layout m_layout = Layout::SingleFile;

    // Declared before the registration so that the registration ends first.
    std::unique_ptr<Connection> m_connection;
    std::optional<CancellableRegistration> m_registration;
    DumpWriter m_writer;
    std::optional<BackupToFilesRecords> m_records; // made once connected
    ServerFeatures m_features;
    std::string m_serverInfo;
    bool m_quoting = false;
    DumpSessionOptions m_session;
    std::string m_databaseCharset;

    std::string m_currentFile;
    std::vector<std::string> m_runFiles;
    std::vector<std::pair<std::string, std::string>> m_pendingViews;
};

} // namespace kelvanto
