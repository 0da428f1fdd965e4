#include "ui/wizard/CMySQLServerPage.h"

#include "ui/wizard/ServerFieldsBox.h"
#include "ui/wizard/WizardChecks.h"
#include "ui/wizard/WizardTexts.h"

#include <QLineEdit>
#include <QVBoxLayout>

namespace kelvanto
{

CMySQLServerPage::CMySQLServerPage(TaskPageSession& session, Role role, QWidget* parent)
    : TaskPage(session, parent)
    , m_role(role)
    , m_box(new ServerFieldsBox(
          session, role == Role::Source ? wizard::kSourceServerTitle : wizard::kDestinationServerTitle, this))
{
    m_box->setObjectName(role == Role::Source ? "sourceServer" : "destinationServer");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_box);
    layout->addStretch(1);
}

QString CMySQLServerPage::title() const
{
    return m_role == Role::Source ? wizard::kSourceServerTitle : wizard::kDestinationServerTitle;
}

void CMySQLServerPage::load(const Task& task)
{
    m_box->load(m_role == Role::Source ? task.source : task.destination);
}

ServerConnection CMySQLServerPage::Current() const
{
    return m_box->Current();
}

bool CMySQLServerPage::ListsDatabasesForNextPage() const
{
    if (m_role != Role::Source || !wizard())
        return false;
    const TaskType type = session().type();
    return type == TaskType::BackupToFiles || type == TaskType::BackupToServer || type == TaskType::RestoreFromServer
        || type == TaskType::ExportTables;
}

bool CMySQLServerPage::validate()
{
    if (const std::string fault = m_box->Check(); !fault.empty())
        return Refuse(m_box->FaultField(), fault);
    const ServerConnection server = m_box->Current();
    if (m_role == Role::Destination && session().type() != TaskType::RestoreFromFiles
        && wizard::SameServer(session().CurrentSource(), server))
        return Refuse(m_box->hostField(), wizard::kSameServer);
    if (ListsDatabasesForNextPage()) {
        auto databases = ListDatabases(server);
        if (!databases) {
            m_box->hostField()->setFocus(Qt::OtherFocusReason);
            return false;
        }
        session().HandOverDatabases(std::move(*databases));
    }
    return true;
}

void CMySQLServerPage::save(Task& task)
{
    (m_role == Role::Source ? task.source : task.destination) = m_box->Current();
}

} // namespace kelvanto
