#pragma once

#include "schedule/LogRecord.h"

#include <QDialog>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QTableWidget;

namespace kelvanto
{

class FileDialogs;
class HelpOpener;
class Messages;
class TaskLog;

// The "Task Log" window of one task: its records with an icon by level, the last 200 on
// opening and on Refresh, all of them with Display All; Empty logs; exports to CSV, LOG and
// TXT files; Help. It is not modal, and it follows the log: records written while it is open
// (a task that runs) appear within a second, in the view chosen last.
class TaskLogDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr std::size_t kLastRecords = 200;
    static constexpr const char* kHelpTopic = "::/introduction/tasklog.html";
    static constexpr std::chrono::milliseconds kFollowInterval {1000};

    struct Services
    {
        Messages& messages;
        HelpOpener& help;
        FileDialogs& fileDialogs;
    };
    TaskLogDialog(TaskLog& log, const std::string& taskName, const std::string& logFileName, int dateFormat,
        int timeFormat, Services services, QWidget* parent = nullptr);

    const std::vector<LogRecord>& records() const { return m_records; }

    // The task's current name by its id; nullopt once the task is gone.
    using NameLookup = std::function<std::optional<std::string>(const std::string& taskId)>;
    // Ties the window to its task: the title follows a rename, and a deleted task's window
    // closes.
    void followTask(const std::string& taskId, NameLookup lookup);
    // One step of the following (the timer's): the task's name, then the log read again if
    // its file changed since it was read.
    void follow();

    void refresh();
    void displayAll();
    void emptyLogs();
    void exportCsv();
    void exportLog();
    void exportTxt();

private:
    // What tells that the log file changed: its size and time of change (nullopt: no file).
    struct FileState
    {
        std::uintmax_t size = 0;
        std::filesystem::file_time_type time;
        bool operator==(const FileState&) const = default;
    };
    // "Task Log - NAME".
    static QString titleFor(const std::string& taskName);
    std::optional<FileState> logFileState() const;
    void showRecords(std::vector<LogRecord> records);
    // The chosen export file, or empty (nothing loaded: the warning; cancelled: nothing). The
    // filter is an untranslated text, marked where it is written.
    QString chooseExportFile(const char* filter, const char* suffix);
    // An export that could not be written is an error the user sees, not a silent nothing.
    void reportExport(bool written, const QString& file);

    TaskLog& m_log;
    std::string m_logFileName;
    int m_dateFormat;
    int m_timeFormat;
    Services m_services;
    QTableWidget* m_table;
    std::vector<LogRecord> m_records;
    bool m_showAll = false;
    std::optional<FileState> m_readState;
    std::string m_taskId;
    NameLookup m_nameOf;
    std::string m_taskName;
    QTimer m_followTimer;
};

} // namespace kelvanto
