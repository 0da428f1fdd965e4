#include "ui/wizard/WizardPageHost.h"

#include "ui/wizard/TaskPage.h"
#include "ui/wizard/TaskWizard.h"

#include <QVBoxLayout>

namespace kelvanto
{

WizardPageHost::WizardPageHost(TaskWizard& sheet, TaskPage* page)
    : m_sheet(sheet)
    , m_page(page)
{
    setTitle(page->title());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(page);
}

void WizardPageHost::initializePage()
{
    m_page->enter(m_sheet.task());
}

bool WizardPageHost::validatePage()
{
    if (!m_page->validate())
        return false;
    m_page->save(m_sheet.task());
    return true;
}

} // namespace kelvanto
