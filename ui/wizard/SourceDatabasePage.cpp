#include "ui/wizard/SourceDatabasePage.h"

#include "ui/wizard/ListingComboBox.h"
#include "ui/wizard/ServerFieldsBox.h"
#include "ui/wizard/WizardTexts.h"

#include <QFormLayout>
#include <QVBoxLayout>

namespace kelvanto
{

namespace
{

QStringList Names(const std::vector<DatabaseItem>& databases)
{
    QStringList names;
    for (const DatabaseItem& database : databases)
        names << QString::fromStdString(database.name);
    return names;
}

} // namespace

SourceDatabasePage::SourceDatabasePage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_box(new ServerFieldsBox(session, wizard::tr(wizard::kSourceServerTitle), this))
    , m_database(new ListingComboBox(this))
{
    m_box->setObjectName("sourceServer");
    m_database->setObjectName("database");
    m_database->setLister([this]() -> std::optional<QStringList> {
        if (const std::string fault = m_box->check(); !fault.empty()) {
            refuse(m_box->faultField(), fault);
            return std::nullopt;
        }
        auto databases = listDatabases(m_box->current());
        if (!databases)
            return std::nullopt;
        return Names(*databases);
    });
    auto* form = new QFormLayout;
    form->addRow(tr("Source database"), m_database);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_box);
    layout->addLayout(form);
    layout->addStretch(1);
}

QString SourceDatabasePage::title() const
{
    return tr("Source Database");
}

void SourceDatabasePage::load(const Task& task)
{
    m_box->load(task.source);
    m_database->setChosen(QString::fromStdString(task.source.database));
}

ServerConnection SourceDatabasePage::current() const
{
    ServerConnection server = m_box->current();
    if (m_database->currentIndex() >= 0)
        server.database = m_database->currentText().toStdString();
    return server;
}

bool SourceDatabasePage::validate()
{
    if (const std::string fault = m_box->check(); !fault.empty())
        return refuse(m_box->faultField(), fault);
    if (m_database->currentIndex() < 0)
        return refuse(m_database, wizard::tr(wizard::kChooseSourceDatabase));
    if (m_database->currentText().isEmpty())
        return refuse(m_database, wizard::tr(wizard::kDatabaseNameEmpty));
    if (wizard()) {
        auto tables = listTables(current());
        if (!tables) {
            m_database->setFocus(Qt::OtherFocusReason);
            return false;
        }
        session().handOverTables(std::move(*tables));
    }
    return true;
}

void SourceDatabasePage::save(Task& task)
{
    task.source = current();
}

} // namespace kelvanto
