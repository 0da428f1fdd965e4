#include "ui/TaskDialogContext.h"

#include "app/Application.h"

namespace kelvanto
{

TaskDialogContext::TaskDialogContext(
    Application& app, Messages& messages, HelpOpener& help, FileDialogs& fileDialogs, Connector connector)
    : m_app(app)
    , m_messages(messages)
    , m_help(help)
    , m_fileDialogs(fileDialogs)
    , m_connector(std::move(connector))
{ }

const Options& TaskDialogContext::options() const
{
    return m_app.GetOptions();
}

const DataFolder& TaskDialogContext::folder() const
{
    return m_app.Folder();
}

ServerList& TaskDialogContext::servers() const
{
    return m_app.MutableServers();
}

std::vector<std::string> TaskDialogContext::serverNames() const
{
    std::vector<std::string> names;
    for (const ServerConnection& profile : servers().profiles())
        names.push_back(profile.connectionName);
    return names;
}

Result<void> TaskDialogContext::saveServers() const
{
    return m_app.SaveServerList();
}

std::size_t TaskDialogContext::taskCount() const
{
    return m_app.TaskCount();
}

bool TaskDialogContext::taskNameExists(const std::string& name, std::optional<std::size_t> exceptIndex) const
{
    const auto tasks = m_app.TaskCopies();
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        if (tasks[i].name == name && (!exceptIndex || *exceptIndex != i))
            return true;
    }
    return false;
}

} // namespace kelvanto
