#pragma once

#include "ui/wizard/TaskPage.h"

class QFormLayout;

namespace kelvanto
{

// The read-only export file page: "CSV File  (Table Export)" and the like, the directory and
// the separators (shown as the escapes they were typed as).
class ExportFilesViewPage : public TaskPage
{
    Q_OBJECT

public:
    explicit ExportFilesViewPage(TaskPageSession& session, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;

private:
    QFormLayout* m_form;
};

} // namespace kelvanto
