#include "ui/TaskListModel.h"

#include "model/TaskTexts.h"
#include "schedule/DateFormat.h"

#include <QApplication>
#include <QStyle>

#include <algorithm>

namespace kelvanto
{

namespace
{

QString Stamp(const TimeStamp& stamp, int dateFormat, int timeFormat)
{
    if (stamp.year <= 0)
        return {};
    return QString::fromStdString(FormatDateTime(stamp, dateFormat, timeFormat, false));
}

QIcon ResultIcon(RunResult result)
{
    QStyle::StandardPixmap pixmap = QStyle::SP_MessageBoxCritical;
    switch (result) {
    case RunResult::Succeeded:
        pixmap = QStyle::SP_DialogApplyButton;
        break;
    case RunResult::CompletedWithErrors:
        pixmap = QStyle::SP_MessageBoxWarning;
        break;
    case RunResult::Cancelled:
        pixmap = QStyle::SP_DialogCancelButton;
        break;
    case RunResult::Failed:
        break;
    }
    return QApplication::style()->standardIcon(pixmap);
}

} // namespace

TaskListModel::Row TaskListModel::makeRow(
    const Task& task, int dateFormat, int timeFormat, QString progress, const std::optional<kelvanto::LastRun>& last)
{
    Row row {QString::fromStdString(task.name), QString::fromStdString(TaskStatusText(task.status)),
        Stamp(task.lastRunTime, dateFormat, timeFormat), Stamp(task.nextRunTime, dateFormat, timeFormat),
        QString::fromStdString(TaskTypeText(task.type)), QString::fromStdString(ScheduleKindText(task.schedule.kind)),
        std::move(progress), task.taskId, {}, {}, std::nullopt, {}};
    if (task.extras.unreadable) {
        row.extrasProblem = tr("Does not run: its extra settings cannot be read (%1)")
                                .arg(QString::fromStdString(task.extras.unreadable->problem));
    }
    if (last) {
        row.lastResult = QString::fromStdString(RunEndWord(last->end));
        const QString line
            = last->ended ? QString::fromStdString(RunEndLine(last->end)) : tr("The run was cut off before its end");
        row.lastResultDetail
            = line + QLatin1String(" (") + Stamp(last->time, dateFormat, timeFormat) + QLatin1Char(')');
        row.result = last->end.result;
    }
    return row;
}

TaskListModel::Row TaskListModel::rowOf(const Task& task, int dateFormat, int timeFormat) const
{
    return makeRow(task, dateFormat, timeFormat, m_progress ? m_progress(task) : QString(),
        m_result ? m_result(task) : std::nullopt);
}

TaskListModel::TaskListModel(QObject* parent)
    : QAbstractTableModel(parent)
    , m_icon(QStringLiteral(":/kelvanto/kelvanto.svg"))
{ }

void TaskListModel::refresh(const std::vector<Task>& tasks, int dateFormat, int timeFormat)
{
    const std::size_t kept = std::min(tasks.size(), m_rows.size());
    for (std::size_t i = 0; i < kept; ++i) {
        Row row = rowOf(tasks[i], dateFormat, timeFormat);
        if (row == m_rows[i])
            continue;
        m_rows[i] = std::move(row);
        const int r = static_cast<int>(i);
        emit dataChanged(index(r, 0), index(r, ColumnCount - 1));
    }
    if (m_rows.size() > tasks.size()) {
        beginRemoveRows({}, static_cast<int>(tasks.size()), static_cast<int>(m_rows.size()) - 1);
        m_rows.resize(tasks.size());
        endRemoveRows();
    } else if (tasks.size() > m_rows.size()) {
        beginInsertRows({}, static_cast<int>(m_rows.size()), static_cast<int>(tasks.size()) - 1);
        for (std::size_t i = m_rows.size(); i < tasks.size(); ++i)
            m_rows.push_back(rowOf(tasks[i], dateFormat, timeFormat));
        endInsertRows();
    }
}

void TaskListModel::rebuild(const std::vector<Task>& tasks, int dateFormat, int timeFormat)
{
    beginResetModel();
    m_rows.clear();
    for (const Task& task : tasks)
        m_rows.push_back(rowOf(task, dateFormat, timeFormat));
    endResetModel();
}

int TaskListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int TaskListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TaskListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row& row = m_rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::ToolTipRole) {
        const QString text = data(index, Qt::DisplayRole).toString();
        if (index.column() == LastResult)
            return row.lastResultDetail;
        if (index.column() == Name && !row.extrasProblem.isEmpty())
            return text + QLatin1Char('\n') + row.extrasProblem;
        return row.progress.isEmpty() ? text : text + QLatin1Char('\n') + row.progress;
    }
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case Name:
            return row.name;
        case Status:
            return row.status;
        case LastRun:
            return row.lastRun;
        case NextRun:
            return row.nextRun;
        case Type:
            return row.type;
        case ScheduleKindColumn:
            return row.schedule;
        case LastResult:
            return row.lastResult;
        default:
            return {};
        }
    }
    if (role == Qt::DecorationRole && index.column() == Name && !row.extrasProblem.isEmpty())
        return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    if (role == Qt::DecorationRole && index.column() == Name)
        return m_icon;
    if (role == Qt::DecorationRole && index.column() == LastResult && row.result)
        return ResultIcon(*row.result);
    if (role == Qt::TextAlignmentRole) {
        const bool centred = index.column() == Type || index.column() == ScheduleKindColumn;
        return QVariant::fromValue(Qt::Alignment(centred ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter)));
    }
    return {};
}

QVariant TaskListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole) {
        static const char* const kHeaders[] = {QT_TR_NOOP("Task Name"), QT_TR_NOOP("Status"), QT_TR_NOOP("Last Run"),
            QT_TR_NOOP("Next Run"), QT_TR_NOOP("Task Type"), QT_TR_NOOP("Schedule"), QT_TR_NOOP("Last Result")};
        return section >= 0 && section < ColumnCount ? tr(kHeaders[section]) : QVariant();
    }
    if (role == Qt::TextAlignmentRole) {
        const bool centred = section == Type || section == ScheduleKindColumn;
        return QVariant::fromValue(Qt::Alignment(centred ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter)));
    }
    return {};
}

int TaskListModel::columnWidthOf(int column)
{
    static const int kWidths[] = {180, 90, 180, 180, 220, 100, 120};
    return column >= 0 && column < ColumnCount ? kWidths[column] : 100;
}

} // namespace kelvanto
