#include "ui/wizard/WelcomePage.h"

#include "ui/wizard/WizardTexts.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kelvanto
{

WelcomePage::WelcomePage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_text(new QLabel(this))
{
    m_text->setObjectName("welcomeText");
    m_text->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addStretch(1);
}

QString WelcomePage::title() const
{
    return wizard::tr(wizard::kWelcomeCaption);
}

void WelcomePage::load(const Task& task)
{
    m_text->setText(wizard::tr(wizard::kWelcomeText) + QString::fromStdString(wizard::taskTypeTitle(task.type)));
}

} // namespace kelvanto
