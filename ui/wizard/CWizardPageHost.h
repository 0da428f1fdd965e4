#pragma once

#include <QWizardPage>

namespace kelvanto
{

class CTaskWizardSheet;
class TaskPage;

// A wizard step around a task page: entering it lets the page prepare itself from the task
// built so far; Next asks the page to validate and then to save into the task.
class CWizardPageHost : public QWizardPage
{
    Q_OBJECT

public:
    CWizardPageHost(CTaskWizardSheet& sheet, TaskPage* page);

    TaskPage* page() const { return m_page; }

    void initializePage() override;
    bool validatePage() override;

private:
    CTaskWizardSheet& m_sheet;
    TaskPage* m_page;
};

} // namespace kelvanto
