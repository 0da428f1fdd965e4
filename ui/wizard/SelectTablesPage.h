#pragma once

#include "ui/wizard/TaskPage.h"

#include <vector>

class QComboBox;
class QListWidget;

namespace kelvanto
{

// The tables and views to export, in export order: a source-database list, that database's
// tables and views on the left, the export tables on the right, moved with ">", ">>", "<"
// and "<<". Refresh reads the server's databases again.
class SelectTablesPage : public TaskPage
{
    Q_OBJECT

public:
    explicit SelectTablesPage(TaskPageSession& session, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;
    void enter(const Task& task) override;
    bool validate() override;
    void save(Task& task) override;

private:
    void showDatabases(std::vector<DatabaseItem> databases);
    void showAvailable();
    void showChosen();
    // The tables of the chosen database that are not export tables yet.
    std::vector<TableItem> available() const;
    void add(bool all);
    void remove(bool all);
    void refresh();

    std::vector<DatabaseItem> m_server;
    std::vector<TableItem> m_chosen;
    QComboBox* m_database;
    QListWidget* m_available;
    QListWidget* m_export;
};

} // namespace kelvanto
