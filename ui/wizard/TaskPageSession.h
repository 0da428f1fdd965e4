#pragma once

#include "model/Task.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace kelvanto
{

class FileDialogs;
class Messages;
class TaskDialogContext;
class TaskPage;

// How the pages of a task are shown: as wizard steps creating a task, as the property sheet's
// pages changing one, or as its read-only pages.
enum class SheetMode {
    Wizard,
    Edit,
    View,
};

// What the pages of one wizard or property sheet share: the program's data, the mode and
// task type, and what one page hands to another (the source server as its page shows it now,
// the lists that a server page read for the page after it).
class TaskPageSession
{
public:
    TaskPageSession(TaskDialogContext& context, SheetMode mode, TaskType type, std::string originalName);

    TaskDialogContext& context() const { return m_context; }
    Messages& messages() const;
    FileDialogs& files() const;
    SheetMode mode() const { return m_mode; }
    TaskType type() const { return m_type; }
    // The name of the task being edited ("" in the wizard): renaming a task to it is no clash.
    const std::string& originalName() const { return m_originalName; }

    // The source server as its page shows it now, with the source database where the type
    // has one; the settings of the loaded task until a source page registers.
    ServerConnection currentSource() const;
    void setSourceReader(std::function<ServerConnection()> reader) { m_sourceReader = std::move(reader); }
    void setLoadedSource(const ServerConnection& source) { m_loadedSource = source; }

    // Writes the databases and the backup options as the databases page shows them now into
    // `task` (its save); leaves `task` as it is until such a page registers.
    void readDatabases(Task& task) const
    {
        if (m_databasesReader)
            m_databasesReader(task);
    }
    void setDatabasesReader(std::function<void(Task&)> reader) { m_databasesReader = std::move(reader); }

    // Brings a page to the front before it warns or asks (the property sheet's tab).
    void showPage(TaskPage* page) const;
    void setPageShower(std::function<void(TaskPage*)> shower) { m_pageShower = std::move(shower); }

    // The databases (with their tables) that the source server page read on Next, and the
    // tables that the source database page read; the page after it takes them.
    void handOverDatabases(std::vector<DatabaseItem> databases) { m_databases = std::move(databases); }
    std::optional<std::vector<DatabaseItem>> takeDatabases();
    void handOverTables(std::vector<TableItem> tables) { m_tables = std::move(tables); }
    std::optional<std::vector<TableItem>> takeTables();

private:
    TaskDialogContext& m_context;
    SheetMode m_mode;
    TaskType m_type;
    std::string m_originalName;
    ServerConnection m_loadedSource;
    std::function<ServerConnection()> m_sourceReader;
    std::function<void(Task&)> m_databasesReader;
    std::function<void(TaskPage*)> m_pageShower;
    std::optional<std::vector<DatabaseItem>> m_databases;
    std::optional<std::vector<TableItem>> m_tables;
};

} // namespace kelvanto
