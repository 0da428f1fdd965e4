#pragma once

#include "model/Task.h"
#include "schedule/RunResult.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvanto
{

// The rows of the task list: one per task, in list order, with the columns "Task Name",
// "Status", "Last Run", "Next Run", "Task Type", "Schedule" and "Last Result". Every row has
// the task icon (a warning sign for a task whose extras cannot be read, which does not run,
// with the reason in the name's tooltip); the last result has an icon of its own (OK,
// errors, failed, cancelled). A cell's tooltip is its text; a running task's cells add the
// progress of its run, the last result adds its end line and time.
class TaskListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        Name,
        Status,
        LastRun,
        NextRun,
        Type,
        ScheduleKindColumn,
        LastResult,
        ColumnCount,
    };

    // The text of one row, built from a task with the date and time display options.
    struct Row
    {
        QString name;
        QString status;
        QString lastRun;
        QString nextRun;
        QString type;
        QString schedule;
        QString progress; // of a running task; empty when none
        std::string taskId;
        QString lastResult; // "OK", "Errors (3)", "Failed", "Cancelled"; empty when none
        QString lastResultDetail; // its end line and time, for the tooltip
        std::optional<RunResult> result;
        // Why the task does not run: its extras could not be read; empty when they could.
        QString extrasProblem;
        bool operator==(const Row&) const = default;
    };
    static Row makeRow(const Task& task, int dateFormat, int timeFormat, QString progress = {},
        const std::optional<kelvanto::LastRun>& last = std::nullopt);

    // The progress text of a task (empty when it has none), asked for every row at each
    // refresh.
    using ProgressSource = std::function<QString(const Task&)>;
    void setProgressSource(ProgressSource source) { m_progress = std::move(source); }
    // The last result of a task (nullopt when none), asked for every row at each refresh.
    using ResultSource = std::function<std::optional<kelvanto::LastRun>(const Task&)>;
    void setResultSource(ResultSource source) { m_result = std::move(source); }

    explicit TaskListModel(QObject* parent = nullptr);

    // Sets row i from task i, appends rows for new tasks and deletes rows past the last task;
    // rows that did not change are left alone, so that the selection stays.
    void refresh(const std::vector<Task>& tasks, int dateFormat, int timeFormat);
    // Deletes every row and inserts one per task (start-up, Load From).
    void rebuild(const std::vector<Task>& tasks, int dateFormat, int timeFormat);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The width of each column in the Details view.
    static int columnWidthOf(int column);

    // The row as it shows now (row < rowCount()).
    const Row& rowAt(std::size_t row) const { return m_rows[row]; }

private:
    Row rowOf(const Task& task, int dateFormat, int timeFormat) const;

    ProgressSource m_progress;
    ResultSource m_result;
    std::vector<Row> m_rows;
    QIcon m_icon;
};

} // namespace kelvanto
