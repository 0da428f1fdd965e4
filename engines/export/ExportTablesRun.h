#pragma once

#include "engines/export/ExportWriter.h"
#include "engines/io/FileSink.h"
#include "engines/io/SinkFlushingContext.h"
#include "model/Task.h"
#include "mysql/Connection.h"
#include "schedule/RunContext.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace kelvanto
{

// One run of an "Export to CSV/XML/HTML/TEXT files" task: connects to the source server and
// writes one file per entry of the export list, each read with one unbuffered SELECT and
// written row by row through the file sink, which has written and closed the last file when
// Run() returns, however the run ended. Lives for one run on the task's worker thread.
class ExportTablesRun
{
public:
    ExportTablesRun(RunContext& context, const Connector& connector, FileSink& sink);
    ExportTablesRun(const ExportTablesRun&) = delete;
    ExportTablesRun& operator=(const ExportTablesRun&) = delete;

    RunOutcome Run();

private:
    // How one entry ended: written (it counts as exported), left early, or stopped.
    enum class Entry : std::uint8_t {
        Exported,
        Skipped,
        Cancelled,
    };

    bool Quit() { return m_context.QuitRequested(); }
    void LogInfo(const std::string& text) { m_context.Log(LogLevel::General, text); }
    void LogWarning(const std::string& text) { m_context.Log(LogLevel::Warning, text); }
    void LogError(const std::string& text) { m_context.Log(LogLevel::Error, text); }

    RunOutcome RunSteps();
    bool Connect();
    // One snapshot that every table of the queue is read in; false, logged, when it failed.
    bool StartSnapshot();
    Entry ExportEntry(std::size_t index);
    Entry ExportRows(const TableItem& entry, const std::string& path);
    // Appends the text gathered in m_text to the file and writes it out; false on a failure.
    bool WriteGathered(const std::string& path);

    FileSink& m_sink;
    // The only context the run uses: it writes the sink's gathered bytes before each log line.
    SinkFlushingContext m_context;
    const Connector& m_connector;
    Task m_task;
    ExportWriter m_writer;

    // Declared before the registration so that the registration ends first.
    std::unique_ptr<Connection> m_connection;
    std::optional<CancellableRegistration> m_registration;
    bool m_connectStopped = false; // a stop ended the connection attempt
    bool m_quoting = false;
    std::string m_text; // reused for every piece of every file
    RunProgress m_progress; // of the entry being exported
    // A file of the run could not be created or written whole: the run fails.
    bool m_fileFailed = false;
};

} // namespace kelvanto
