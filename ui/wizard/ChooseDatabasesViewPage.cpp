#include "ui/wizard/ChooseDatabasesViewPage.h"

#include "ui/TaskDialogContext.h"
#include "ui/wizard/BackupOptionsBox.h"
#include "ui/wizard/ReadOnlyTexts.h"

#include <QTreeWidget>
#include <QVBoxLayout>

namespace kelvanto
{

ChooseDatabasesViewPage::ChooseDatabasesViewPage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_tree(new QTreeWidget(this))
    , m_options(new BackupOptionsBox(BackupOptionsBox::Scope::AllDatabases, session.context().help(), this))
{
    m_tree->setObjectName("databases");
    m_tree->setHeaderHidden(true);
    m_options->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_options);
}

QString ChooseDatabasesViewPage::title() const
{
    return tr("Databases and Tables");
}

void ChooseDatabasesViewPage::load(const Task& task)
{
    m_options->load(task);
    m_tree->clear();
    for (const DatabaseItem& database : task.databases) {
        if (database.checkState == 0)
            continue;
        auto* top = new QTreeWidgetItem(m_tree, {QString::fromStdString(database.name)});
        for (const TableItem& table : database.tables) {
            if (table.checkState != 0)
                new QTreeWidgetItem(top, {wizard::tableLabel(table)});
        }
    }
    m_tree->expandAll();
}

} // namespace kelvanto
