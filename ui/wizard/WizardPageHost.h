#pragma once

#include <QWizardPage>

namespace kelvanto
{

class TaskWizard;
class TaskPage;

// A wizard step around a task page: entering it lets the page prepare itself from the task
// built so far; Next asks the page to validate and then to save into the task.
class WizardPageHost : public QWizardPage
{
    Q_OBJECT

public:
    WizardPageHost(TaskWizard& sheet, TaskPage* page);

    TaskPage* page() const { return m_page; }

    void initializePage() override;
    bool validatePage() override;

private:
    TaskWizard& m_sheet;
    TaskPage* m_page;
};

} // namespace kelvanto
