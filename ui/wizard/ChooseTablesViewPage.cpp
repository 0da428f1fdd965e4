#include "ui/wizard/ChooseTablesViewPage.h"

#include "ui/TaskDialogContext.h"
#include "ui/wizard/BackupOptionsBox.h"
#include "ui/wizard/ReadOnlyTexts.h"

#include <QListWidget>
#include <QVBoxLayout>

namespace kelvanto
{

ChooseTablesViewPage::ChooseTablesViewPage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_list(new QListWidget(this))
    , m_options(new BackupOptionsBox(BackupOptionsBox::Scope::OneDatabase, session.context().help(), this))
{
    m_list->setObjectName("tables");
    m_options->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_options);
}

QString ChooseTablesViewPage::title() const
{
    return tr("Source Tables");
}

void ChooseTablesViewPage::load(const Task& task)
{
    m_options->load(task);
    m_list->clear();
    for (const DatabaseItem& database : task.databases) {
        for (const TableItem& table : database.tables) {
            if (table.checkState != 0)
                m_list->addItem(wizard::tableLabel(table));
        }
    }
}

} // namespace kelvanto
