#pragma once

#include "ui/wizard/TaskPage.h"

class QListWidget;

namespace kelvanto
{

// The read-only export tables page: the export list in order, views marked " (View)".
class SelectTablesViewPage : public TaskPage
{
    Q_OBJECT

public:
    explicit SelectTablesViewPage(TaskPageSession& session, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;

private:
    QListWidget* m_list;
};

} // namespace kelvanto
