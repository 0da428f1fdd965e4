#include "ui/wizard/NewTaskDialog.h"

#include "ui/HelpOpener.h"
#include "ui/Messages.h"
#include "ui/wizard/WizardTexts.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kelvanto
{

namespace
{

struct Choice
{
    const char* name;
    const char* text;
    TaskType type;
};

// In the dialog's order; the texts are the dialog's own, given through its tr().
constexpr Choice kChoices[] = {
    {"backupToFiles", QT_TRANSLATE_NOOP("kelvanto::NewTaskDialog", "Backup MySQL databases to SQL or PHP files"),
        TaskType::BackupToFiles},
    {"backupToServer", QT_TRANSLATE_NOOP("kelvanto::NewTaskDialog", "Backup MySQL databases to the other server"),
        TaskType::BackupToServer},
    {"backupToDatabase", QT_TRANSLATE_NOOP("kelvanto::NewTaskDialog", "Backup a MySQL database to the other database"),
        TaskType::BackupToDatabase},
    {"restoreFromFiles",
        QT_TRANSLATE_NOOP(
            "kelvanto::NewTaskDialog", "Restore MySQL databases from SQL files (TCP/IP, Use SAME database names)"),
        TaskType::RestoreFromFiles},
    {"restoreFromServer",
        QT_TRANSLATE_NOOP("kelvanto::NewTaskDialog",
            "Restore MySQL databases from the other server (TCP/IP, Use SAME database names)"),
        TaskType::RestoreFromServer},
    {"restoreFromDatabase",
        QT_TRANSLATE_NOOP("kelvanto::NewTaskDialog",
            "Restore a MySQL database from the other database (TCP/IP, Choose ANY database name)"),
        TaskType::RestoreFromDatabase},
    {"exportTables",
        QT_TRANSLATE_NOOP(
            "kelvanto::NewTaskDialog", "Export MySQL tables and views to CSV/XML/HTML/TEXT files (TCP/IP protocol)"),
        TaskType::ExportTables},
    {"executeScript", QT_TRANSLATE_NOOP("kelvanto::NewTaskDialog", "Execute MySQL script (TCP/IP protocol)"),
        TaskType::ExecuteScript},
};

} // namespace

NewTaskDialog::NewTaskDialog(Messages& messages, HelpOpener& help, QWidget* parent)
    : QDialog(parent)
    , m_messages(messages)
{
    setWindowTitle(wizard::tr(wizard::kNewTaskCaption));
    setObjectName("newTaskDialog");
    auto* box = new QGroupBox(tr("Task type"), this);
    auto* choices = new QVBoxLayout(box);
    auto* group = new QButtonGroup(this);
    for (const Choice& choice : kChoices) {
        auto* radio = new QRadioButton(tr(choice.text), box);
        radio->setObjectName(choice.name);
        group->addButton(radio);
        choices->addWidget(radio);
        m_choices.emplace_back(radio, choice.type);
    }
    m_choices.front().first->setChecked(true);

    auto* buttons
        = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
    buttons->button(QDialogButtonBox::Help)->setObjectName("help");
    connect(buttons, &QDialogButtonBox::accepted, this, &NewTaskDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this,
        [&help] { help.openTopic(QLatin1String(wizard::kChooseTaskTypeTopic)); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addWidget(buttons);
}

void NewTaskDialog::accept()
{
    for (const auto& [radio, type] : m_choices) {
        if (radio->isChecked()) {
            m_type = type;
            QDialog::accept();
            return;
        }
    }
    m_messages.warning(this, wizard::tr(wizard::kChooseTaskType));
}

} // namespace kelvanto
