#include "engines/export/ExportTablesRun.h"

#include "engines/export/ExportFileName.h"
#include "engines/io/Compression.h"
#include "engines/run/RunConnection.h"
#include "engines/run/SnapshotSession.h"
#include "engines/sql/ColumnSelection.h"
#include "engines/sql/TableDefinition.h"
#include "model/SafeFolder.h"
#include "mysql/ServerFeatures.h"
#include "mysql/ServerProbes.h"
#include "mysql/SqlNames.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <variant>

namespace kelvanto
{

ExportTablesRun::ExportTablesRun(RunContext& context, const Connector& connector, FileSink& sink)
    : m_sink(sink)
    , m_context(context, sink)
    , m_connector(connector)
    , m_task(m_context.TaskCopy())
    , m_writer(m_task.exportSettings, m_task.extras.exportUnixLineEnds ? "\n" : "\r\n")
{
    m_sink.SetCompression(m_task.extras.compression, m_task.extras.compressionLevel);
}

RunOutcome ExportTablesRun::Run()
{
    const RunOutcome outcome = RunSteps();
    // A file still open here was cut short: it never takes its name.
    m_sink.Abandon();
    m_sink.SetCompression(Compression::None, 0);
    m_registration.reset();
    m_connection.reset();
    return outcome;
}

RunOutcome ExportTablesRun::RunSteps()
{
    if (Quit())
        return RunOutcome::Cancelled;
    const ExportSettings& settings = m_task.exportSettings;
    const std::vector<TableItem>& list = m_task.exportTables;
    if (list.empty()) {
        LogError("There are not any tables or views in the export queue!");
        return RunOutcome::Failed;
    }
    // The program's own "Data" folder; it may exist already.
    if (!m_context.DataFolder().empty()) {
        std::error_code ignored;
        std::filesystem::create_directory(m_context.DataFolder() / "Data", ignored);
    }
    if (settings.directory.empty()) {
        LogError("Export directory name is empty!");
        return RunOutcome::Failed;
    }
    if (!ExportWriter::KnowsFileType(settings.fileType)) {
        LogError("Unknown export file type " + std::to_string(settings.fileType) + "!");
        return RunOutcome::Failed;
    }
    // One level, an existing folder is no error; a folder that cannot be made shows as files
    // that cannot be created.
    std::string folder = settings.directory;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    ::mkdir(folder.c_str(), 0777);
    // The task's own temporary names, and what a killed run of it left removed.
    m_sink.SetTemporaryTag(PartialTag(m_task.logFileName));
    RemoveStalePartials(folder, m_sink.temporaryTag(), false);
    if (Quit())
        return RunOutcome::Cancelled;

    if (!Connect())
        return m_connectStopped ? RunOutcome::Cancelled : RunOutcome::Failed;
    if (Quit())
        return RunOutcome::Cancelled;
    NegotiateCharset(*m_connection, false);
    if (Quit())
        return RunOutcome::Cancelled;
    if (m_task.extras.consistentSnapshot && !StartSnapshot())
        return RunOutcome::Failed;
    LogInfo("Exporting " + std::to_string(list.size()) + " selected tables and views...");

    std::size_t exported = 0;
    for (std::size_t index = 0; index < list.size(); ++index) {
        const Entry entry = ExportEntry(index);
        // A file ends with its entry and takes its name when whole; one that a failure or a
        // stop ended early is removed.
        if (entry == Entry::Cancelled)
            return RunOutcome::Cancelled;
        if (entry != Entry::Exported) {
            m_sink.Abandon();
            continue;
        }
        if (m_sink.Close())
            ++exported;
        else if (!m_sink.lastError().empty())
            LogError("Failed to save the export file! - " + m_sink.lastError());
    }

    m_registration.reset();
    m_connection.reset();
    LogInfo("Exported " + std::to_string(exported) + " tables and views");
    // A file that could not be written whole fails the run.
    if (m_fileFailed)
        return RunOutcome::Failed;
    LogInfo("Finished");
    return RunOutcome::Finished;
}

bool ExportTablesRun::StartSnapshot()
{
    // The queue grouped by database, as the snapshot names the tables it does not cover.
    std::vector<DatabaseItem> databases;
    for (const TableItem& table : m_task.exportTables) {
        auto it = std::find_if(databases.begin(), databases.end(),
            [&](const DatabaseItem& database) { return database.name == table.database; });
        if (it == databases.end())
            it = databases.insert(databases.end(), DatabaseItem {1, table.database, {}});
        it->tables.push_back(TableItem {2, table.kind, table.database, table.name});
    }
    // An export has none of a backup's switches that a snapshot turns off.
    BackupSettings none;
    return StartRunSnapshot(m_context, *m_connection, none, databases).has_value();
}

bool ExportTablesRun::Connect()
{
    OpenedConnection opened
        = OpenRunConnection(m_context, m_connector, m_task.source, "source", "Failed to connect to the MySQL server!");
    m_connectStopped = opened.stopped;
    m_connection = std::move(opened.connection);
    if (!m_connection)
        return false;
    m_registration.emplace(m_context, *m_connection);
    LogInfo("Successfully connected to the MySQL server!  MySQL version: " + m_connection->ServerInfo());
    m_quoting = ServerFeatures::ForVersion(m_connection->ServerVersion()).quoteNames;
    return true;
}

bool ExportTablesRun::WriteGathered(const std::string& path)
{
    const bool written = m_sink.Append(path, m_text) && m_sink.Flush();
    m_text.clear();
    return written;
}

ExportTablesRun::Entry ExportTablesRun::ExportEntry(std::size_t index)
{
    if (Quit())
        return Entry::Cancelled;
    const TableItem& entry = m_task.exportTables[index];
    const std::string path = CompressedFileName(
        BuildExportFileName(m_task.exportSettings, m_task.exportTables, index), m_sink.compression());
    LogInfo(std::string(entry.kind == 2 ? "Exporting the view " : "Exporting the table ") + entry.database + "."
        + entry.name + " to " + path + " ...");
    if (!m_connection->SelectDatabase(entry.database)) {
        if (Quit())
            return Entry::Cancelled;
        LogError("Can't use database (" + entry.database + ")!");
        return Entry::Skipped;
    }
    if (Quit())
        return Entry::Cancelled;
    NegotiateCharset(*m_connection, true);
    if (Quit())
        return Entry::Cancelled;
    m_progress = RunProgress {};
    m_progress.object = entry.database + "." + entry.name;
    m_progress.rowsEstimate = ReadTableStatus(*m_connection, entry.name).rowsEstimate;
    m_context.ReportProgress(m_progress);
    if (!m_sink.Create(path)) {
        m_fileFailed = true;
        LogError("Failed to create the export file - " + path + "!" + m_sink.LastErrorCause());
        return Entry::Skipped;
    }
    if (Quit())
        return Entry::Cancelled;
    // Asked so that an object the server does not know is reported as before.
    if (!m_connection->ListFields(entry.name)) {
        if (Quit())
            return Entry::Cancelled;
        LogWarning("Failed to list fields!");
        return Entry::Skipped;
    }
    if (Quit())
        return Entry::Cancelled;
    return ExportRows(entry, path);
}

ExportTablesRun::Entry ExportTablesRun::ExportRows(const TableItem& entry, const std::string& path)
{
    // Every column that SELECT * gives, and the INVISIBLE ones, which it leaves out.
    const ColumnSelection selection = ReadColumnSelection(
        *m_connection, entry.name, ServerFeatures::ForVersion(m_connection->ServerVersion()), ColumnPurpose::Export);
    if (Quit())
        return Entry::Cancelled;
    if (!m_connection->Query("SELECT " + selection.SelectList() + " FROM " + QuoteName(entry.name, m_quoting))) {
        if (Quit())
            return Entry::Cancelled;
        LogWarning("Failed to select all records!");
        return Entry::Skipped;
    }
    if (Quit())
        return Entry::Cancelled;
    std::unique_ptr<ResultSet> result = m_connection->UseResult();
    if (!result) {
        LogWarning("Record set is empty!");
        return Entry::Skipped;
    }
    if (Quit())
        return Entry::Cancelled;
    const std::vector<FieldInfo>& columns = result->Fields();
    m_writer.AppendHeader(m_text, columns);
    if (!WriteGathered(path)) {
        m_fileFailed = true;
        LogError("Failed to write the fields title to the file!" + m_sink.LastErrorCause());
        return Entry::Skipped;
    }
    if (Quit())
        return Entry::Cancelled;

    // Rows are gathered in the sink and written a buffer at a time. Once a write failed, the
    // file takes no more bytes: that is reported once, and the rest of the rows are not read.
    std::uint64_t rows = 0;
    bool failed = false;
    RowView row;
    while (result->FetchRow(row)) {
        m_writer.AppendRow(m_text, row, columns, *m_connection);
        const bool appended = m_sink.Append(path, m_text);
        m_text.clear();
        if (!appended) {
            failed = true;
            break;
        }
        ++rows;
        m_progress.rowsDone = rows;
        m_context.ReportProgress(m_progress);
        if (Quit())
            return Entry::Cancelled;
    }
    if (!failed && !m_sink.Flush())
        failed = true;
    if (failed) {
        m_fileFailed = true;
        LogError("Failed to write records to the file!" + m_sink.LastErrorCause());
    }
    // The end of the rows and a broken read look alike; only the connection tells them apart.
    // A file cut short must not be reported as exported.
    if (!failed && m_connection->ErrorNumber() != 0) {
        if (Quit())
            return Entry::Cancelled;
        LogError("Failed to read the records of the " + std::string(entry.kind == 2 ? "view " : "table ") + entry.name
            + "!  Error NO. " + std::to_string(m_connection->ErrorNumber()) + "  " + m_connection->ErrorText());
        return Entry::Skipped;
    }
    result.reset();

    m_writer.AppendFooter(m_text);
    if (!m_text.empty() && !WriteGathered(path)) {
        m_fileFailed = true;
        LogError("Failed to write the end string to the file!" + m_sink.LastErrorCause());
    }
    LogInfo("Exported " + std::to_string(rows) + " records from the " + (entry.kind == 2 ? "view " : "table ")
        + entry.database + "." + entry.name);
    if (Quit())
        return Entry::Cancelled;
    return Entry::Exported;
}

} // namespace kelvanto
