#include "ui/wizard/TaskWizard.h"

#include "model/TaskExtras.h"
#include "ui/HelpOpener.h"
#include "ui/TaskDialogContext.h"
#include "ui/wizard/SummaryPage.h"
#include "ui/wizard/TaskPageSet.h"
#include "ui/wizard/WelcomePage.h"
#include "ui/wizard/WizardChecks.h"
#include "ui/wizard/WizardPageHost.h"
#include "ui/wizard/WizardTexts.h"

namespace kelvanto
{

namespace
{

Task Prepared(Task task, int typeCode)
{
    task.type = wizard::normalizedTaskType(typeCode);
    task.extras = NewTaskExtras(task.type);
    wizard::emptyListsUnusedBy(task);
    return task;
}

} // namespace

TaskWizard::TaskWizard(TaskDialogContext& context, int typeCode, QWidget* parent, const Task& initial)
    : QWizard(parent)
    , m_task(Prepared(initial, typeCode))
    , m_context(context)
    , m_session(context, SheetMode::Wizard, m_task.type, std::string())
{
    setObjectName("taskWizard");
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::HaveHelpButton, true);
    setOption(QWizard::NoBackButtonOnStartPage, false);
    m_session.setLoadedSource(m_task.source);

    std::vector<TaskPage*> pages {new WelcomePage(m_session, this)};
    for (TaskPage* page : makeTaskPages(m_session, this))
        pages.push_back(page);
    pages.push_back(new SummaryPage(m_session, this));
    for (TaskPage* page : pages) {
        page->load(m_task);
        auto* host = new WizardPageHost(*this, page);
        m_hosts.push_back(host);
        addPage(host);
    }
    connect(this, &QWizard::currentIdChanged, this, &TaskWizard::showCaption);
    connect(this, &QWizard::helpRequested, this,
        [this] { m_context.help().openTopic(QString::fromStdString(wizard::taskTypeHelpTopic(m_task.type))); });
    resize(640, 500);
    showCaption(0);
}

TaskWizard::~TaskWizard() = default;

TaskPage* TaskWizard::stepPage(int step) const
{
    if (step < 0 || step >= static_cast<int>(m_hosts.size()))
        return nullptr;
    return m_hosts[static_cast<std::size_t>(step)]->page();
}

void TaskWizard::showCaption(int id)
{
    const int step = std::max(0, id);
    if (step == 0)
        setWindowTitle(wizard::tr(wizard::kWelcomeCaption));
    else
        setWindowTitle(QString::fromStdString(wizard::stepCaption(m_task.type, step)));
}

} // namespace kelvanto
