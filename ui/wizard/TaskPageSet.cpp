#include "ui/wizard/TaskPageSet.h"

#include "ui/wizard/BackupFilesPage.h"
#include "ui/wizard/BackupFilesViewPage.h"
#include "ui/wizard/ChooseDatabasesPage.h"
#include "ui/wizard/ChooseDatabasesViewPage.h"
#include "ui/wizard/ChooseTablesPage.h"
#include "ui/wizard/ChooseTablesViewPage.h"
#include "ui/wizard/DestinationDatabasePage.h"
#include "ui/wizard/ExportFilesPage.h"
#include "ui/wizard/ExportFilesViewPage.h"
#include "ui/wizard/RestoreFilesPage.h"
#include "ui/wizard/RestoreFilesViewPage.h"
#include "ui/wizard/SchedulePage.h"
#include "ui/wizard/ScheduleViewPage.h"
#include "ui/wizard/SelectTablesPage.h"
#include "ui/wizard/SelectTablesViewPage.h"
#include "ui/wizard/ServerPage.h"
#include "ui/wizard/ServerViewPage.h"
#include "ui/wizard/SourceDatabasePage.h"
#include "ui/wizard/SqlScriptPage.h"
#include "ui/wizard/SqlScriptViewPage.h"
#include "ui/wizard/TaskNamePage.h"

namespace kelvanto
{

namespace
{

// The roles of the steps; each mode makes its own page for a role.
enum class Role {
    SourceServer,
    DestinationServer,
    Databases,
    SourceDatabase,
    SourceTables,
    DestinationDatabase,
    BackupFile,
    ExportTables,
    ExportFile,
    Script,
    RestoreFiles,
};

std::vector<Role> Roles(TaskType type)
{
    switch (type) {
    case TaskType::BackupToFiles:
        return {Role::SourceServer, Role::Databases, Role::BackupFile};
    case TaskType::BackupToServer:
    case TaskType::RestoreFromServer:
        return {Role::SourceServer, Role::Databases, Role::DestinationServer};
    case TaskType::BackupToDatabase:
    case TaskType::RestoreFromDatabase:
        return {Role::SourceDatabase, Role::SourceTables, Role::DestinationDatabase};
    case TaskType::ExportTables:
        return {Role::SourceServer, Role::ExportTables, Role::ExportFile};
    case TaskType::ExecuteScript:
        return {Role::SourceServer, Role::Script};
    case TaskType::RestoreFromFiles:
        return {Role::RestoreFiles, Role::DestinationServer};
    }
    return {};
}

TaskPage* MakeEditPage(Role role, TaskPageSession& session, QWidget* parent)
{
    switch (role) {
    case Role::SourceServer: {
        auto* page = new ServerPage(session, ServerPage::Role::Source, parent);
        session.setSourceReader([page] { return page->current(); });
        return page;
    }
    case Role::DestinationServer:
        return new ServerPage(session, ServerPage::Role::Destination, parent);
    case Role::Databases: {
        auto* page = new ChooseDatabasesPage(session, parent);
        session.setDatabasesReader([page](Task& task) { page->save(task); });
        return page;
    }
    case Role::SourceDatabase: {
        auto* page = new SourceDatabasePage(session, parent);
        session.setSourceReader([page] { return page->current(); });
        return page;
    }
    case Role::SourceTables:
        return new ChooseTablesPage(session, parent);
    case Role::DestinationDatabase:
        return new DestinationDatabasePage(session, parent);
    case Role::BackupFile:
        return new BackupFilesPage(session, parent);
    case Role::ExportTables:
        return new SelectTablesPage(session, parent);
    case Role::ExportFile:
        return new ExportFilesPage(session, parent);
    case Role::Script:
        return new SqlScriptPage(session, parent);
    case Role::RestoreFiles:
        return new RestoreFilesPage(session, parent);
    }
    return nullptr;
}

TaskPage* MakeViewPage(Role role, TaskPageSession& session, QWidget* parent)
{
    using ServerView = ServerViewPage;
    switch (role) {
    case Role::SourceServer:
    case Role::SourceDatabase:
        return new ServerView(session, ServerView::Role::Source, parent);
    case Role::DestinationServer:
    case Role::DestinationDatabase:
        return new ServerView(session, ServerView::Role::Destination, parent);
    case Role::Databases:
        return new ChooseDatabasesViewPage(session, parent);
    case Role::SourceTables:
        return new ChooseTablesViewPage(session, parent);
    case Role::BackupFile:
        return new BackupFilesViewPage(session, parent);
    case Role::ExportTables:
        return new SelectTablesViewPage(session, parent);
    case Role::ExportFile:
        return new ExportFilesViewPage(session, parent);
    case Role::Script:
        return new SqlScriptViewPage(session, parent);
    case Role::RestoreFiles:
        return new RestoreFilesViewPage(session, parent);
    }
    return nullptr;
}

} // namespace

std::vector<TaskPage*> makeTaskPages(TaskPageSession& session, QWidget* parent)
{
    const bool view = session.mode() == SheetMode::View;
    std::vector<TaskPage*> pages {new TaskNamePage(session, parent)};
    for (Role role : Roles(session.type()))
        pages.push_back(view ? MakeViewPage(role, session, parent) : MakeEditPage(role, session, parent));
    if (view)
        pages.push_back(new ScheduleViewPage(session, parent));
    else
        pages.push_back(new SchedulePage(session, parent));
    return pages;
}

} // namespace kelvanto
