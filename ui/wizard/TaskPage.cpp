#include "ui/wizard/TaskPage.h"

#include "mysql/ServerProbes.h"
#include "ui/BackgroundWork.h"
#include "ui/Messages.h"
#include "ui/TaskDialogContext.h"

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

bool TaskPage::Refuse(QWidget* field, const QString& text)
{
    m_session.ShowPage(this);
    messages().Warning(window(), text);
    if (field) {
        field->setFocus(Qt::OtherFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(field))
            edit->selectAll();
    }
    return false;
}

bool TaskPage::Ask(const char* text)
{
    m_session.ShowPage(this);
    return messages().Ask(window(), QString::fromUtf8(text));
}

std::optional<std::vector<DatabaseItem>> TaskPage::ListDatabases(const ServerConnection& settings)
{
    using Listed = Result<std::vector<DatabaseItem>>;
    const Connector& connector = m_session.context().connector();
    Listed listed = RunOffUiThread<Listed>(
        window(), std::function<Listed()>([&] { return ProbeAllDatabases(connector, settings); }));
    if (!listed) {
        ShowProbeFailure(listed.error());
        return std::nullopt;
    }
    return std::move(*listed);
}

std::optional<std::vector<TableItem>> TaskPage::ListTables(const ServerConnection& settings)
{
    using Listed = Result<std::vector<TableItem>>;
    const Connector& connector = m_session.context().connector();
    Listed listed = RunOffUiThread<Listed>(
        window(), std::function<Listed()>([&] { return ProbeDatabaseTables(connector, settings); }));
    if (!listed) {
        ShowProbeFailure(listed.error());
        return std::nullopt;
    }
    return std::move(*listed);
}

void TaskPage::ShowProbeFailure(const std::string& message)
{
    m_session.ShowPage(this);
    const QString text = QString::fromStdString(message);
    // An unreachable server gets the dialog that explains how to connect; the page's other
    // failures (a database that cannot be used or listed) an error box.
    if (text.startsWith("Failed to connect to the MySQL server!"))
        messages().ConnectionFailure(window(), text);
    else
        messages().Error(window(), text);
}

} // namespace kelvanto
