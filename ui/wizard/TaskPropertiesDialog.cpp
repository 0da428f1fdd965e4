#include "ui/wizard/TaskPropertiesDialog.h"

#include "ui/HelpOpener.h"
#include "ui/TaskDialogContext.h"
#include "ui/wizard/TaskPage.h"
#include "ui/wizard/TaskPageSet.h"
#include "ui/wizard/WizardTexts.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kelvanto
{

TaskPropertiesDialog::TaskPropertiesDialog(
    TaskDialogContext& context, SheetMode mode, const Task& task, QWidget* parent)
    : QDialog(parent)
    , m_task(task)
    , m_context(context)
    , m_session(context, mode == SheetMode::View ? SheetMode::View : SheetMode::Edit,
          wizard::normalizedTaskType(static_cast<int>(task.type)), task.name)
    , m_tabs(new QTabWidget(this))
{
    setObjectName("taskPropertySheet");
    m_tabs->setObjectName("pages");
    const TaskType type = m_session.type();
    const bool view = m_session.mode() == SheetMode::View;
    setWindowTitle(view ? wizard::propertiesCaption(task.name, type) : wizard::editCaption(task.name, type));
    m_session.setLoadedSource(task.source);
    m_session.setPageShower([this](TaskPage* page) { m_tabs->setCurrentWidget(page); });

    m_pages = makeTaskPages(m_session, this);
    for (TaskPage* page : m_pages) {
        page->load(m_task);
        m_tabs->addTab(page, page->title());
    }

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QDialogButtonBox::Ok);
    ok->setObjectName("ok");
    if (!view)
        buttons->addButton(QDialogButtonBox::Cancel)->setObjectName("cancel");
    buttons->addButton(QDialogButtonBox::Help)->setObjectName("help");
    connect(buttons, &QDialogButtonBox::accepted, this, &TaskPropertiesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this,
        [this, type] { m_context.help().openTopic(QString::fromStdString(wizard::taskTypeHelpTopic(type))); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    resize(640, 500);
}

TaskPropertiesDialog::~TaskPropertiesDialog() = default;

void TaskPropertiesDialog::accept()
{
    if (m_session.mode() == SheetMode::Edit) {
        for (TaskPage* page : m_pages) {
            if (!page->validate())
                return;
        }
        for (TaskPage* page : m_pages)
            page->save(m_task);
    }
    QDialog::accept();
}

} // namespace kelvanto
