#include "ui/wizard/TaskPageSet.h"

#include "ui/wizard/CAutoRunOptionsPage.h"
#include "ui/wizard/CBackupFilePage.h"
#include "ui/wizard/CChooseDatabasesPage.h"
#include "ui/wizard/CChooseTablesPage.h"
#include "ui/wizard/CDestDatabasePage.h"
#include "ui/wizard/CExportFilePage.h"
#include "ui/wizard/CMySQLServerPage.h"
#include "ui/wizard/CPageViewAutoRunOptionsDlg.h"
#include "ui/wizard/CPageViewBackupFileDlg.h"
#include "ui/wizard/CPageViewChooseDatabasesDlg.h"
#include "ui/wizard/CPageViewChooseTablesDlg.h"
#include "ui/wizard/CPageViewExportFileDlg.h"
#include "ui/wizard/CPageViewMySQLServerDlg.h"
#include "ui/wizard/CPageViewRestoreFilesDlg.h"
#include "ui/wizard/CPageViewSQLScriptDlg.h"
#include "ui/wizard/CPageViewSelectTablesDlg.h"
#include "ui/wizard/CRestoreFilesPage.h"
#include "ui/wizard/CSQLScriptPage.h"
#include "ui/wizard/CSelectTablesPage.h"
#include "ui/wizard/CSourceDatabasePage.h"
#include "ui/wizard/CTaskTypePage.h"

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
        auto* page = new CMySQLServerPage(session, CMySQLServerPage::Role::Source, parent);
        session.SetSourceReader([page] { return page->Current(); });
        return page;
    }
    case Role::DestinationServer:
        return new CMySQLServerPage(session, CMySQLServerPage::Role::Destination, parent);
    case Role::Databases:
        return new CChooseDatabasesPage(session, parent);
    case Role::SourceDatabase: {
        auto* page = new CSourceDatabasePage(session, parent);
        session.SetSourceReader([page] { return page->Current(); });
        return page;
    }
    case Role::SourceTables:
        return new CChooseTablesPage(session, parent);
    case Role::DestinationDatabase:
        return new CDestDatabasePage(session, parent);
    case Role::BackupFile:
        return new CBackupFilePage(session, parent);
    case Role::ExportTables:
        return new CSelectTablesPage(session, parent);
    case Role::ExportFile:
        return new CExportFilePage(session, parent);
    case Role::Script:
        return new CSQLScriptPage(session, parent);
    case Role::RestoreFiles:
        return new CRestoreFilesPage(session, parent);
    }
    return nullptr;
}

TaskPage* MakeViewPage(Role role, TaskPageSession& session, QWidget* parent)
{
    using ServerView = CPageViewMySQLServerDlg;
    switch (role) {
    case Role::SourceServer:
    case Role::SourceDatabase:
        return new ServerView(session, ServerView::Role::Source, parent);
    case Role::DestinationServer:
    case Role::DestinationDatabase:
        return new ServerView(session, ServerView::Role::Destination, parent);
    case Role::Databases:
        return new CPageViewChooseDatabasesDlg(session, parent);
    case Role::SourceTables:
        return new CPageViewChooseTablesDlg(session, parent);
    case Role::BackupFile:
        return new CPageViewBackupFileDlg(session, parent);
    case Role::ExportTables:
        return new CPageViewSelectTablesDlg(session, parent);
    case Role::ExportFile:
        return new CPageViewExportFileDlg(session, parent);
    case Role::Script:
        return new CPageViewSQLScriptDlg(session, parent);
    case Role::RestoreFiles:
        return new CPageViewRestoreFilesDlg(session, parent);
    }
    return nullptr;
}

} // namespace

std::vector<TaskPage*> MakeTaskPages(TaskPageSession& session, QWidget* parent)
{
    const bool view = session.mode() == SheetMode::View;
    std::vector<TaskPage*> pages {new CTaskTypePage(session, parent)};
    for (Role role : Roles(session.type()))
        pages.push_back(view ? MakeViewPage(role, session, parent) : MakeEditPage(role, session, parent));
    if (view)
        pages.push_back(new CPageViewAutoRunOptionsDlg(session, parent));
    else
        pages.push_back(new CAutoRunOptionsPage(session, parent));
    return pages;
}

} // namespace kelvanto
