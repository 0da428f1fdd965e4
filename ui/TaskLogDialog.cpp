#include "ui/TaskLogDialog.h"

#include "schedule/DateFormat.h"
#include "schedule/LogExport.h"
#include "schedule/TaskLog.h"
#include "ui/FileDialogs.h"
#include "ui/HelpOpener.h"
#include "ui/Messages.h"
#include "ui/UiTexts.h"

#include <QHeaderView>
#include <QMenuBar>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include <unistd.h>

namespace kelvanto
{

namespace
{

QIcon LevelIcon(LogLevel level, QWidget* widget)
{
    const QStyle::StandardPixmap pixmap = level == LogLevel::General ? QStyle::SP_MessageBoxInformation
        : level == LogLevel::Warning                                 ? QStyle::SP_MessageBoxWarning
                                                                     : QStyle::SP_MessageBoxCritical;
    return widget->style()->standardIcon(pixmap, nullptr, widget);
}

} // namespace

TaskLogDialog::TaskLogDialog(TaskLog& log, const std::string& taskName, const std::string& logFileName, int dateFormat,
    int timeFormat, Services services, QWidget* parent)
    : QDialog(parent)
    , m_log(log)
    , m_logFileName(logFileName)
    , m_dateFormat(dateFormat)
    , m_timeFormat(timeFormat)
    , m_services(services)
    , m_table(new QTableWidget(0, 3, this))
    , m_taskName(taskName)
{
    setObjectName("taskLogDialog");
    setWindowTitle(titleFor(taskName));
    setWindowFlag(Qt::WindowMaximizeButtonHint);

    m_table->setObjectName("logList");
    m_table->setHorizontalHeaderLabels({tr("SN"), tr("Date & Time"), tr("Information")});
    m_table->setColumnWidth(0, 70);
    m_table->setColumnWidth(1, 200);
    m_table->setColumnWidth(2, 720);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setShowGrid(true);
    m_table->setWordWrap(false);

    auto* menuBar = new QMenuBar(this);
    QMenu* logMenu = menuBar->addMenu(tr("&Log"));
    logMenu->addAction(tr("&Display All"), this, &TaskLogDialog::displayAll)->setObjectName("displayAll");
    logMenu->addAction(tr("&Refresh"), this, &TaskLogDialog::refresh)->setObjectName("refresh");
    logMenu->addAction(tr("&Empty logs"), this, &TaskLogDialog::emptyLogs)->setObjectName("emptyLogs");
    logMenu->addAction(tr("&Close"), this, &QDialog::accept)->setObjectName("close");
    QMenu* exportMenu = menuBar->addMenu(tr("&Export"));
    exportMenu->addAction(tr("Export to &CSV file..."), this, &TaskLogDialog::exportCsv)->setObjectName("exportCsv");
    exportMenu->addAction(tr("Export to &LOG file..."), this, &TaskLogDialog::exportLog)->setObjectName("exportLog");
    exportMenu->addAction(tr("Export to &TXT file..."), this, &TaskLogDialog::exportTxt)->setObjectName("exportTxt");
    QMenu* helpMenu = menuBar->addMenu(tr("&Help"));
    helpMenu->addAction(tr("&Help"), this, [this] { m_services.help.openTopic(QLatin1String(kHelpTopic)); })
        ->setObjectName("help");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(menuBar);
    layout->addWidget(m_table);
    resize(760, 420);
    refresh();

    m_followTimer.setInterval(kFollowInterval);
    connect(&m_followTimer, &QTimer::timeout, this, &TaskLogDialog::follow);
    m_followTimer.start();
}

QString TaskLogDialog::titleFor(const std::string& taskName)
{
    return tr("Task Log - %1").arg(QString::fromStdString(taskName));
}

void TaskLogDialog::followTask(const std::string& taskId, NameLookup lookup)
{
    m_taskId = taskId;
    m_nameOf = std::move(lookup);
}

void TaskLogDialog::follow()
{
    if (m_nameOf) {
        const std::optional<std::string> name = m_nameOf(m_taskId);
        if (!name) {
            m_followTimer.stop();
            close();
            return;
        }
        if (*name != m_taskName) {
            m_taskName = *name;
            setWindowTitle(titleFor(m_taskName));
        }
    }
    if (logFileState() == m_readState)
        return;
    if (m_showAll)
        displayAll();
    else
        refresh();
}

std::optional<TaskLogDialog::FileState> TaskLogDialog::logFileState() const
{
    const auto path = m_log.PathOf(m_logFileName);
    if (!path)
        return std::nullopt;
    std::error_code error;
    FileState state;
    state.size = std::filesystem::file_size(*path, error);
    if (error)
        return std::nullopt;
    state.time = std::filesystem::last_write_time(*path, error);
    if (error)
        return std::nullopt;
    return state;
}

void TaskLogDialog::refresh()
{
    m_showAll = false;
    m_readState = logFileState();
    showRecords(m_log.ReadLastLogRecords(m_logFileName, kLastRecords));
}

void TaskLogDialog::displayAll()
{
    m_showAll = true;
    m_readState = logFileState();
    showRecords(m_log.ReadLog(m_logFileName));
}

void TaskLogDialog::showRecords(std::vector<LogRecord> records)
{
    m_records = std::move(records);
    m_table->clearContents();
    m_table->setRowCount(static_cast<int>(m_records.size()));
    for (std::size_t i = 0; i < m_records.size(); ++i) {
        const LogRecord& record = m_records[i];
        const int row = static_cast<int>(i);
        auto* sn = new QTableWidgetItem(LevelIcon(record.level, this), QString::number(row + 1));
        const TimeStamp& t = record.time;
        auto* time = new QTableWidgetItem(QString::fromStdString(FormatDateTime(
            t.year, t.month, t.day, t.hour, t.minute, t.second, t.dayOfWeek, m_dateFormat, m_timeFormat, true)));
        auto* message = new QTableWidgetItem(QString::fromStdString(record.message));
        m_table->setItem(row, 0, sn);
        m_table->setItem(row, 1, time);
        m_table->setItem(row, 2, message);
    }
    if (!m_records.empty()) {
        m_table->selectRow(static_cast<int>(m_records.size()) - 1);
        m_table->scrollToItem(m_table->item(static_cast<int>(m_records.size()) - 1, 0));
    }
}

void TaskLogDialog::emptyLogs()
{
    const auto path = m_log.PathOf(m_logFileName);
    if (m_records.empty() || !path || ::access(path->c_str(), W_OK) != 0) {
        m_services.messages.warning(this, texts::tr(texts::kNoTaskLogs));
        return;
    }
    if (!m_services.messages.ask(this, texts::tr(texts::kEmptyLogsQuestion)))
        return;
    m_log.DeleteLog(m_logFileName);
    m_readState = logFileState();
    showRecords({});
}

QString TaskLogDialog::chooseExportFile(const char* filter, const char* suffix)
{
    if (m_records.empty()) {
        m_services.messages.warning(this, texts::tr(texts::kNoTaskLogs));
        return {};
    }
    return m_services.fileDialogs.saveFile(this, tr(filter), QLatin1String(suffix));
}

void TaskLogDialog::reportExport(bool written, const QString& file)
{
    if (!written)
        m_services.messages.error(this, tr("The task log could not be written to %1.").arg(file));
}

void TaskLogDialog::exportCsv()
{
    const QString file = chooseExportFile(QT_TR_NOOP("Task Log files(*.csv)"), "csv");
    if (!file.isEmpty())
        reportExport(ExportLogCsv(m_records, file.toStdString(), m_dateFormat, m_timeFormat), file);
}

void TaskLogDialog::exportLog()
{
    const QString file = chooseExportFile(QT_TR_NOOP("Task Log files(*.log)"), "log");
    if (!file.isEmpty())
        reportExport(ExportLogFile(m_log, m_logFileName, file.toStdString()), file);
}

void TaskLogDialog::exportTxt()
{
    const QString file = chooseExportFile(QT_TR_NOOP("Task Log files(*.txt)"), "txt");
    if (!file.isEmpty())
        reportExport(ExportLogTxt(m_records, file.toStdString(), m_dateFormat, m_timeFormat), file);
}

} // namespace kelvanto
