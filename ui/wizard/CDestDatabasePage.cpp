#include "ui/wizard/CDestDatabasePage.h"

#include "ui/wizard/ListingComboBox.h"
#include "ui/wizard/ServerFieldsBox.h"
#include "ui/wizard/WizardChecks.h"
#include "ui/wizard/WizardTexts.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kelvanto
{

CDestDatabasePage::CDestDatabasePage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_box(new ServerFieldsBox(session, wizard::kDestinationServerTitle, this))
    , m_existing(new QRadioButton(tr("Choose an existent database"), this))
    , m_existingName(new ListingComboBox(this))
    , m_create(new QRadioButton(tr("Create a new database"), this))
    , m_newName(new QLineEdit(this))
{
    m_box->setObjectName("destinationServer");
    m_existing->setObjectName("chooseExisting");
    m_existingName->setObjectName("existingDatabase");
    m_create->setObjectName("createNew");
    m_newName->setObjectName("newDatabase");
    auto* group = new QButtonGroup(this);
    group->addButton(m_existing);
    group->addButton(m_create);
    connect(group, &QButtonGroup::buttonToggled, this, &CDestDatabasePage::ModeChanged);
    m_existingName->setLister([this]() -> std::optional<QStringList> {
        if (const std::string fault = m_box->Check(); !fault.empty()) {
            Refuse(m_box->FaultField(), fault);
            return std::nullopt;
        }
        auto databases = ListDatabases(m_box->Current());
        if (!databases)
            return std::nullopt;
        QStringList names;
        for (const DatabaseItem& database : *databases)
            names << QString::fromStdString(database.name);
        return names;
    });

    auto* choice = new QGridLayout;
    choice->addWidget(m_existing, 0, 0);
    choice->addWidget(m_existingName, 0, 1);
    choice->addWidget(m_create, 1, 0);
    choice->addWidget(m_newName, 1, 1);
    choice->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_box);
    layout->addLayout(choice);
    layout->addStretch(1);
    ModeChanged();
}

QString CDestDatabasePage::title() const
{
    return tr("Destination Database");
}

void CDestDatabasePage::load(const Task& task)
{
    m_box->load(task.destination);
    const QString name = QString::fromStdString(task.backupSettings.destDatabaseName);
    if (task.backupSettings.createDatabase == 1) {
        m_create->setChecked(true);
        m_newName->setText(name);
    } else if (!name.isEmpty() || !wizard()) {
        m_existing->setChecked(true);
        m_existingName->setChosen(name);
    }
    ModeChanged();
}

void CDestDatabasePage::ModeChanged()
{
    m_existingName->setEnabled(m_existing->isChecked());
    m_newName->setEnabled(m_create->isChecked());
}

std::string CDestDatabasePage::DatabaseName() const
{
    if (m_create->isChecked())
        return m_newName->text().toStdString();
    return m_existingName->currentIndex() >= 0 ? m_existingName->currentText().toStdString() : std::string();
}

bool CDestDatabasePage::validate()
{
    if (const std::string fault = m_box->Check(); !fault.empty())
        return Refuse(m_box->FaultField(), fault);
    QWidget* nameField = m_existingName;
    if (m_existing->isChecked()) {
        if (m_existingName->currentIndex() < 0)
            return Refuse(m_existingName, wizard::kChooseExistingDestination);
        if (m_existingName->currentText().isEmpty())
            return Refuse(m_existingName, wizard::kDatabaseNameEmpty);
    } else if (m_create->isChecked()) {
        nameField = m_newName;
        if (const std::string fault = wizard::CheckNewDatabaseName(DatabaseName()); !fault.empty())
            return Refuse(m_newName, fault);
    } else {
        return Refuse(m_existing, wizard::kChooseDestination);
    }
    ServerConnection destination = m_box->Current();
    destination.database = DatabaseName();
    if (wizard::SameDatabase(session().CurrentSource(), destination))
        return Refuse(nameField, wizard::kSameDatabase);
    return true;
}

void CDestDatabasePage::save(Task& task)
{
    const std::string name = DatabaseName();
    task.destination = m_box->Current();
    task.destination.database = name;
    task.backupSettings.createDatabase = m_create->isChecked() ? 1 : 0;
    task.backupSettings.destDatabaseName = name;
}

} // namespace kelvanto
