#include "ui/wizard/SelectTablesViewPage.h"

#include "ui/wizard/ReadOnlyTexts.h"

#include <QListWidget>
#include <QVBoxLayout>

namespace kelvanto
{

SelectTablesViewPage::SelectTablesViewPage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_list(new QListWidget(this))
{
    m_list->setObjectName("exportTables");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
}

QString SelectTablesViewPage::title() const
{
    return tr("Export Tables");
}

void SelectTablesViewPage::load(const Task& task)
{
    m_list->clear();
    for (const TableItem& table : task.exportTables)
        m_list->addItem(QString::fromStdString(table.database) + QLatin1Char('.') + wizard::exportTableLabel(table));
}

} // namespace kelvanto
