// The pages that name files and folders and the lists they keep: the backup file page and its
// settings dialog, the export tables and export file pages, the script page and the restore
// files page. Their checks in order with the warning and the focused field, and what they store.
#include "tests/support/TempDir.h"
#include "tests/ui/support/PageChecks.h"
#include "tests/ui/support/RecordingHelp.h"
#include "ui/wizard/BackupFilesPage.h"
#include "ui/wizard/BackupFilesSettingsDialog.h"
#include "ui/wizard/BackupOptionsBox.h"
#include "ui/wizard/ExportFilesPage.h"
#include "ui/wizard/RestoreFilesPage.h"
#include "ui/wizard/SelectTablesPage.h"
#include "ui/wizard/SqlScriptPage.h"
#include "ui/wizard/TaskPageSet.h"
#include "ui/wizard/WizardChecks.h"
#include "ui/wizard/WizardTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QTreeWidget>
#include <QtTest>

#include <fstream>
#include <functional>

#include <unistd.h>

using namespace kelvanto;
using namespace kelvanto::test;

namespace
{

struct Case
{
    const char* name;
    std::function<void(QWidget*)> arrange;
    QString message;
    const char* focus;
};

void WriteFile(const std::filesystem::path& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

} // namespace

class WizardFilePagesTest : public QObject
{
    Q_OBJECT

private slots:
    // A folder the user may not write in is refused, and so is a new folder inside one. (Root
    // writes everywhere: there the check cannot be seen and the rows are skipped.)
    void folderThatIsNotWritable()
    {
        WizardHarness harness;
        const std::filesystem::path locked = harness.dir.path() / "locked";
        std::filesystem::create_directory(locked);
        std::filesystem::permissions(locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        const bool enforced = ::access(locked.c_str(), W_OK) != 0;
        const std::string lockedText = locked.string();
        const QString locked_ = QString::fromStdString(lockedText);
        QCOMPARE(wizard::invalidFolderText(wizard::kInvalidFolder, lockedText + "/x/y"),
            QString(wizard::kInvalidFolder) + "\n" + wizard::kFolderMissing);
        if (enforced) {
            const Case cases[] = {
                {"read-only folder", [&](QWidget* p) { type(p, "backupFolder", locked_ + "/"); },
                    QString(wizard::kInvalidFolder) + "\n" + wizard::kFolderNotWritable, "backupFolder"},
                {"new folder in a read-only one", [&](QWidget* p) { type(p, "backupFolder", locked_ + "/new/"); },
                    QString(wizard::kInvalidFolder) + "\n" + wizard::kFolderCannotBeMade, "backupFolder"},
            };
            for (const Case& row : cases) {
                PageUnderTest<BackupFilesPage> page(harness, SheetMode::Wizard, TaskType::BackupToFiles, Task {});
                row.arrange(page.page.get());
                expectValidation(harness, *page, row.message, row.focus, row.name);
            }
        }
        std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
        if (!enforced)
            QSKIP("running as root: every folder is writable");
    }

    void backupFilePage()
    {
        WizardHarness harness;
        const QString tmp = QString::fromStdString(harness.dir.path().string());
        std::filesystem::create_directory(harness.dir.path() / "existing");
        WriteFile(harness.dir.path() / "plain", "x");
        auto sameFile = [](const QString& path) {
            return [path](QWidget* p) { tick(p, "sameFile"), type(p, "backupFile", path); };
        };
        auto folder = [](const QString& path) { return [path](QWidget* p) { type(p, "backupFolder", path); }; };
        // "Invalid folder!" and, on its second line, the reason.
        auto invalid = [](const char* reason) { return QString(wizard::kInvalidFolder) + "\n" + reason; };
        std::filesystem::create_symlink(harness.dir.path() / "nowhere", harness.dir.path() / "dangling");
        const Case cases[] = {
            {"no file", sameFile(""), wizard::kInputFilePath, "backupFile"},
            {"relative file", sameFile("backup.sql"), wizard::kInvalidFile, "backupFile"},
            {"file in a missing folder", sameFile(tmp + "/missing/backup.sql"), wizard::kInvalidFile, "backupFile"},
            {"a folder as file", sameFile(tmp + "/existing"), wizard::kInvalidFile, "backupFile"},
            {"file", sameFile(tmp + "/existing/backup.sql"), "", ""},
            {"no folder", folder(""), wizard::kChooseFolder, "backupFolder"},
            {"relative folder", folder("backups/"), invalid(wizard::kFolderNotAbsolute), "backupFolder"},
            {"folder with ..", folder(tmp + "/existing/../new/"), invalid(wizard::kFolderNotAbsolute), "backupFolder"},
            {"folder two levels down", folder(tmp + "/a/b/"), invalid(wizard::kFolderMissing), "backupFolder"},
            {"a file as folder", folder(tmp + "/plain"), invalid(wizard::kFolderNotAFolder), "backupFolder"},
            {"a dangling link as folder", folder(tmp + "/dangling/"), invalid(wizard::kFolderNotAFolder),
                "backupFolder"},
            {"folder to create", folder(tmp + "/new"), "", ""},
            {"existing folder", folder(tmp + "/existing/"), "", ""},
        };
        Task task;
        task.backupSettings.singleFilePath = "/old/file.sql";
        for (const Case& row : cases) {
            PageUnderTest<BackupFilesPage> page(harness, SheetMode::Wizard, TaskType::BackupToFiles, task);
            row.arrange(page.page.get());
            expectValidation(harness, *page, row.message, row.focus, row.name);
        }
        // A new task starts in the default backup folder; the folder gets its '/', the file is cleared.
        PageUnderTest<BackupFilesPage> page(harness, SheetMode::Wizard, TaskType::BackupToFiles, task);
        QCOMPARE(page->findChild<QLineEdit*>("backupFolder")->text(),
            QString::fromStdString(harness.app().GetOptions().defaultBackupFolder));
        folder(tmp + "/new")(page.page.get());
        // Compression is for SQL files: chosen for them, off and saved as none for PHP.
        auto* compression = page->findChild<QComboBox*>("compression");
        QVERIFY(compression->isEnabled());
        compression->setCurrentIndex(2);
        Task saved = task;
        page->save(saved);
        QVERIFY(saved.extras.compression == Compression::Gzip);
        tick(page.page.get(), "phpFile");
        QVERIFY(!compression->isEnabled());
        page->save(saved);
        QVERIFY(saved.extras.compression == Compression::None);
        QCOMPARE(saved.backupSettings.backupFolder, (tmp + "/new/").toStdString());
        QCOMPARE(saved.backupSettings.singleFilePath, std::string());
        QCOMPARE(saved.backupSettings.fileType, std::uint8_t(2));
        QCOMPARE(saved.backupSettings.fileMode, std::uint8_t(2));
        QVERIFY(!std::filesystem::exists(harness.dir.path() / "new")); // checked, not created
        sameFile(tmp + "/existing/one.php")(page.page.get());
        page->save(saved);
        QCOMPARE(saved.backupSettings.backupFolder, std::string());
        QCOMPARE(saved.backupSettings.fileMode, std::uint8_t(1));
        // The pickers: the folder prompt, and the file filter of the chosen type.
        harness.files.choose(tmp + "/existing/picked.php");
        harness.files.choose(tmp + "/picked");
        click(page.page.get(), "browseFile");
        QCOMPARE(page->findChild<QLineEdit*>("backupFile")->text(), tmp + "/existing/picked.php");
        tick(page.page.get(), "newFiles");
        click(page.page.get(), "browseFolder");
        QCOMPARE(page->findChild<QLineEdit*>("backupFolder")->text(), tmp + "/picked/");
        QCOMPARE(harness.files.asked,
            QStringList({QString("save ") + wizard::kPhpFilesFilter + " .php",
                QString("folder ") + wizard::kBackupFolderPrompt}));
    }

    // A file per table whose names lack %DATABASE% is refused when more than one database can
    // be backed up: chosen on the databases page as it shows them now, or every new one.
    void backupFilePageNeedsTheDatabaseForSeveral()
    {
        WizardHarness harness;
        std::filesystem::create_directory(harness.dir.path() / "existing");
        Task task;
        task.type = TaskType::BackupToFiles;
        task.name = "Nightly";
        task.backupSettings.fileMode = 2;
        task.backupSettings.fileSplit = 3;
        task.backupSettings.fileNameFormat = "%HOST%_%TABLE%_%DATE%";
        task.backupSettings.backupFolder = (harness.dir.path() / "existing").string() + "/";
        const auto database = [](const char* name, bool chosen) {
            const std::uint8_t state = chosen ? 2 : 0;
            return DatabaseItem {state, name, {TableItem {state, 1, name, "t"}}};
        };
        const QString refused = QString::fromUtf8(wizard::kNeedDatabaseForSeveral);
        struct Row
        {
            const char* name;
            std::vector<DatabaseItem> databases;
            bool newDatabases;
            const char* format;
            QString message;
        };
        const Row rows[] = {
            {"two databases", {database("a", true), database("b", true)}, false, nullptr, refused},
            {"one of two", {database("a", true), database("b", false)}, false, nullptr, ""},
            {"one and every new one", {database("a", true)}, true, nullptr, refused},
            {"two with %DATABASE%", {database("a", true), database("b", true)}, true, "%DATABASE%_%TABLE%", ""},
        };
        for (const Row& row : rows) {
            Task loaded = task;
            loaded.databases = row.databases;
            loaded.backupSettings.allNewDatabases = row.newDatabases ? 1 : 0;
            if (row.format)
                loaded.backupSettings.fileNameFormat = row.format;
            PageUnderTest<BackupFilesPage> page(harness, SheetMode::Edit, TaskType::BackupToFiles, loaded);
            expectValidation(harness, *page, row.message, row.message.isEmpty() ? "" : "fileSettings", row.name);
        }

        // The property sheet: the databases tab as it shows them now decides, not as loaded.
        task.databases = {database("a", true), database("b", true)};
        TaskPageSession session(harness.context(), SheetMode::Edit, TaskType::BackupToFiles, task.name);
        QWidget sheet;
        const std::vector<TaskPage*> pages = makeTaskPages(session, &sheet);
        TaskPage* files = nullptr;
        for (TaskPage* page : pages) {
            page->load(task);
            if (qobject_cast<BackupFilesPage*>(page))
                files = page;
        }
        QVERIFY(files);
        expectValidation(harness, *files, refused, "fileSettings", "both chosen on the databases tab");
        auto* tree = sheet.findChild<QTreeWidget*>("databases");
        QVERIFY(tree && tree->topLevelItemCount() == 2);
        tree->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
        expectValidation(harness, *files, "", "", "one unchecked on the databases tab");
    }

    void backupFilesSettingsDialog()
    {
        WizardHarness harness;
        const QString trailing = "%HOST%_%DATE%_%TIME% ";
        const Case cases[] = {
            {"trailing blank", [&](QWidget* d) { type(d, "fileNameFormat", trailing); }, "", ""},
            {"blanks only", [](QWidget* d) { type(d, "fileNameFormat", "   "); }, wizard::kInputFormat,
                "fileNameFormat"},
            {"colon", [](QWidget* d) { type(d, "fileNameFormat", "%HOST%:%DATE%"); }, wizard::kBadFormatCharacters,
                "fileNameFormat"},
            {"per database without it",
                [](QWidget* d) { tick(d, "filePerDatabase"), type(d, "fileNameFormat", "%HOST%_%DATE%"); },
                wizard::kNeedDatabaseInFormat, "fileNameFormat"},
            {"per table offered", [](QWidget* d) { click(d, "filePerTable"); }, "", ""},
            {"days empty", [](QWidget* d) { click(d, "autoDeleteByDays"), type(d, "keepDays", ""); },
                wizard::kBadKeepingDays, "keepDays"},
            {"days 10001", [](QWidget* d) { click(d, "autoDeleteByDays"), type(d, "keepDays", "10001"); },
                wizard::kBadKeepingDays, "keepDays"},
            {"copies 0", [](QWidget* d) { click(d, "autoDeleteByCopies"), type(d, "keepCopies", "0"); },
                wizard::kBadCopies, "keepCopies"},
            {"format before counts", [](QWidget* d) { type(d, "fileNameFormat", ""), click(d, "autoDeleteByCopies"); },
                wizard::kInputFormat, "fileNameFormat"},
        };
        for (const Case& row : cases) {
            BackupFilesSettingsDialog dialog(BackupSettings(), harness.messages, harness.help);
            row.arrange(&dialog);
            harness.messages.clearShown();
            dialog.accept();
            const bool accepted = dialog.result() == QDialog::Accepted;
            QVERIFY2(accepted == row.message.isEmpty(), row.name);
            QCOMPARE(harness.messages.lastText(), row.message);
            if (!accepted)
                QCOMPARE(focusOf(&dialog)->objectName(), QString(row.focus));
        }
        // An empty stored format is proposed by split mode; the values come back trimmed.
        BackupSettings stored;
        stored.fileSplit = 2;
        stored.fileNameFormat.clear();
        BackupFilesSettingsDialog dialog(stored, harness.messages, harness.help);
        QCOMPARE(dialog.findChild<QLineEdit*>("fileNameFormat")->text(), QString("%HOST%_%DATABASE%_%DATE%_%TIME%"));
        click(&dialog, "autoDeleteByDays");
        type(&dialog, "keepDays", "30");
        click(&dialog, "autoDeleteByCopies"); // at most one kind of expiry
        type(&dialog, "keepCopies", "5");
        tick(&dialog, "newFolderPerRun");
        type(&dialog, "fileNameFormat", " %DATABASE% ");
        dialog.accept();
        QCOMPARE(dialog.settings().fileNameFormat, std::string("%DATABASE%"));
        QCOMPARE(dialog.settings().autoDelete, std::uint8_t(2));
        QCOMPARE(dialog.settings().autoDeleteLimit, 5);
        QCOMPARE(dialog.settings().newFolderPerRun, std::uint8_t(1));
        click(&dialog, "resetToDefault");
        dialog.accept();
        QCOMPARE(dialog.settings().fileSplit, std::uint8_t(1));
        QCOMPARE(dialog.settings().fileNameFormat, std::string("%HOST%_%DATE%_%TIME%"));
        QCOMPARE(dialog.settings().autoDelete, std::uint8_t(0));
        QCOMPARE(dialog.settings().autoDeleteLimit, 0);
        click(&dialog, "help");
        QCOMPARE(harness.help.topics, QStringList({"::/taskwizard/backupfilesettings.html"}));
    }

    void exportTablesPage()
    {
        WizardHarness harness;
        PageUnderTest<SelectTablesPage> page(harness, SheetMode::Wizard, TaskType::ExportTables, Task());
        expectValidation(harness, *page, wizard::kAddExportTables, "exportTables", "none");
        click(page.page.get(), "add");
        QCOMPARE(harness.messages.lastText(), QString(wizard::kChooseDatabases));
        // What the server page read on Next.
        TableItem film {2, 1, "sakila", "film"};
        TableItem view {2, 2, "sakila", "film_list"};
        page.session->handOverDatabases({{2, "mysql", {}}, {2, "sakila", {film, view}}});
        page->enter(Task());
        auto* database = page->findChild<QComboBox*>("database");
        auto* available = page->findChild<QListWidget*>("available");
        auto* chosen = page->findChild<QListWidget*>("exportTables");
        database->setCurrentIndex(1);
        QCOMPARE(available->count(), 2);
        harness.messages.clearShown();
        click(page.page.get(), "add");
        QCOMPARE(harness.messages.lastText(), QString(wizard::kChooseSourceTables));
        available->item(1)->setSelected(true);
        click(page.page.get(), "add");
        click(page.page.get(), "addAll");
        QCOMPARE(chosen->count(), 2);
        QCOMPARE(chosen->item(0)->text(), QString("sakila.film_list (View)"));
        QCOMPARE(available->count(), 0);
        chosen->item(0)->setSelected(true);
        click(page.page.get(), "remove");
        QCOMPARE(available->count(), 1);
        expectValidation(harness, *page, "", "", "one table");
        Task saved;
        page->save(saved);
        QCOMPARE(saved.exportTables, std::vector<TableItem>({film}));
        click(page.page.get(), "removeAll");
        QCOMPARE(chosen->count(), 0);
    }

    void exportFilePage()
    {
        WizardHarness harness;
        const QString tmp = QString::fromStdString(harness.dir.path().string());
        const Case cases[] = {
            {"no directory", [](QWidget* p) { type(p, "directory", ""); }, wizard::kChooseDirectory, "directory"},
            {"missing parent", [&](QWidget* p) { type(p, "directory", tmp + "/a/b"); },
                QString(wizard::kInvalidDirectory) + "\n" + wizard::kFolderMissing, "directory"},
            {"no type",
                [&](QWidget* p) {
                    type(p, "directory", tmp);
                    p->findChild<QComboBox*>("fileType")->setCurrentIndex(-1);
                },
                wizard::kChooseFileType, "fileType"},
            {"fine", [&](QWidget* p) { type(p, "directory", tmp); }, "", ""},
        };
        for (const Case& row : cases) {
            PageUnderTest<ExportFilesPage> page(harness, SheetMode::Wizard, TaskType::ExportTables, Task());
            row.arrange(page.page.get());
            expectValidation(harness, *page, row.message, row.focus, row.name);
        }
        // A new task starts with CSV's separators; TEXT and XML fill theirs; typed escapes are stored
        // as the characters they stand for.
        PageUnderTest<ExportFilesPage> page(harness, SheetMode::Wizard, TaskType::ExportTables, Task());
        auto text = [&](const char* name) { return page->findChild<QLineEdit*>(name)->text(); };
        QCOMPARE(QStringList({text("fieldsTerminatedBy"), text("fieldsEnclosedBy"), text("fieldsEscapedBy"),
                     text("linesTerminatedBy")}),
            QStringList({",", "\"", "\\\\", "\\r\\n"}));
        auto* fileType = page->findChild<QComboBox*>("fileType");
        auto choose = [&](int index) {
            fileType->setCurrentIndex(index);
            emit fileType->activated(index);
        };
        choose(3);
        QCOMPARE(page->findChild<QLabel*>("sampleName")->text(), QString("Tablename.txt"));
        type(page.page.get(), "directory", tmp);
        Task saved;
        page->save(saved);
        QCOMPARE(saved.exportSettings.fileType, std::uint8_t(4));
        QCOMPARE(saved.exportSettings.directory, (tmp + "/").toStdString());
        QCOMPARE(saved.exportSettings.fieldsTerminatedBy, std::string("\t"));
        QCOMPARE(saved.exportSettings.fieldsEnclosedBy, std::string());
        QCOMPARE(saved.exportSettings.fieldsEscapedBy, std::string("\\"));
        // TEXT lines end with LF, CSV lines with CR LF as CSV's standard has it.
        QCOMPARE(saved.exportSettings.linesTerminatedBy, std::string("\n"));
        choose(1);
        QCOMPARE(text("fieldsTerminatedBy"), QString());
        QVERIFY(!page->findChild<QLineEdit*>("fieldsTerminatedBy")->isEnabled());
        QCOMPARE(page->findChild<QLabel*>("sampleName")->text(), QString("Tablename.xml"));
        choose(0);
        type(page.page.get(), "fieldsTerminatedBy", "\\t|");
        page->save(saved);
        QCOMPARE(saved.exportSettings.fieldsTerminatedBy, std::string("\t|"));
        QCOMPARE(saved.exportSettings.fieldsEnclosedBy, std::string("\""));
        QCOMPARE(saved.exportSettings.linesTerminatedBy, std::string("\r\n"));

        // The snapshot extra is shown and saved by the export page too.
        Task snapshot;
        snapshot.extras.consistentSnapshot = true;
        PageUnderTest<ExportFilesPage> withSnapshot(harness, SheetMode::Wizard, TaskType::ExportTables, snapshot);
        auto* box = withSnapshot->findChild<QCheckBox*>("consistentSnapshot");
        QVERIFY(box && box->isChecked());
        withSnapshot->save(saved);
        QVERIFY(saved.extras.consistentSnapshot);
        box->setChecked(false);
        withSnapshot->save(saved);
        QVERIFY(!saved.extras.consistentSnapshot);
    }

    void scriptPage()
    {
        WizardHarness harness;
        const Case cases[] = {
            {"empty", [](QWidget*) {}, wizard::kInputScript, "script"},
            {"comments only", [](QWidget* p) { type(p, "script", "-- nothing\n# here\n/* or */\n"); },
                wizard::kInputScript, "script"},
            {"one statement", [](QWidget* p) { type(p, "script", "SELECT 1"); }, "", ""},
            {"a command the stock client would run outside the server",
                [](QWidget* p) { type(p, "script", "SELECT 1;\n\\! ls\n"); },
                "line 2: the client command \\! (system) reaches outside the server (a program, a file or another "
                "connection) and is not run",
                "script"},
        };
        for (const Case& row : cases) {
            PageUnderTest<SqlScriptPage> page(harness, SheetMode::Wizard, TaskType::ExecuteScript, Task());
            row.arrange(page.page.get());
            expectValidation(harness, *page, row.message, row.focus, row.name);
        }
        PageUnderTest<SqlScriptPage> page(harness, SheetMode::Wizard, TaskType::ExecuteScript, Task());
        const auto script = harness.dir.path() / "script.sql";
        WriteFile(script, "-- purge\r\nUSE shop;\r\nDELETE FROM t\r\n WHERE x = 1;\r\n");
        harness.files.choose(QString::fromStdString(script.string()));
        harness.files.choose(QString::fromStdString((harness.dir.path() / "missing.sql").string()));
        click(page.page.get(), "addFromFile");
        Task saved;
        page->save(saved);
        QCOMPARE(saved.sqlStatements, std::vector<std::string>({"USE `shop`", "DELETE FROM t\n WHERE x = 1"}));
        harness.messages.clearShown();
        click(page.page.get(), "addFromFile");
        QCOMPARE(harness.messages.lastText(), QString(wizard::kFailedToOpenFile));
        QCOMPARE(harness.messages.shown.back().icon, Messages::Icon::Error);
        QCOMPARE(harness.files.asked.front(), QString("open ") + wizard::kSqlFilesFilter);
    }

    void restoreFilesPage()
    {
        WizardHarness harness;
        const auto dir = harness.dir.path();
        WriteFile(dir / "a.sql", std::string(1023, 'x'));
        WriteFile(dir / "b.sql", std::string(2048, 'x'));
        WriteFile(dir / "C.SQL", "x");
        WriteFile(dir / "d.sql.zst", "x");
        WriteFile(dir / "e.sql.gz", "x");
        WriteFile(dir / "f.zst", "x");
        auto path = [&](const char* name) { return QString::fromStdString((dir / name).string()); };
        PageUnderTest<RestoreFilesPage> page(harness, SheetMode::Wizard, TaskType::RestoreFromFiles, Task());
        auto* list = page->findChild<QTreeWidget*>("files");
        expectValidation(harness, *page, wizard::kAddFiles, "files", "none");
        for (const char* button : {"remove", "moveUp", "moveDown"}) {
            harness.messages.clearShown();
            click(page.page.get(), button);
            QCOMPARE(harness.messages.lastText(), QString(wizard::kChooseFileItem));
        }
        // ".SQL" is passed over without a word; a path already listed is selected, not added again.
        harness.files.choose(QStringList({path("a.sql"), path("C.SQL"), path("b.sql")}).join('\n'));
        harness.files.choose(path("a.sql"));
        click(page.page.get(), "add");
        click(page.page.get(), "add");
        QCOMPARE(page->files().size(), std::size_t(2));
        QCOMPARE(list->topLevelItem(0)->isSelected(), true);
        QCOMPARE(list->topLevelItem(1)->isSelected(), false);
        QStringList row;
        for (int column = 0; column < 4; ++column)
            row << list->topLevelItem(0)->text(column);
        QCOMPARE(row, QStringList({"1", "a.sql", path("a.sql"), "0 KB"}));
        QCOMPARE(list->topLevelItem(1)->text(3), QString("2 KB"));
        click(page.page.get(), "moveDown");
        QCOMPARE(page->files()[1].fileName, std::string("a.sql"));
        click(page.page.get(), "moveDown"); // already last
        QCOMPARE(page->files()[1].fileName, std::string("a.sql"));
        // Next asks about DROP and DELETE statements: No stays, Yes goes on.
        harness.messages = ScriptedMessages();
        harness.messages.answerNo();
        harness.messages.answerYes();
        QVERIFY(!page->validate());
        QVERIFY(page->validate());
        QCOMPARE(harness.messages.texts(), QStringList({wizard::kDropDeleteQuestion, wizard::kDropDeleteQuestion}));
        tick(page.page.get(), "continueOnFileError");
        auto* threads = page->findChild<QSpinBox*>("restoreThreads");
        QVERIFY(threads);
        QCOMPARE(threads->value(), 1);
        threads->setValue(4);
        Task saved;
        page->save(saved);
        QCOMPARE(saved.extras.restoreThreads, 4);
        QCOMPARE(saved.restoreFiles.size(), std::size_t(2));
        QCOMPARE(saved.restoreFiles[0].fileName, std::string("b.sql"));
        QCOMPARE(saved.restoreFiles[0].size, 2048);
        QCOMPARE(saved.restoreFiles[0].checkState, std::uint8_t(0));
        QCOMPARE(saved.restoreOptions.continueOnFileError, std::uint8_t(1));
        QCOMPARE(saved.restoreOptions.continueOnSqlError, std::uint8_t(0));
        // Remove asks first; No keeps the rows.
        harness.messages = ScriptedMessages();
        harness.messages.answerNo();
        harness.messages.answerYes();
        harness.messages.answerYes();
        click(page.page.get(), "remove");
        QCOMPARE(page->files().size(), std::size_t(2));
        click(page.page.get(), "remove");
        QCOMPARE(page->files().size(), std::size_t(1));
        click(page.page.get(), "removeAll");
        QCOMPARE(page->files().size(), std::size_t(0));
        QCOMPARE(harness.messages.texts(),
            QStringList({wizard::kRemoveFilesQuestion, wizard::kRemoveFilesQuestion, wizard::kRemoveAllFilesQuestion}));
        // Compressed dumps are taken by their names (the restore reads their first bytes).
        harness.files.choose(QStringList({path("d.sql.zst"), path("f.zst"), path("e.sql.gz")}).join('\n'));
        click(page.page.get(), "add");
        QCOMPARE(page->files().size(), std::size_t(2));
        QCOMPARE(page->files()[1].fileName, std::string("e.sql.gz"));
        QCOMPARE(harness.files.asked.back(), QString("open ") + wizard::kRestoreFilesFilter);
    }

    // The options box of the databases pages writes back the extras of its advanced settings
    // alone: what the backup file page and the schedule step set stays, whichever saves last.
    void backupOptionsKeepTheExtrasOfOtherPages()
    {
        RecordingHelp help;
        BackupOptionsBox box(BackupOptionsBox::Scope::AllDatabases, help);
        Task task;
        task.type = TaskType::BackupToFiles;
        task.extras.routines = true;
        task.extras.maxInsertBytes = 65536;
        box.load(task);
        task.extras.compression = Compression::Zstd;
        task.extras.onFailure = {"mail", "-s", "failed", "root"};
        task.extras.routines = false;
        box.save(task);
        QCOMPARE(task.extras.compression, Compression::Zstd);
        QCOMPARE(task.extras.onFailure, (std::vector<std::string> {"mail", "-s", "failed", "root"}));
        QVERIFY(task.extras.routines);
        QCOMPARE(task.extras.maxInsertBytes, std::int64_t {65536});
    }
};

QTEST_MAIN(WizardFilePagesTest)
#include "WizardFilePagesTest.moc"
