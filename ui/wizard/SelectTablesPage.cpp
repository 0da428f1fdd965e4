#include "ui/wizard/SelectTablesPage.h"

#include "ui/wizard/ReadOnlyTexts.h"
#include "ui/wizard/WizardTexts.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace kelvanto
{

namespace
{

bool SameObject(const TableItem& a, const TableItem& b)
{
    return a.database == b.database && a.name == b.name;
}

QString ExportLabel(const TableItem& table)
{
    return QString::fromStdString(table.database) + QLatin1Char('.') + wizard::exportTableLabel(table);
}

} // namespace

SelectTablesPage::SelectTablesPage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_database(new QComboBox(this))
    , m_available(new QListWidget(this))
    , m_export(new QListWidget(this))
{
    m_database->setObjectName("database");
    m_available->setObjectName("available");
    m_export->setObjectName("exportTables");
    m_available->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_export->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(m_database, &QComboBox::currentIndexChanged, this, &SelectTablesPage::showAvailable);

    auto* moves = new QVBoxLayout;
    moves->addStretch(1);
    const std::pair<const char*, const char*> kMoves[]
        = {{"add", ">"}, {"addAll", ">>"}, {"remove", "<"}, {"removeAll", "<<"}};
    for (const auto& [name, text] : kMoves) {
        auto* button = new QPushButton(QString::fromUtf8(text), this);
        button->setObjectName(name);
        moves->addWidget(button);
        const std::string which = name;
        connect(button, &QPushButton::clicked, this, [this, which] {
            if (which == "add" || which == "addAll")
                add(which == "addAll");
            else
                remove(which == "removeAll");
        });
    }
    moves->addStretch(1);
    auto* refresh = new QPushButton(tr("&Refresh"), this);
    refresh->setObjectName("refresh");
    connect(refresh, &QPushButton::clicked, this, &SelectTablesPage::refresh);

    auto* form = new QFormLayout;
    form->addRow(tr("Source database"), m_database);
    auto* lists = new QGridLayout;
    lists->addLayout(form, 0, 0);
    lists->addWidget(refresh, 0, 2);
    lists->addWidget(m_available, 1, 0);
    lists->addLayout(moves, 1, 1);
    lists->addWidget(m_export, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
}

QString SelectTablesPage::title() const
{
    return tr("Export Tables");
}

void SelectTablesPage::load(const Task& task)
{
    m_chosen = task.exportTables;
    // Until the server is read, the databases are those of the export tables.
    std::vector<DatabaseItem> databases;
    for (const TableItem& table : m_chosen) {
        if (std::none_of(databases.begin(), databases.end(),
                [&](const DatabaseItem& database) { return database.name == table.database; })) {
            DatabaseItem database;
            database.name = table.database;
            databases.push_back(database);
        }
    }
    showDatabases(std::move(databases));
    showChosen();
}

void SelectTablesPage::enter(const Task&)
{
    if (auto databases = session().takeDatabases())
        showDatabases(std::move(*databases));
}

void SelectTablesPage::showDatabases(std::vector<DatabaseItem> databases)
{
    const QString chosen = m_database->currentText();
    m_server = std::move(databases);
    {
        const QSignalBlocker block(m_database);
        m_database->clear();
        for (const DatabaseItem& database : m_server)
            m_database->addItem(QString::fromStdString(database.name));
        m_database->setCurrentIndex(m_database->findText(chosen));
    }
    showAvailable();
}

std::vector<TableItem> SelectTablesPage::available() const
{
    const int index = m_database->currentIndex();
    if (index < 0 || index >= static_cast<int>(m_server.size()))
        return {};
    std::vector<TableItem> tables;
    for (TableItem table : m_server[static_cast<std::size_t>(index)].tables) {
        table.database = m_server[static_cast<std::size_t>(index)].name;
        table.checkState = 2;
        if (std::none_of(m_chosen.begin(), m_chosen.end(), [&](const TableItem& c) { return SameObject(c, table); }))
            tables.push_back(std::move(table));
    }
    return tables;
}

void SelectTablesPage::showAvailable()
{
    m_available->clear();
    for (const TableItem& table : available())
        m_available->addItem(wizard::tableLabel(table));
}

void SelectTablesPage::showChosen()
{
    m_export->clear();
    for (const TableItem& table : m_chosen)
        m_export->addItem(ExportLabel(table));
}

void SelectTablesPage::add(bool all)
{
    if (m_database->currentIndex() < 0) {
        refuse(m_database, wizard::tr(wizard::kChooseDatabases));
        return;
    }
    const std::vector<TableItem> available = this->available();
    std::vector<TableItem> adding;
    for (int row = 0; row < m_available->count() && row < static_cast<int>(available.size()); ++row) {
        if (all || m_available->item(row)->isSelected())
            adding.push_back(available[static_cast<std::size_t>(row)]);
    }
    if (adding.empty() && !all) {
        refuse(m_available, wizard::tr(wizard::kChooseSourceTables));
        return;
    }
    m_chosen.insert(m_chosen.end(), adding.begin(), adding.end());
    showChosen();
    showAvailable();
}

void SelectTablesPage::remove(bool all)
{
    std::set<int> rows;
    for (int row = 0; row < m_export->count(); ++row) {
        if (all || m_export->item(row)->isSelected())
            rows.insert(row);
    }
    if (rows.empty() && !all) {
        refuse(m_export, wizard::tr(wizard::kChooseSourceTables));
        return;
    }
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        m_chosen.erase(m_chosen.begin() + *row);
    showChosen();
    showAvailable();
}

void SelectTablesPage::refresh()
{
    if (auto databases = listDatabases(session().currentSource()))
        showDatabases(std::move(*databases));
}

bool SelectTablesPage::validate()
{
    if (m_chosen.empty())
        return refuse(m_export, wizard::tr(wizard::kAddExportTables));
    return true;
}

void SelectTablesPage::save(Task& task)
{
    task.exportTables = m_chosen;
}

} // namespace kelvanto
