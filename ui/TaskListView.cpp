#include "ui/TaskListView.h"

#include "ui/TaskListModel.h"

#include <QHeaderView>
#include <QListView>
#include <QStackedWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace kelvanto
{

QHeaderView& TaskListView::detailsHeader() const
{
    return *m_details->header();
}

TaskListView::TaskListView(TaskSource tasks, FormatSource formats, QWidget* parent)
    : QWidget(parent)
    , m_tasks(std::move(tasks))
    , m_formats(std::move(formats))
    , m_model(new TaskListModel(this))
    , m_selection(new QItemSelectionModel(m_model, this))
    , m_stack(new QStackedWidget(this))
    , m_details(new QTreeView(this))
    , m_icons(new QListView(this))
{
    setObjectName("tasksView");
    m_details->setObjectName("detailsView");
    m_icons->setObjectName("iconsView");
    for (QAbstractItemView* view : std::initializer_list<QAbstractItemView*> {m_details, m_icons}) {
        view->setModel(m_model);
        view->setSelectionModel(m_selection);
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this,
            [this, view](const QPoint& pos) { emit contextMenuRequested(view->viewport()->mapToGlobal(pos)); });
        connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
            if (index.isValid())
                emit rowActivated();
        });
    }
    m_details->setRootIsDecorated(false);
    m_details->setUniformRowHeights(true);
    m_details->setAllColumnsShowFocus(true);
    m_details->setItemsExpandable(false);
    m_details->header()->setStretchLastSection(false);
    for (int column = 0; column < TaskListModel::ColumnCount; ++column)
        m_details->setColumnWidth(column, TaskListModel::columnWidthOf(column));
    m_icons->setModelColumn(TaskListModel::Name);
    m_icons->setResizeMode(QListView::Adjust);
    m_icons->setWrapping(true);
    m_icons->setUniformItemSizes(true);

    m_stack->addWidget(m_details);
    m_stack->addWidget(m_icons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_stack);

    connect(m_selection, &QItemSelectionModel::selectionChanged, this, &TaskListView::selectionChanged);
    m_refresh.setInterval(1000);
    connect(&m_refresh, &QTimer::timeout, this, &TaskListView::refreshRows);
    setMode(Details);
}

void TaskListView::setMode(int mode)
{
    m_mode = std::clamp(mode, 0, 3);
    if (m_mode == Details) {
        m_stack->setCurrentWidget(m_details);
        return;
    }
    const int size = m_mode == LargeIcons ? 32 : 16;
    m_icons->setIconSize(QSize(size, size));
    if (m_mode == LargeIcons) {
        m_icons->setViewMode(QListView::IconMode);
        m_icons->setFlow(QListView::LeftToRight);
        m_icons->setGridSize(QSize(110, 64));
        m_icons->setWordWrap(true);
    } else {
        m_icons->setViewMode(QListView::ListMode);
        m_icons->setFlow(m_mode == SmallIcons ? QListView::LeftToRight : QListView::TopToBottom);
        m_icons->setGridSize(m_mode == SmallIcons ? QSize(180, 22) : QSize());
        m_icons->setWordWrap(false);
    }
    m_icons->setWrapping(true);
    m_icons->setMovement(QListView::Static);
    m_stack->setCurrentWidget(m_icons);
}

std::vector<std::size_t> TaskListView::selectedRows() const
{
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : m_selection->selectedRows(TaskListModel::Name))
        rows.push_back(static_cast<std::size_t>(index.row()));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TaskListView::selectRows(const std::vector<std::size_t>& rows, std::size_t scrollTo)
{
    QItemSelection selection;
    for (const std::size_t row : rows) {
        const int r = static_cast<int>(row);
        selection.select(m_model->index(r, 0), m_model->index(r, TaskListModel::ColumnCount - 1));
    }
    m_selection->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!rows.empty())
        m_selection->setCurrentIndex(m_model->index(static_cast<int>(rows.front()), 0), QItemSelectionModel::NoUpdate);
    const QModelIndex target = m_model->index(static_cast<int>(scrollTo), 0);
    if (target.isValid()) {
        m_details->scrollTo(target);
        m_icons->scrollTo(target);
    }
}

void TaskListView::selectAll()
{
    std::vector<std::size_t> rows(static_cast<std::size_t>(m_model->rowCount()));
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = i;
    selectRows(rows, 0);
}

void TaskListView::refreshRows()
{
    const auto [dateFormat, timeFormat] = m_formats();
    m_model->refresh(m_tasks(), dateFormat, timeFormat);
    emit refreshed();
}

void TaskListView::rebuildRows()
{
    const auto [dateFormat, timeFormat] = m_formats();
    m_model->rebuild(m_tasks(), dateFormat, timeFormat);
    emit refreshed();
}

void TaskListView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        m_refresh.start();
    }
}

} // namespace kelvanto
