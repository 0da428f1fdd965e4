#include "ui/wizard/ServerViewPage.h"

#include "ui/wizard/ReadOnlyTexts.h"
#include "ui/wizard/ViewWidgets.h"
#include "ui/wizard/WizardTexts.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace kelvanto
{

ServerViewPage::ServerViewPage(TaskPageSession& session, Role role, QWidget* parent)
    : TaskPage(session, parent)
    , m_role(role)
    , m_box(new QGroupBox(title(), this))
{
    m_box->setObjectName(role == Role::Source ? "sourceServer" : "destinationServer");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_box);
    layout->addStretch(1);
}

QString ServerViewPage::title() const
{
    return m_role == Role::Source ? wizard::tr(wizard::kSourceServerTitle)
                                  : wizard::tr(wizard::kDestinationServerTitle);
}

void ServerViewPage::load(const Task& task)
{
    const ServerConnection& server = m_role == Role::Source ? task.source : task.destination;
    auto* form = new QFormLayout(m_box);
    form->addRow(tr("Server"), readOnlyLine(m_box, "server", QString::fromStdString(wizard::serverLabel(server))));
    form->addRow(tr("Host name or IP address"), readOnlyLine(m_box, "host", QString::fromStdString(server.host)));
    form->addRow(tr("MySQL Host Port"), readOnlyLine(m_box, "port", QString::number(server.port)));
    form->addRow(tr("Username"), readOnlyLine(m_box, "user", QString::fromStdString(server.user)));
    QLineEdit* password = readOnlyLine(m_box, "password", QString::fromStdString(server.password));
    password->setEchoMode(QLineEdit::Password);
    form->addRow(tr("Password"), password);
    const bool oneDatabase = task.type == TaskType::BackupToDatabase || task.type == TaskType::RestoreFromDatabase;
    if (oneDatabase) {
        form->addRow(tr("Database"), readOnlyLine(m_box, "database", QString::fromStdString(server.database)));
        if (m_role == Role::Destination) {
            form->addRow(QString(),
                readOnlyLine(m_box, "databaseMode",
                    task.backupSettings.createDatabase == 1 ? tr("Create a new database")
                                                            : tr("Choose an existent database")));
        }
    }
    QPlainTextEdit* options = readOnlyBox(m_box, "options", wizard::serverOptionsText(server));
    options->setMaximumHeight(options->fontMetrics().lineSpacing() * 3 + 12);
    form->addRow(tr("Options"), options);
}

} // namespace kelvanto
