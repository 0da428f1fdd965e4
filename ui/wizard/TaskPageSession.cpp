#include "ui/wizard/TaskPageSession.h"

#include "ui/TaskDialogContext.h"

namespace kelvanto
{

TaskPageSession::TaskPageSession(TaskDialogContext& context, SheetMode mode, TaskType type, std::string originalName)
    : m_context(context)
    , m_mode(mode)
    , m_type(type)
    , m_originalName(std::move(originalName))
{ }

Messages& TaskPageSession::messages() const
{
    return m_context.messages();
}

FileDialogs& TaskPageSession::files() const
{
    return m_context.fileDialogs();
}

ServerConnection TaskPageSession::currentSource() const
{
    return m_sourceReader ? m_sourceReader() : m_loadedSource;
}

void TaskPageSession::showPage(TaskPage* page) const
{
    if (m_pageShower)
        m_pageShower(page);
}

std::optional<std::vector<DatabaseItem>> TaskPageSession::takeDatabases()
{
    auto databases = std::move(m_databases);
    m_databases.reset();
    return databases;
}

std::optional<std::vector<TableItem>> TaskPageSession::takeTables()
{
    auto tables = std::move(m_tables);
    m_tables.reset();
    return tables;
}

} // namespace kelvanto
