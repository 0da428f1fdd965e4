#pragma once

#include "model/NewTask.h"
#include "model/Task.h"
#include "ui/wizard/TaskPageSession.h"

#include <QWizard>

#include <vector>

namespace kelvanto
{

class WizardPageHost;
class TaskDialogContext;
class TaskPage;

// The task wizard of one task type: the welcome page, the type's steps and the summary. The
// caption names the type and the step; every step checks its input on Next and writes it into
// the task being built, which Finish hands back (task()).
class TaskWizard : public QWizard
{
    Q_OBJECT

public:
    // typeCode outside 1-8 is taken as 1. initial is the task to start from (a new task by
    // default); the lists its type does not use are emptied.
    TaskWizard(TaskDialogContext& context, int typeCode, QWidget* parent = nullptr,
        const Task& initial = NewTask(TaskType::BackupToFiles));
    ~TaskWizard() override;

    Task& task() { return m_task; }
    const Task& task() const { return m_task; }
    TaskType type() const { return m_task.type; }
    // The page of a step: 0 the welcome page, 1 to the step count (the last is the summary).
    TaskPage* stepPage(int step) const;
    int stepTotal() const { return static_cast<int>(m_hosts.size()) - 1; }

private:
    void showCaption(int id);

    Task m_task;
    TaskDialogContext& m_context;
    TaskPageSession m_session;
    std::vector<WizardPageHost*> m_hosts;
};

} // namespace kelvanto
