#pragma once

#include "ui/wizard/TaskPage.h"

#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace kelvanto
{

class BackupOptionsBox;

// The tables and views of the one source database, ticked as chosen, with Refresh, Select All,
// Deselect All and Invert. The task keeps them as its one database item.
class ChooseTablesPage : public TaskPage
{
    Q_OBJECT

public:
    explicit ChooseTablesPage(TaskPageSession& session, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;
    void enter(const Task& task) override;
    bool validate() override;
    void save(Task& task) override;

private:
    void showTables(const std::vector<TableItem>& tables);
    std::vector<TableItem> chosenTables() const;
    void setAll(int how); // 0 deselect, 1 select, 2 invert
    void refresh();

    QListWidget* m_list;
    BackupOptionsBox* m_options;
    std::vector<DatabaseItem> m_loaded;
    std::vector<TableItem> m_shown;
    bool m_changed = false;
};

} // namespace kelvanto
