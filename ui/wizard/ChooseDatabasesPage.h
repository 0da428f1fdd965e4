#pragma once

#include "ui/wizard/TaskPage.h"

#include <vector>

class QPushButton;
class QTreeWidget;

namespace kelvanto
{

class BackupOptionsBox;

// The databases and tables to back up or copy: a tree of the source server's databases with
// their tables and views, ticked as chosen. The wizard fills it from what the server page
// read; the property sheet shows the task's own list until Refresh reads the server again.
class ChooseDatabasesPage : public TaskPage
{
    Q_OBJECT

public:
    explicit ChooseDatabasesPage(TaskPageSession& session, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;
    void enter(const Task& task) override;
    bool validate() override;
    void save(Task& task) override;

    // The tree as the task stores it: every database with every table, each with its choice.
    std::vector<DatabaseItem> chosen() const;

private:
    void showDatabases(const std::vector<DatabaseItem>& databases);
    void refresh();

    QTreeWidget* m_tree;
    QPushButton* m_refresh;
    BackupOptionsBox* m_options;
    // The task's list as loaded, kept as it is while the user changes nothing in the tree.
    std::vector<DatabaseItem> m_loaded;
    std::vector<DatabaseItem> m_shown;
    bool m_changed = false;
};

} // namespace kelvanto
