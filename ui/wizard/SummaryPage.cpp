#include "ui/wizard/SummaryPage.h"

#include "ui/wizard/TaskSummary.h"
#include "ui/wizard/ViewWidgets.h"
#include "ui/wizard/WizardTexts.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace kelvanto
{

SummaryPage::SummaryPage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_summary(new QPlainTextEdit(this))
{
    m_summary->setObjectName("summary");
    m_summary->setReadOnly(true);
    auto* finish = new QLabel(wizard::tr(wizard::kClickFinish), this);
    finish->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(wizard::tr(wizard::kTaskInformation), this));
    layout->addWidget(m_summary, 1);
    layout->addWidget(finish);
}

QString SummaryPage::title() const
{
    return tr("Task Summary");
}

void SummaryPage::load(const Task& task)
{
    enter(task);
}

void SummaryPage::enter(const Task& task)
{
    m_summary->setPlainText(shownText(wizard::buildTaskSummary(task)));
}

} // namespace kelvanto
