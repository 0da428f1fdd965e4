#pragma once

#include "ui/wizard/TaskPage.h"

class QCheckBox;
class QTreeWidget;

namespace kelvanto
{

class RestoreThreadsField;

// The read-only restore files page: the files with "SN" from 1 and the size in whole KB, and
// the two error switches.
class RestoreFilesViewPage : public TaskPage
{
    Q_OBJECT

public:
    explicit RestoreFilesViewPage(TaskPageSession& session, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;

private:
    QTreeWidget* m_list;
    QCheckBox* m_continueOnSqlError;
    QCheckBox* m_continueOnFileError;
    RestoreThreadsField* m_threads;
};

} // namespace kelvanto
