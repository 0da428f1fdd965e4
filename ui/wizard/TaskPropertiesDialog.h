#pragma once

#include "model/Task.h"
#include "ui/wizard/TaskPageSession.h"

#include <QDialog>

#include <vector>

class QTabWidget;

namespace kelvanto
{

class TaskDialogContext;
class TaskPage;

// The property sheet of an existing task. In edit mode ("Edit Task - NAME - TITLE") it shows
// the wizard's pages for the task's type, without the summary, on a copy of the task: OK
// checks the pages in order (a refusal brings its page to the front) and then takes every
// page's values into the copy. In read-only mode ("Task Properties - NAME - TITLE") it shows
// the read-only pages and OK only closes.
class TaskPropertiesDialog : public QDialog
{
    Q_OBJECT

public:
    TaskPropertiesDialog(TaskDialogContext& context, SheetMode mode, const Task& task, QWidget* parent = nullptr);
    ~TaskPropertiesDialog() override;

    // The copy with the pages' values (after OK in edit mode).
    const Task& task() const { return m_task; }
    const std::vector<TaskPage*>& pages() const { return m_pages; }
    QTabWidget* tabs() const { return m_tabs; }

    void accept() override;

private:
    Task m_task;
    TaskDialogContext& m_context;
    TaskPageSession m_session;
    QTabWidget* m_tabs;
    std::vector<TaskPage*> m_pages;
};

} // namespace kelvanto
