#pragma once

#include "ui/wizard/TaskPage.h"

class QListWidget;

namespace kelvanto
{

class BackupOptionsBox;

// The read-only tables page of the database-to-database types: the chosen tables and views of
// the source database, and the backup options.
class ChooseTablesViewPage : public TaskPage
{
    Q_OBJECT

public:
    explicit ChooseTablesViewPage(TaskPageSession& session, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;

private:
    QListWidget* m_list;
    BackupOptionsBox* m_options;
};

} // namespace kelvanto
