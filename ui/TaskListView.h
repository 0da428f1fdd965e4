#pragma once

#include "model/Task.h"

#include <QTimer>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <vector>

class QItemSelectionModel;
class QHeaderView;
class QListView;
class QStackedWidget;
class QTreeView;

namespace kelvanto
{

class TaskListModel;

// The task list: one row per task in list order, in one of four view modes (0 Large Icons,
// 1 Details, 2 Small Icons, 3 List; it starts in Details), several rows selectable. The rows
// are refreshed from the tasks once a second from the first time the view is shown.
class TaskListView : public QWidget
{
    Q_OBJECT

public:
    enum ViewMode {
        LargeIcons = 0,
        Details = 1,
        SmallIcons = 2,
        List = 3,
    };

    // tasks: a copy of every task in list order; formats: the date and time display options.
    using TaskSource = std::function<std::vector<Task>()>;
    using FormatSource = std::function<std::pair<int, int>()>;
    TaskListView(TaskSource tasks, FormatSource formats, QWidget* parent = nullptr);

    TaskListModel& model() const { return *m_model; }
    // The column header of the Details view (its widths are kept between starts).
    QHeaderView& detailsHeader() const;
    int mode() const { return m_mode; }
    void setMode(int mode);

    // The selected rows, first to last.
    std::vector<std::size_t> selectedRows() const;
    // Makes exactly these rows selected, the first one current, and scrolls to `scrollTo`.
    void selectRows(const std::vector<std::size_t>& rows, std::size_t scrollTo);
    void selectAll();

    // Sets every row from its task (what the timer does every second).
    void refreshRows();
    // Deletes every row and inserts one per task.
    void rebuildRows();
    // The once-a-second refresh; Load From pauses it while the list is replaced.
    void stopRefresh() { m_refresh.stop(); }
    void startRefresh() { m_refresh.start(); }
    bool refreshing() const { return m_refresh.isActive(); }

signals:
    void selectionChanged();
    // The rows were refreshed (the enabling of the commands may follow).
    void refreshed();
    void contextMenuRequested(const QPoint& globalPos);
    // A row was double-clicked.
    void rowActivated();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TaskSource m_tasks;
    FormatSource m_formats;
    TaskListModel* m_model;
    QItemSelectionModel* m_selection;
    QStackedWidget* m_stack;
    QTreeView* m_details;
    QListView* m_icons;
    int m_mode = Details;
    QTimer m_refresh;
    bool m_shown = false;
};

} // namespace kelvanto
