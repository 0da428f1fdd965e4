#include "ui/wizard/ChooseTablesPage.h"

#include "ui/TaskDialogContext.h"
#include "ui/wizard/BackupOptionsBox.h"
#include "ui/wizard/DatabaseChoices.h"
#include "ui/wizard/ReadOnlyTexts.h"
#include "ui/wizard/WizardTexts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace kelvanto
{

ChooseTablesPage::ChooseTablesPage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_list(new QListWidget(this))
    , m_options(new BackupOptionsBox(BackupOptionsBox::Scope::OneDatabase, session.context().help(), this))
{
    m_list->setObjectName("tables");
    connect(m_list, &QListWidget::itemChanged, this, [this] { m_changed = true; });

    auto* buttons = new QVBoxLayout;
    const std::pair<const char*, QString> kButtons[] = {{"refresh", tr("&Refresh")}, {"selectAll", tr("Select &All")},
        {"deselectAll", tr("&Deselect All")}, {"invert", tr("&Invert")}};
    for (const auto& [name, text] : kButtons) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(name);
        buttons->addWidget(button);
        const std::string which = name;
        connect(button, &QPushButton::clicked, this, [this, which] {
            if (which == "refresh")
                refresh();
            else
                setAll(which == "deselectAll" ? 0 : which == "selectAll" ? 1 : 2);
        });
    }
    buttons->addStretch(1);
    auto* top = new QGridLayout;
    top->addWidget(m_list, 0, 0);
    top->addLayout(buttons, 0, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(m_options);
}

QString ChooseTablesPage::title() const
{
    return tr("Source Tables");
}

void ChooseTablesPage::load(const Task& task)
{
    m_options->setVerificationProfiles(session().context().serverNames());
    m_options->load(task);
    m_loaded = task.databases;
    showTables(m_loaded.empty() ? std::vector<TableItem>() : m_loaded.front().tables);
    m_changed = false;
}

void ChooseTablesPage::showTables(const std::vector<TableItem>& tables)
{
    m_shown = tables;
    const QSignalBlocker block(m_list);
    m_list->clear();
    for (const TableItem& table : tables) {
        auto* item = new QListWidgetItem(wizard::tableLabel(table), m_list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(table.checkState != 0 ? Qt::Checked : Qt::Unchecked);
    }
}

std::vector<TableItem> ChooseTablesPage::chosenTables() const
{
    std::vector<TableItem> tables = m_shown;
    for (int i = 0; i < m_list->count() && i < static_cast<int>(tables.size()); ++i)
        tables[static_cast<std::size_t>(i)].checkState = m_list->item(i)->checkState() == Qt::Checked ? 2 : 0;
    return tables;
}

void ChooseTablesPage::setAll(int how)
{
    for (int i = 0; i < m_list->count(); ++i) {
        QListWidgetItem* item = m_list->item(i);
        const bool checked = how == 2 ? item->checkState() != Qt::Checked : how == 1;
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
    m_changed = true;
}

void ChooseTablesPage::enter(const Task&)
{
    if (auto tables = session().takeTables()) {
        showTables(wizard::carryTableChoices(std::move(*tables), chosenTables(), false));
        m_changed = true;
    }
}

void ChooseTablesPage::refresh()
{
    if (!ask(wizard::kRefreshTablesQuestion))
        return;
    auto tables = listTables(session().currentSource());
    if (!tables)
        return;
    showTables(wizard::carryTableChoices(std::move(*tables), chosenTables(), false));
    m_changed = true;
}

bool ChooseTablesPage::validate()
{
    if (!m_options->structureOrRecords())
        return refuse(m_options->structureBox(), wizard::tr(wizard::kChooseStructureOrRecords));
    const std::vector<TableItem> tables = chosenTables();
    const bool anyChosen
        = std::any_of(tables.begin(), tables.end(), [](const TableItem& table) { return table.checkState != 0; });
    if (!anyChosen) {
        if (!m_options->newTables())
            return refuse(m_list, wizard::tr(wizard::kChooseSourceTables));
        if (!ask(wizard::kNoTablesQuestion)) {
            m_list->setFocus(Qt::OtherFocusReason);
            return false;
        }
    }
    return true;
}

void ChooseTablesPage::save(Task& task)
{
    m_options->save(task);
    const std::string database = session().currentSource().database;
    if (!m_changed && !m_loaded.empty() && m_loaded.front().name == database) {
        task.databases = m_loaded;
        return;
    }
    DatabaseItem item;
    item.name = database;
    item.tables = chosenTables();
    for (TableItem& table : item.tables)
        table.database = database;
    item.checkState = wizard::databaseCheckState(item.tables, true);
    // With no table chosen but the newly-created ones asked for, the database still takes part.
    if (item.checkState == 0 && m_options->newTables())
        item.checkState = 1;
    task.databases = {item};
}

} // namespace kelvanto
