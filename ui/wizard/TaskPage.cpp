#include "ui/wizard/TaskPage.h"

#include "mysql/ServerProbes.h"
#include "ui/BackgroundWork.h"
#include "ui/Messages.h"
#include "ui/TaskDialogContext.h"
#include "ui/wizard/WizardTexts.h"

#include <QLineEdit>

namespace kelvanto
{

TaskPage::TaskPage(TaskPageSession& session, QWidget* parent)
    : QWidget(parent)
    , m_session(session)
{ }

Messages& TaskPage::messages() const
{
    return m_session.messages();
}

bool TaskPage::refuse(QWidget* field, const QString& text)
{
    m_session.showPage(this);
    messages().warning(window(), text);
    if (field) {
        field->setFocus(Qt::OtherFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(field))
            edit->selectAll();
    }
    return false;
}

bool TaskPage::ask(const char* text)
{
    m_session.showPage(this);
    // The questions are the wizard's marked texts.
    return messages().ask(window(), wizard::tr(text));
}

std::optional<std::vector<DatabaseItem>> TaskPage::listDatabases(const ServerConnection& settings)
{
    using Listed = Result<std::vector<DatabaseItem>>;
    const Connector& connector = m_session.context().connector();
    Listed listed = runOffUiThread<Listed>(
        window(), std::function<Listed()>([&] { return ProbeAllDatabases(connector, settings); }));
    if (!listed) {
        showProbeFailure(listed.error());
        return std::nullopt;
    }
    return std::move(*listed);
}

std::optional<std::vector<TableItem>> TaskPage::listTables(const ServerConnection& settings)
{
    using Listed = Result<std::vector<TableItem>>;
    const Connector& connector = m_session.context().connector();
    Listed listed = runOffUiThread<Listed>(
        window(), std::function<Listed()>([&] { return ProbeDatabaseTables(connector, settings); }));
    if (!listed) {
        showProbeFailure(listed.error());
        return std::nullopt;
    }
    return std::move(*listed);
}

void TaskPage::showProbeFailure(const std::string& message)
{
    m_session.showPage(this);
    const QString text = QString::fromStdString(message);
    // An unreachable server gets the dialog that explains how to connect; the page's other
    // failures (a database that cannot be used or listed) an error box.
    if (message.starts_with("Failed to connect to the MySQL server!"))
        messages().connectionFailure(window(), text);
    else
        messages().error(window(), text);
}

} // namespace kelvanto
