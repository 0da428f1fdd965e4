#include "ui/wizard/DestinationDatabasePage.h"

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

DestinationDatabasePage::DestinationDatabasePage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_box(new ServerFieldsBox(session, wizard::tr(wizard::kDestinationServerTitle), this))
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
    connect(group, &QButtonGroup::buttonToggled, this, &DestinationDatabasePage::modeChanged);
    m_existingName->setLister([this]() -> std::optional<QStringList> {
        if (const std::string fault = m_box->check(); !fault.empty()) {
            refuse(m_box->faultField(), fault);
            return std::nullopt;
        }
        auto databases = listDatabases(m_box->current());
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
    modeChanged();
}

QString DestinationDatabasePage::title() const
{
    return tr("Destination Database");
}

void DestinationDatabasePage::load(const Task& task)
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
    modeChanged();
}

void DestinationDatabasePage::modeChanged()
{
    m_existingName->setEnabled(m_existing->isChecked());
    m_newName->setEnabled(m_create->isChecked());
}

std::string DestinationDatabasePage::databaseName() const
{
    if (m_create->isChecked())
        return m_newName->text().toStdString();
    return m_existingName->currentIndex() >= 0 ? m_existingName->currentText().toStdString() : std::string();
}

bool DestinationDatabasePage::validate()
{
    if (const std::string fault = m_box->check(); !fault.empty())
        return refuse(m_box->faultField(), fault);
    QWidget* nameField = m_existingName;
    if (m_existing->isChecked()) {
        if (m_existingName->currentIndex() < 0)
            return refuse(m_existingName, wizard::tr(wizard::kChooseExistingDestination));
        if (m_existingName->currentText().isEmpty())
            return refuse(m_existingName, wizard::tr(wizard::kDatabaseNameEmpty));
    } else if (m_create->isChecked()) {
        nameField = m_newName;
        if (const std::string fault = wizard::CheckNewDatabaseName(databaseName()); !fault.empty())
            return refuse(m_newName, fault);
    } else {
        return refuse(m_existing, wizard::tr(wizard::kChooseDestination));
    }
    ServerConnection destination = m_box->current();
    destination.database = databaseName();
    if (wizard::sameDatabase(session().currentSource(), destination))
        return refuse(nameField, wizard::tr(wizard::kSameDatabase));
    return true;
}

void DestinationDatabasePage::save(Task& task)
{
    const std::string name = databaseName();
    task.destination = m_box->current();
    task.destination.database = name;
    task.backupSettings.createDatabase = m_create->isChecked() ? 1 : 0;
    task.backupSettings.destDatabaseName = name;
}

} // namespace kelvanto
