#include "ui/wizard/CMainPage.h"

#include "ui/wizard/WizardTexts.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kelvanto
{

CMainPage::CMainPage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_text(new QLabel(this))
{
    m_text->setObjectName("welcomeText");
    m_text->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addStretch(1);
}

QString CMainPage::title() const
{
    return wizard::kWelcomeCaption;
}

void CMainPage::load(const Task& task)
{
    m_text->setText(QString::fromUtf8(wizard::kWelcomeText) + QString::fromStdString(wizard::TaskTypeTitle(task.type)));
}

} // namespace kelvanto
