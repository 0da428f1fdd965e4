#pragma once

#include "schedule/LogRecord.h"

#include <QDialog>

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
// TXT files; Help.
class TaskLogDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr std::size_t kLastRecords = 200;
    static constexpr const char* kHelpTopic = "::/introduction/tasklog.html";

    struct Services
    {
        Messages& messages;
        HelpOpener& help;
        FileDialogs& fileDialogs;
    };
    TaskLogDialog(TaskLog& log, const std::string& taskName, const std::string& logFileName, int dateFormat,
        int timeFormat, Services services, QWidget* parent = nullptr);

    const std::vector<LogRecord>& records() const { return m_records; }

    void refresh();
    void displayAll();
    void emptyLogs();
    void exportCsv();
    void exportLog();
    void exportTxt();

private:
    void showRecords(std::vector<LogRecord> records);
    // The chosen export file, or empty (nothing loaded: the warning; cancelled: nothing).
    QString chooseExportFile(const char* filter, const char* suffix);

    TaskLog& m_log;
    std::string m_logFileName;
    int m_dateFormat;
    int m_timeFormat;
    Services m_services;
    QTableWidget* m_table;
    std::vector<LogRecord> m_records;
};

} // namespace kelvanto
