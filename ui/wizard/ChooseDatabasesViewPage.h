#pragma once

#include "ui/wizard/TaskPage.h"

class QTreeWidget;

namespace kelvanto
{

class BackupOptionsBox;

// The read-only databases page: the chosen databases with their chosen tables and views
// (" (Table)" or " (View)" after each name), and the backup options.
class ChooseDatabasesViewPage : public TaskPage
{
    Q_OBJECT

public:
    explicit ChooseDatabasesViewPage(TaskPageSession& session, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;

private:
    QTreeWidget* m_tree;
    BackupOptionsBox* m_options;
};

} // namespace kelvanto
