#include "ui/wizard/CWizardPageHost.h"

#include "ui/wizard/CTaskWizardSheet.h"
#include "ui/wizard/TaskPage.h"

#include <QVBoxLayout>

namespace kelvanto
{

CWizardPageHost::CWizardPageHost(CTaskWizardSheet& sheet, TaskPage* page)
    : m_sheet(sheet)
    , m_page(page)
{
    setTitle(page->title());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(page);
}

void CWizardPageHost::initializePage()
{
    m_page->enter(m_sheet.task());
}

bool CWizardPageHost::validatePage()
{
    if (!m_page->validate())
        return false;
    m_page->save(m_sheet.task());
    return true;
}

} // namespace kelvanto
