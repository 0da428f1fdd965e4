#include "ui/wizard/ChooseDatabasesPage.h"

#include "ui/TaskDialogContext.h"
#include "ui/wizard/BackupOptionsBox.h"
#include "ui/wizard/DatabaseChoices.h"
#include "ui/wizard/ReadOnlyTexts.h"
#include "ui/wizard/WizardTexts.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kelvanto
{

namespace
{

Qt::CheckState check(bool chosen)
{
    return chosen ? Qt::Checked : Qt::Unchecked;
}

} // namespace

ChooseDatabasesPage::ChooseDatabasesPage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_tree(new QTreeWidget(this))
    , m_refresh(new QPushButton(tr("&Refresh"), this))
    , m_options(new BackupOptionsBox(BackupOptionsBox::Scope::AllDatabases, session.context().help(), this))
{
    m_tree->setObjectName("databases");
    m_refresh->setObjectName("refresh");
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    connect(m_tree, &QTreeWidget::itemChanged, this, [this] { m_changed = true; });
    connect(m_refresh, &QPushButton::clicked, this, &ChooseDatabasesPage::refresh);

    auto* top = new QHBoxLayout;
    top->addStretch(1);
    top->addWidget(m_refresh);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_options);
}

QString ChooseDatabasesPage::title() const
{
    return tr("Databases and Tables");
}

void ChooseDatabasesPage::load(const Task& task)
{
    m_options->setVerificationProfiles(session().context().serverNames());
    m_options->load(task);
    m_loaded = task.databases;
    showDatabases(m_loaded);
    m_changed = false;
}

void ChooseDatabasesPage::showDatabases(const std::vector<DatabaseItem>& databases)
{
    m_shown = databases;
    const QSignalBlocker block(m_tree);
    m_tree->clear();
    for (const DatabaseItem& database : databases) {
        auto* top = new QTreeWidgetItem(m_tree, {QString::fromStdString(database.name)});
        top->setFlags(top->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsAutoTristate);
        top->setCheckState(0, check(database.checkState != 0));
        for (const TableItem& table : database.tables) {
            auto* child = new QTreeWidgetItem(top, {wizard::tableLabel(table)});
            child->setFlags(child->flags() | Qt::ItemIsUserCheckable);
            child->setCheckState(0, check(table.checkState != 0));
        }
        // A database chosen in part opens, so that its choice shows.
        top->setExpanded(top->checkState(0) == Qt::PartiallyChecked);
    }
}

std::vector<DatabaseItem> ChooseDatabasesPage::chosen() const
{
    if (!m_changed)
        return m_loaded;
    std::vector<DatabaseItem> databases = m_shown;
    for (int i = 0; i < m_tree->topLevelItemCount() && i < static_cast<int>(databases.size()); ++i) {
        const QTreeWidgetItem* top = m_tree->topLevelItem(i);
        DatabaseItem& database = databases[static_cast<std::size_t>(i)];
        for (int j = 0; j < top->childCount() && j < static_cast<int>(database.tables.size()); ++j)
            database.tables[static_cast<std::size_t>(j)].checkState
                = top->child(j)->checkState(0) == Qt::Checked ? 2 : 0;
        database.checkState = wizard::databaseCheckState(database.tables, top->checkState(0) != Qt::Unchecked);
    }
    return databases;
}

void ChooseDatabasesPage::enter(const Task&)
{
    if (auto databases = session().takeDatabases()) {
        const std::vector<DatabaseItem> earlier = chosen();
        showDatabases(wizard::carryDatabaseChoices(std::move(*databases), earlier));
        m_changed = true;
    }
}

void ChooseDatabasesPage::refresh()
{
    if (!ask(wizard::kRefreshDatabasesQuestion))
        return;
    auto databases = listDatabases(session().currentSource());
    if (!databases)
        return;
    const std::vector<DatabaseItem> earlier = chosen();
    showDatabases(wizard::carryDatabaseChoices(std::move(*databases), earlier));
    m_changed = true;
}

bool ChooseDatabasesPage::validate()
{
    if (!m_options->structureOrRecords())
        return refuse(m_options->structureBox(), wizard::tr(wizard::kChooseStructureOrRecords));
    const std::vector<DatabaseItem> databases = chosen();
    const bool anyChosen = std::any_of(
        databases.begin(), databases.end(), [](const DatabaseItem& database) { return database.checkState != 0; });
    if (!anyChosen) {
        if (!m_options->newDatabases())
            return refuse(m_tree, wizard::tr(wizard::kChooseDatabasesOrTables));
        if (!ask(wizard::kNoDatabasesQuestion)) {
            m_tree->setFocus(Qt::OtherFocusReason);
            return false;
        }
    }
    return true;
}

void ChooseDatabasesPage::save(Task& task)
{
    m_options->save(task);
    task.databases = chosen();
}

} // namespace kelvanto
