#include "ui/wizard/CSourceDatabasePage.h"

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

CSourceDatabasePage::CSourceDatabasePage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_box(new ServerFieldsBox(session, wizard::kSourceServerTitle, this))
    , m_database(new ListingComboBox(this))
{
    m_box->setObjectName("sourceServer");
    m_database->setObjectName("database");
    m_database->setLister([this]() -> std::optional<QStringList> {
        if (const std::string fault = m_box->Check(); !fault.empty()) {
            Refuse(m_box->FaultField(), fault);
            return std::nullopt;
        }
        auto databases = ListDatabases(m_box->Current());
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

QString CSourceDatabasePage::title() const
{
    return tr("Source Database");
}

void CSourceDatabasePage::load(const Task& task)
{
    m_box->load(task.source);
    m_database->setChosen(QString::fromStdString(task.source.database));
}

ServerConnection CSourceDatabasePage::Current() const
{
    ServerConnection server = m_box->Current();
    if (m_database->currentIndex() >= 0)
        server.database = m_database->currentText().toStdString();
    return server;
}

bool CSourceDatabasePage::validate()
{
    if (const std::string fault = m_box->Check(); !fault.empty())
        return Refuse(m_box->FaultField(), fault);
    if (m_database->currentIndex() < 0)
        return Refuse(m_database, wizard::kChooseSourceDatabase);
    if (m_database->currentText().isEmpty())
        return Refuse(m_database, wizard::kDatabaseNameEmpty);
    if (wizard()) {
        auto tables = ListTables(Current());
        if (!tables) {
            m_database->setFocus(Qt::OtherFocusReason);
            return false;
        }
        session().HandOverTables(std::move(*tables));
    }
    return true;
}

void CSourceDatabasePage::save(Task& task)
{
    task.source = Current();
}

} // namespace kelvanto
