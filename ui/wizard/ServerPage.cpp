#include "ui/wizard/ServerPage.h"

#include "ui/wizard/ServerFieldsBox.h"
#include "ui/wizard/WizardChecks.h"
#include "ui/wizard/WizardTexts.h"

#include <QLineEdit>
#include <QVBoxLayout>

namespace kelvanto
{

ServerPage::ServerPage(TaskPageSession& session, Role role, QWidget* parent)
    : TaskPage(session, parent)
    , m_role(role)
    , m_box(new ServerFieldsBox(session,
          role == Role::Source ? wizard::tr(wizard::kSourceServerTitle) : wizard::tr(wizard::kDestinationServerTitle),
          this))
{
    m_box->setObjectName(role == Role::Source ? "sourceServer" : "destinationServer");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_box);
    layout->addStretch(1);
}

QString ServerPage::title() const
{
    return m_role == Role::Source ? wizard::tr(wizard::kSourceServerTitle)
                                  : wizard::tr(wizard::kDestinationServerTitle);
}

void ServerPage::load(const Task& task)
{
    m_box->load(m_role == Role::Source ? task.source : task.destination);
}

ServerConnection ServerPage::current() const
{
    return m_box->current();
}

bool ServerPage::listsDatabasesForNextPage() const
{
    if (m_role != Role::Source || !wizard())
        return false;
    const TaskType type = session().type();
    return type == TaskType::BackupToFiles || type == TaskType::BackupToServer || type == TaskType::RestoreFromServer
        || type == TaskType::ExportTables;
}

bool ServerPage::validate()
{
    if (const std::string fault = m_box->check(); !fault.empty())
        return refuse(m_box->faultField(), fault);
    const ServerConnection server = m_box->current();
    if (m_role == Role::Destination && session().type() != TaskType::RestoreFromFiles
        && wizard::sameServer(session().currentSource(), server))
        return refuse(m_box->hostField(), wizard::tr(wizard::kSameServer));
    if (listsDatabasesForNextPage()) {
        auto databases = listDatabases(server);
        if (!databases) {
            m_box->hostField()->setFocus(Qt::OtherFocusReason);
            return false;
        }
        session().handOverDatabases(std::move(*databases));
    }
    return true;
}

void ServerPage::save(Task& task)
{
    (m_role == Role::Source ? task.source : task.destination) = m_box->current();
}

} // namespace kelvanto
