// The wizard as a whole (welcome page, captions and buttons step by step, Finish) and the
// property sheet in edit and read-only mode over the eight example tasks: OK without changes
// leaves the task list file byte for byte as it was, one change per page changes that field
// alone, the read-only pages show the stored settings as texts, and every fixed text of the
// wizard and its dialogs goes through a translation.
#include "ui/wizard/TaskWizard.h"
#include "app/TaskCommands.h"
#include "app/TaskJson.h"
#include "model/FileBytes.h"
#include "model/NewTask.h"
#include "model/TaskExtras.h"
#include "tests/ui/support/ExampleTasks.h"
#include "tests/ui/support/PageChecks.h"
#include "tests/ui/support/UiTestSupport.h"
#include "ui/DesktopHelpOpener.h"
#include "ui/TaskDialogs.h"
#include "ui/UiTexts.h"
#include "ui/wizard/AdvancedSettingsDialog.h"
#include "ui/wizard/BackupFilesSettingsDialog.h"
#include "ui/wizard/EveryDayDialog.h"
#include "ui/wizard/EveryWeekDialog.h"
#include "ui/wizard/NewTaskDialog.h"
#include "ui/wizard/TaskPropertiesDialog.h"
#include "ui/wizard/TaskSummary.h"
#include "ui/wizard/TaskWizard.h"
#include "ui/wizard/TimeIntervalDialog.h"
#include "ui/wizard/WizardTexts.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTranslator>
#include <QTreeWidget>
#include <QtTest>

#include <algorithm>
#include <functional>

using namespace kelvanto;
using namespace kelvanto::test;

namespace
{

const char* const kExamples[] = {"backup-sakila", "backup-to-server", "backup-to-database", "export-tables",
    "execute-script", "restore-from-files", "restore-from-server", "restore-from-database"};

// A task of the list opened in the sheet in edit mode, changed by `change`, and OK pressed.
struct EditedTask
{
    Task before;
    Task after;
    bool accepted = false;
};

EditedTask EditInSheet(
    WizardHarness& harness, const Task& task, const std::function<void(TaskPropertiesDialog&)>& change)
{
    EditedTask result;
    result.before = task;
    TaskPropertiesDialog sheet(harness.context(), SheetMode::Edit, task);
    change(sheet);
    harness.messages.answerYes(); // the restore files page's question
    sheet.accept();
    result.accepted = sheet.result() == QDialog::Accepted;
    result.after = sheet.task();
    return result;
}

// A translation into a made-up language: every text marked for translation comes back in
// brackets, so that a text shown without tr() or under the wrong context stands out.
class BracketTranslator : public QTranslator
{
public:
    QString translate(const char*, const char* source, const char* = nullptr, int = -1) const override
    {
        return source && *source ? "[" + QString::fromUtf8(source) + "]" : QString();
    }
    bool isEmpty() const override { return false; }
};

// The schedule pages are left out: what they show of a schedule is the schedule core's own
// description (ScheduleDescription), which is not translated.
bool OnSchedulePage(const QWidget* widget)
{
    for (; widget; widget = widget->parentWidget()) {
        if (widget->inherits("kelvanto::SchedulePage") || widget->inherits("kelvanto::ScheduleViewPage"))
            return true;
    }
    return false;
}

// The fixed texts of root's labels, buttons, group boxes, tabs and list headings that are not
// in brackets; texts without a letter ("<<", ">") are the same in every language.
QStringList Untranslated(QWidget& root)
{
    static const QStringList kTextFields {"fileKind", "fileMode", "details", "databaseMode", "options"};
    QStringList texts {root.windowTitle()};
    for (QWidget* widget : root.findChildren<QWidget*>()) {
        if (OnSchedulePage(widget))
            continue;
        if (auto* label = qobject_cast<QLabel*>(widget))
            texts << label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(widget))
            texts << button->text();
        else if (auto* box = qobject_cast<QGroupBox*>(widget))
            texts << box->title();
        else if (auto* tree = qobject_cast<QTreeWidget*>(widget); tree && !tree->isHeaderHidden()) {
            for (int i = 0; i < tree->columnCount(); ++i)
                texts << tree->headerItem()->text(i);
        } else if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
            for (int i = 0; i < tabs->count(); ++i)
                texts << tabs->tabText(i);
        } else if (kTextFields.contains(widget->objectName())) {
            // The read-only pages' fields that describe a setting in words.
            if (auto* line = qobject_cast<QLineEdit*>(widget))
                texts << line->text();
            else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget))
                texts << edit->toPlainText();
        }
    }
    QStringList found;
    for (const QString& text : texts) {
        const bool words = std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
        if (words && !text.startsWith('['))
            found << text;
    }
    return found;
}

} // namespace

class TaskWizardTest : public QObject
{
    Q_OBJECT

private slots:
    void wizardStepByStep()
    {
        WizardHarness harness;
        harness.addTask("Existing");
        TaskWizard wizard(harness.context(), 5);
        wizard.show();
        wizard.restart();
        QCOMPARE(wizard.windowTitle(), QString("Welcome to the Task Wizard"));
        QVERIFY(!wizard.button(QWizard::BackButton)->isEnabled());
        QVERIFY(wizard.button(QWizard::NextButton)->isEnabled());
        QCOMPARE(wizard.stepPage(0)->findChild<QLabel*>("welcomeText")->text(),
            QString("Create a new task to schedule Execute MySQL script"));
        wizard.next();
        QCOMPARE(wizard.windowTitle(), QString("Task Wizard - Execute MySQL script - Step 1 of 5"));
        QVERIFY(wizard.button(QWizard::BackButton)->isEnabled());
        // A refusal keeps the wizard on its page.
        type(wizard.stepPage(1), "taskName", "Existing");
        wizard.next();
        QCOMPARE(wizard.currentId(), 1);
        QCOMPARE(harness.messages.lastText(), QString(texts::kNameTaken));
        type(wizard.stepPage(1), "taskName", "Purge");
        type(wizard.stepPage(1), "comment", "line 1\nline 2");
        wizard.next();
        QCOMPARE(wizard.windowTitle(), QString("Task Wizard - Execute MySQL script - Step 2 of 5"));
        type(wizard.stepPage(2), "host", "db.example");
        wizard.next();
        type(wizard.stepPage(3), "script", "USE shop;\nDELETE FROM t;\n");
        wizard.next();
        tick(wizard.stepPage(4), "manual");
        type(wizard.stepPage(4), "onFailure", "notify-send -u critical 'Purge failed' \"it's down\"");
        wizard.next();
        QCOMPARE(wizard.windowTitle(), QString("Task Wizard - Execute MySQL script - Step 5 of 5"));
        QVERIFY(wizard.button(QWizard::FinishButton)->isVisible());
        QVERIFY(!wizard.button(QWizard::NextButton)->isVisible());
        wizard.back();
        wizard.back();
        QCOMPARE(wizard.windowTitle(), QString("Task Wizard - Execute MySQL script - Step 3 of 5"));
        wizard.next();
        wizard.next();

        Task expected = NewTask(TaskType::ExecuteScript);
        expected.name = "Purge";
        expected.comment = "line 1\nline 2";
        expected.type = TaskType::ExecuteScript;
        expected.source.host = "db.example";
        expected.sqlStatements = {"USE `shop`", "DELETE FROM t"};
        expected.schedule.intervalMinutes = 0;
        expected.extras.onFailure = {"notify-send", "-u", "critical", "Purge failed", "it's down"};
        KELVANTO_COMPARE_TASKS(wizard.task(), expected);
        QCOMPARE(wizard.stepPage(5)->findChild<QPlainTextEdit*>("summary")->toPlainText(),
            QString::fromStdString(wizard::buildTaskSummary(expected)).replace("\r\n", "\n"));
        wizard.button(QWizard::HelpButton)->click();
        QCOMPARE(harness.help.topics, QStringList({"::/taskwizard/tasktype5.html"}));
        wizard.button(QWizard::FinishButton)->click();
        QCOMPARE(wizard.result(), int(QDialog::Accepted));
    }

    void wizardEmptiesTheListsItsTypeDoesNotUse()
    {
        WizardHarness harness;
        Task initial = loadExample("backup-sakila", harness.dir.path());
        initial.sqlStatements = {"SELECT 1;"};
        initial.restoreFiles.resize(1);
        initial.exportTables.resize(1);
        TaskWizard script(harness.context(), 5, nullptr, initial);
        QCOMPARE(script.task().sqlStatements.size(), std::size_t(1));
        QVERIFY(script.task().databases.empty() && script.task().exportTables.empty());
        QVERIFY(script.task().restoreFiles.empty());
        TaskWizard unknown(harness.context(), 12, nullptr, initial);
        QCOMPARE(unknown.type(), TaskType::BackupToFiles);
        QCOMPARE(unknown.stepTotal(), 6);
        QVERIFY(!unknown.task().databases.empty());
        QVERIFY(unknown.task().sqlStatements.empty());
    }

    void newTaskCommandRunsTheDialogAndTheWizard()
    {
        WizardHarness harness;
        onNextModal(
            [](QWidget* chooser) {
                tick(chooser, "executeScript");
                onNextModal(
                    [](QWidget* widget) {
                        auto* wizard = static_cast<TaskWizard*>(widget);
                        wizard->next();
                        wizard->next();
                        wizard->next();
                        type(wizard->stepPage(3), "script", "SELECT 1");
                        wizard->next();
                        wizard->next();
                        wizard->button(QWizard::FinishButton)->click();
                    },
                    "kelvanto::TaskWizard");
                click(chooser, "ok");
            },
            "kelvanto::NewTaskDialog");
        const std::optional<Task> created = runNewTaskWizard(nullptr, harness.context());
        QVERIFY(created);
        QCOMPARE(created->name, std::string("Task 1"));
        QCOMPARE(created->type, TaskType::ExecuteScript);
        QCOMPARE(created->sqlStatements, std::vector<std::string>({"SELECT 1"}));
        onNextModal([](QWidget* chooser) { click(chooser, "cancel"); }, "kelvanto::NewTaskDialog");
        QVERIFY(!runNewTaskWizard(nullptr, harness.context()));
    }

    void okWithoutChangesLeavesTheTaskListFileAsItWas()
    {
        WizardHarness harness;
        TaskCommands commands(harness.app(), nullptr);
        for (const char* name : kExamples) {
            auto index = commands.CreateTask(loadExample(name, harness.dir.path()), false);
            QVERIFY2(index.ok(), name);
            const auto before = ReadFileBytes(harness.app().Folder().TaskListFile());
            Task task = *harness.app().CopyOfTask(*index);
            const EditedTask edited = EditInSheet(harness, task, [](TaskPropertiesDialog&) {});
            QVERIFY2(edited.accepted, qPrintable(QString(name) + ": " + harness.messages.texts().join(" | ")));
            KELVANTO_COMPARE_TASKS(edited.after, task);
            QVERIFY(commands.EditTask(*index, edited.after).ok());
            QVERIFY2(*ReadFileBytes(harness.app().Folder().TaskListFile()) == *before, name);
        }
        QCOMPARE(harness.messages.unanswered, 0);
    }

    void oneChangePerPageChangesThatFieldAlone()
    {
        struct Case
        {
            const char* example;
            int page;
            std::function<void(QWidget*)> change;
            std::function<void(Task&)> expected;
        };
        auto tree = [](QWidget* p) { return p->findChild<QTreeWidget*>("databases"); };
        const Case cases[] = {
            {"backup-sakila", 0, [](QWidget* p) { type(p, "taskName", "Renamed"); },
                [](Task& t) { t.name = "Renamed"; }},
            {"backup-sakila", 1, [](QWidget* p) { type(p, "port", "3307"); }, [](Task& t) { t.source.port = 3307; }},
            {"backup-sakila", 2,
                [&](QWidget* p) { tree(p)->topLevelItem(0)->child(0)->setCheckState(0, Qt::Unchecked); },
                [](Task& t) {
                    t.databases[0].checkState = 1;
                    t.databases[0].tables[0].checkState = 0;
                }},
            {"backup-sakila", 3, [](QWidget* p) { tick(p, "unixLineEnds", false); },
                [](Task& t) { t.backupSettings.unixLineEnds = 0; }},
            {"backup-to-server", 2, [](QWidget* p) { tick(p, "allNewDatabases"); },
                [](Task& t) { t.backupSettings.allNewDatabases = 1; }},
            {"backup-to-server", 3, [](QWidget* p) { type(p, "user", "other"); },
                [](Task& t) { t.destination.user = "other"; }},
            {"backup-to-database", 1, [](QWidget* p) { type(p, "host", "db9"); },
                [](Task& t) { t.source.host = "db9"; }},
            {"backup-to-database", 2, [](QWidget* p) { click(p, "invert"), tick(p, "allNewTables"); },
                [](Task& t) {
                    t.databases[0].tables[0].checkState = t.databases[0].tables[1].checkState = 0;
                    t.backupSettings.allNewTables = 1;
                }},
            {"backup-to-database", 3, [](QWidget* p) { type(p, "newDatabase", "sakila_new"); },
                [](Task& t) { t.destination.database = t.backupSettings.destDatabaseName = "sakila_new"; }},
            {"export-tables", 2,
                [](QWidget* p) {
                    p->findChild<QListWidget*>("exportTables")->item(0)->setSelected(true);
                    click(p, "remove");
                },
                [](Task& t) { t.exportTables.erase(t.exportTables.begin()); }},
            {"export-tables", 3, [](QWidget* p) { type(p, "fieldsTerminatedBy", ";"); },
                [](Task& t) { t.exportSettings.fieldsTerminatedBy = ";"; }},
            {"execute-script", 2, [](QWidget* p) { type(p, "script", "SELECT 1;"); },
                [](Task& t) { t.sqlStatements = {"SELECT 1"}; }},
            {"execute-script", 3, [](QWidget* p) { tick(p, "manual"); },
                [](Task& t) {
                    t.schedule.kind = ScheduleKind::Manual;
                    t.schedule.intervalMinutes = 0;
                }},
            {"restore-from-files", 1, [](QWidget* p) { tick(p, "continueOnSqlError"); },
                [](Task& t) { t.restoreOptions.continueOnSqlError = 1; }},
            {"restore-from-files", 2, [](QWidget* p) { tick(p, "useCompression"); },
                [](Task& t) { t.destination.useCompression = 1; }},
            {"restore-from-server", 4, [](QWidget* p) { tick(p, "manual"); },
                [](Task& t) {
                    t.schedule = Schedule();
                    t.schedule.intervalMinutes = 0;
                }},
            {"restore-from-database", 0, [](QWidget* p) { type(p, "comment", "new"); },
                [](Task& t) { t.comment = "new"; }},
            {"backup-to-database", 4, [](QWidget* p) { type(p, "onFailure", "logger -t kelvanto 'copy failed'"); },
                [](Task& t) {
                    t.extras.onFailure = {"logger", "-t", "kelvanto", "copy failed"};
                }},
        };
        WizardHarness harness;
        for (const Case& row : cases) {
            const Task task = loadExample(row.example, harness.dir.path());
            const EditedTask edited = EditInSheet(harness, task, [&](TaskPropertiesDialog& sheet) {
                QVERIFY(row.page < static_cast<int>(sheet.pages().size()));
                row.change(sheet.pages()[static_cast<std::size_t>(row.page)]);
            });
            QVERIFY2(edited.accepted, qPrintable(QString(row.example) + ": " + harness.messages.lastText()));
            Task expected = task;
            row.expected(expected);
            KELVANTO_COMPARE_TASKS(edited.after, expected);
        }
    }

    // A stored command is shown on the schedule page in both modes, and OK without a change
    // keeps it argument for argument, a line end inside one included.
    void sheetShowsAndKeepsTheFailureCommand()
    {
        WizardHarness harness;
        Task task = loadExample("export-tables", harness.dir.path());
        task.extras.onFailure
            = {"sh", "-c", "printf '%s\\n' \"$KELVANTO_LOG\"\n| mail -s \"$KELVANTO_TASK\" ops@example.org"};
        const QString line(
            "sh -c 'printf '\\''%s\\n'\\'' \"$KELVANTO_LOG\"\n| mail -s \"$KELVANTO_TASK\" ops@example.org'");
        TaskPropertiesDialog view(harness.context(), SheetMode::View, task);
        auto* shown = view.pages().back()->findChild<QLineEdit*>("onFailure");
        QVERIFY(shown && shown->isReadOnly());
        QCOMPARE(shown->text(), line);
        const EditedTask edited = EditInSheet(harness, task, [&](TaskPropertiesDialog& sheet) {
            QCOMPARE(sheet.pages().back()->findChild<QLineEdit*>("onFailure")->text(), line);
        });
        QVERIFY2(edited.accepted, qPrintable(harness.messages.lastText()));
        KELVANTO_COMPARE_TASKS(edited.after, task);
    }

    void editSheetRefusalBringsItsPageToTheFront()
    {
        WizardHarness harness;
        harness.addTask("Other");
        TaskPropertiesDialog sheet(
            harness.context(), SheetMode::Edit, loadExample("backup-sakila", harness.dir.path()));
        QCOMPARE(sheet.windowTitle(), QString("Edit Task - Backup sakila - Backup MySQL databases to SQL/PHP files"));
        QCOMPARE(sheet.tabs()->count(), 5);
        type(sheet.pages()[3], "backupFolder", "");
        type(sheet.pages()[0], "taskName", "Other");
        sheet.accept();
        QCOMPARE(sheet.tabs()->currentIndex(), 0);
        QCOMPARE(harness.messages.lastText(), QString(texts::kNameTaken));
        type(sheet.pages()[0], "taskName", "Backup sakila");
        sheet.accept();
        QCOMPARE(sheet.tabs()->currentIndex(), 3);
        QCOMPARE(harness.messages.lastText(), QString(wizard::kChooseFolder));
        QCOMPARE(focusOf(&sheet)->objectName(), QString("backupFolder"));
        QCOMPARE(sheet.result(), int(QDialog::Rejected));
        sheet.findChild<QAbstractButton*>("help")->click();
        QCOMPARE(harness.help.topics, QStringList({"::/taskwizard/tasktype1.html"}));
    }

    void everyControlHasAnObjectName()
    {
        WizardHarness harness;
        auto unnamed = [](QWidget& root) {
            QStringList found;
            for (QWidget* control : root.findChildren<QWidget*>()) {
                const bool isControl = qobject_cast<QAbstractButton*>(control) || qobject_cast<QLineEdit*>(control)
                    || qobject_cast<QComboBox*>(control) || qobject_cast<QPlainTextEdit*>(control)
                    || qobject_cast<QAbstractItemView*>(control) || qobject_cast<QAbstractSpinBox*>(control);
                // Parts that Qt's own widgets make for themselves are named by Qt or not at all.
                QWidget* owner = control->parentWidget();
                bool inside = false;
                for (; owner && owner != &root; owner = owner->parentWidget())
                    inside = inside || qobject_cast<QAbstractSpinBox*>(owner) || qobject_cast<QComboBox*>(owner)
                        || qobject_cast<QAbstractItemView*>(owner) || owner->inherits("QCalendarWidget")
                        || qobject_cast<QTabBar*>(owner);
                if (isControl && !inside && control->objectName().isEmpty() && !qobject_cast<QTabBar*>(control))
                    found << control->metaObject()->className() + QString(" ") + control->property("text").toString();
            }
            return found;
        };
        for (int type = 1; type <= 8; ++type) {
            TaskWizard wizard(harness.context(), type);
            const QStringList missing = unnamed(wizard);
            // The wizard's own buttons carry Qt's names.
            QVERIFY2(missing.isEmpty(), qPrintable(missing.join(", ")));
            Task task;
            task.type = static_cast<TaskType>(type);
            for (SheetMode mode : {SheetMode::Edit, SheetMode::View}) {
                TaskPropertiesDialog sheet(harness.context(), mode, task);
                QVERIFY2(unnamed(sheet).isEmpty(), qPrintable(unnamed(sheet).join(", ")));
            }
        }
    }

    void everyFixedTextIsTranslated()
    {
        WizardHarness harness;
        BracketTranslator translator;
        QVERIFY(QCoreApplication::installTranslator(&translator));
        QStringList found;
        for (int type = 1; type <= 8; ++type) {
            TaskWizard wizard(harness.context(), type);
            found << Untranslated(wizard);
            for (int step = 0; wizard.stepPage(step); ++step)
                found << wizard.stepPage(step)->title();
            found << QString::fromStdString(wizard::stepCaption(static_cast<TaskType>(type), 1));
            const Task task = loadExample(kExamples[type - 1], harness.dir.path());
            for (SheetMode mode : {SheetMode::Edit, SheetMode::View}) {
                TaskPropertiesDialog sheet(harness.context(), mode, task);
                found << Untranslated(sheet);
            }
        }
        NewTaskDialog types(harness.messages, harness.help);
        found << Untranslated(types);
        AdvancedSettingsDialog advanced(BackupSettings(), harness.help);
        found << Untranslated(advanced);
        BackupFilesSettingsDialog files(BackupSettings(), harness.messages, harness.help);
        found << Untranslated(files);
        TimeIntervalDialog interval(60, harness.messages);
        found << Untranslated(interval);
        EveryDayDialog day(Schedule(), false, harness.messages);
        found << Untranslated(day);
        EveryWeekDialog week(Schedule(), false, harness.messages);
        found << Untranslated(week);
        QCoreApplication::removeTranslator(&translator);
        found.removeIf([](const QString& text) { return text.startsWith('['); });
        found.removeDuplicates();
        QVERIFY2(found.isEmpty(), qPrintable(found.join(" | ")));
    }

    void helpTopicsArePagesOfTheManual()
    {
        QStringList topics
            = {wizard::kChooseTaskTypeTopic, wizard::kBackupFileSettingsTopic, wizard::kBackupSettingsTopic};
        for (int type = 1; type <= 8; ++type)
            topics << QString::fromStdString(wizard::taskTypeHelpTopic(static_cast<TaskType>(type)));
        const QStringList manual {QString::fromStdString(Env("KELVANTO_SOURCE_DIR")) + "/docs/manual"};
        for (const QString& topic : topics)
            QVERIFY2(!DesktopHelpOpener::pageFor(manual, topic).isEmpty(), qPrintable(topic));
    }

    void advancedSettingsCarryTheExtras()
    {
        WizardHarness harness;
        TaskExtras extras = NewTaskExtras(TaskType::BackupToServer);
        extras.commitEvery = 8; // not shown: passes through
        AdvancedSettingsDialog dialog(BackupSettings {}, harness.help);
        dialog.showExtras(extras);
        dialog.findChild<QCheckBox*>("triggers")->setChecked(false);
        dialog.findChild<QCheckBox*>("consistentSnapshot")->setChecked(false);
        auto* definer = dialog.findChild<QComboBox*>("definer");
        definer->setCurrentIndex(definer->findText("Leave out"));
        TaskExtras expected = extras;
        expected.triggers = false;
        expected.consistentSnapshot = false;
        expected.definer = DefinerMode::Strip;
        QVERIFY(dialog.extras() == expected);

        // The statement size, in KiB, counts only with multiple-row INSERTs.
        auto* insertSize = dialog.findChild<QSpinBox*>("maxInsertBytes");
        QVERIFY(insertSize && !insertSize->isEnabled());
        QCOMPARE(insertSize->text(), QString("ten rows per statement"));
        dialog.findChild<QCheckBox*>("multiRowInsert")->setChecked(true);
        QVERIFY(insertSize->isEnabled());
        insertSize->setValue(1024);
        expected.maxInsertBytes = 1024 * 1024;
        QVERIFY(dialog.extras() == expected);
        QCOMPARE(dialog.settings().multiRowInsert, std::uint8_t {1});
        // A size that is no whole number of KiB is kept as it was while the box shows it.
        extras.maxInsertBytes = 1000;
        AdvancedSettingsDialog again(BackupSettings {}, harness.help);
        again.showExtras(extras);
        QCOMPARE(again.findChild<QSpinBox*>("maxInsertBytes")->value(), 1);
        QCOMPARE(again.extras().maxInsertBytes, std::int64_t {1000});
        again.findChild<QSpinBox*>("maxInsertBytes")->setValue(2);
        QCOMPARE(again.extras().maxInsertBytes, std::int64_t {2048});

        QVERIFY(dialog.findChild<QComboBox*>("verifyRestore")->isHidden()); // a copy is not verified

        // A backup to files offers the verification server among the stored profiles, and
        // keeps one that the task names by its fields.
        TaskExtras backup = NewTaskExtras(TaskType::BackupToFiles);
        backup.verifyRestore = VerifyServer {{}, {}};
        backup.verifyRestore->connection.host = "verify.example";
        backup.verifyRestore->connection.port = 3307;
        const std::vector<std::string> profiles {"Staging", "Spare"};
        struct Row
        {
            const char* choice;
            std::optional<VerifyServer> expected;
        };
        for (const Row& row : {Row {"verify.example:3307", backup.verifyRestore}, Row {"Off", std::nullopt},
                 Row {"Spare", VerifyServer {"Spare", {}}}}) {
            AdvancedSettingsDialog files(BackupSettings {}, harness.help);
            files.showExtras(backup, &profiles);
            auto* verify = files.findChild<QComboBox*>("verifyRestore");
            QVERIFY(verify && !verify->isHidden());
            QCOMPARE(verify->count(), 4);
            QCOMPARE(verify->currentText(), QString("verify.example:3307"));
            verify->setCurrentIndex(verify->findText(row.choice));
            QVERIFY2(files.extras().verifyRestore == row.expected, row.choice);
        }

        // A new task of the wizard starts from the defaults of its type.
        TaskWizard wizard(harness.context(), static_cast<int>(TaskType::ExportTables), nullptr, Task {});
        QVERIFY(wizard.task().extras == NewTaskExtras(TaskType::ExportTables));
    }

    // A new task writes LF line ends: SQL files of every type's record, and the XML and HTML
    // exports; a stored task edited in the sheet keeps the CR LF it has.
    void newTasksWriteLfAndStoredTasksKeepTheirLineEnds()
    {
        WizardHarness harness;
        for (int type = 1; type <= 8; ++type) {
            TaskWizard wizard(harness.context(), type);
            QCOMPARE(wizard.task().backupSettings.unixLineEnds, std::uint8_t(1));
            QCOMPARE(wizard.task().extras.exportUnixLineEnds, type == static_cast<int>(TaskType::ExportTables));
            if (type == static_cast<int>(TaskType::BackupToFiles)) {
                auto* box = wizard.findChild<QCheckBox*>("unixLineEnds");
                QVERIFY(box && box->isChecked());
            }
        }
        for (const char* example : {"backup-sakila", "export-tables"}) {
            Task task = loadExample(example, harness.dir.path());
            task.backupSettings.unixLineEnds = 0;
            task.extras.exportUnixLineEnds = false;
            const EditedTask edited = EditInSheet(
                harness, task, [](TaskPropertiesDialog& sheet) { type(sheet.pages()[0], "comment", "edited"); });
            QVERIFY2(edited.accepted, qPrintable(QString(example) + ": " + harness.messages.lastText()));
            QCOMPARE(edited.after.backupSettings.unixLineEnds, std::uint8_t(0));
            QVERIFY(!edited.after.extras.exportUnixLineEnds);
        }
    }

    void readOnlySheetShowsTheSettingsAsTexts()
    {
        WizardHarness harness;
        auto text = [](QWidget* page, const char* name) -> QString {
            if (auto* line = page->findChild<QLineEdit*>(name))
                return line->text();
            if (auto* box = page->findChild<QPlainTextEdit*>(name))
                return box->toPlainText();
            return "<no " + QString(name) + ">";
        };
        int tabs[8] = {5, 5, 5, 5, 4, 4, 5, 5};
        for (int i = 0; i < 8; ++i) {
            const Task task = loadExample(kExamples[i], harness.dir.path());
            TaskPropertiesDialog sheet(harness.context(), SheetMode::View, task);
            QCOMPARE(sheet.windowTitle(),
                QString::fromStdString("Task Properties - " + task.name + " - " + wizard::taskTypeTitle(task.type)));
            QCOMPARE(sheet.tabs()->count(), tabs[i]);
            QVERIFY(!sheet.findChild<QAbstractButton*>("cancel"));
            QVERIFY(sheet.pages()[0]->findChild<QLineEdit*>("taskName")->isReadOnly());
        }
        TaskPropertiesDialog backup(
            harness.context(), SheetMode::View, loadExample("backup-sakila", harness.dir.path()));
        QCOMPARE(text(backup.pages()[1], "options"), QString("None"));
        QCOMPARE(text(backup.pages()[1], "port"), QString("3306"));
        QCOMPARE(text(backup.pages()[1], "server"), QString("127.0.0.1:3306"));
        QCOMPARE(backup.pages()[2]->findChild<QTreeWidget*>("databases")->topLevelItem(0)->child(22)->text(0),
            QString("staff_list (View)"));
        QCOMPARE(text(backup.pages()[3], "fileKind"), QString("SQL File"));
        QCOMPARE(text(backup.pages()[3], "details"),
            QString(
                "Backup to folder:\n/tmp/kelvanto-backups/\n\nOne file contains all selected databases and "
                "tables\n\nFile Name Format:\n%HOST%_%DATE%_%TIME%\n\nUse the '\\n' instead of '\\r\\n' in the backup "
                "files"));
        QCOMPARE(text(backup.pages()[4], "scheduleTitle"), QString("Manual"));
        QCOMPARE(text(backup.pages()[4], "scheduleSettings"), QString("None"));

        TaskPropertiesDialog copy(
            harness.context(), SheetMode::View, loadExample("backup-to-server", harness.dir.path()));
        QCOMPARE(text(copy.pages()[3], "options"), QString("Use compression protocol\n"));
        QCOMPARE(
            copy.pages()[3]->findChild<QGroupBox*>("destinationServer")->title(), QString("Destination MySQL Server"));
        QCOMPARE(text(copy.pages()[4], "scheduleSettings"), QString("Run Time: 02:00"));
        // The example's extras, shown on its databases page and not to be changed there.
        auto* extras = copy.pages()[2]->findChild<QGroupBox*>("taskExtras");
        QVERIFY(extras && !extras->isHidden());
        QVERIFY(extras->findChild<QCheckBox*>("routines")->isChecked());
        QVERIFY(!extras->findChild<QCheckBox*>("routines")->isEnabled());
        QCOMPARE(extras->findChild<QComboBox*>("definer")->currentText(), QString("Leave out"));
        QVERIFY(backup.pages()[2]->findChild<QGroupBox*>("taskExtras")->findChild<QCheckBox*>("triggers")->isChecked());

        TaskPropertiesDialog database(
            harness.context(), SheetMode::View, loadExample("backup-to-database", harness.dir.path()));
        QCOMPARE(text(database.pages()[3], "database"), QString("sakila_copy"));
        QCOMPARE(text(database.pages()[3], "databaseMode"), QString("Create a new database"));
        QCOMPARE(database.pages()[2]->findChild<QListWidget*>("tables")->count(), 2);

        TaskPropertiesDialog exported(
            harness.context(), SheetMode::View, loadExample("export-tables", harness.dir.path()));
        QCOMPARE(exported.pages()[2]->findChild<QListWidget*>("exportTables")->item(1)->text(),
            QString("sakila.film_list (View)"));
        QCOMPARE(text(exported.pages()[3], "fileKind"), QString("CSV File  (Table Export)"));
        QCOMPARE(text(exported.pages()[3], "linesTerminatedBy"), QString("\\r\\n"));

        TaskPropertiesDialog script(
            harness.context(), SheetMode::View, loadExample("execute-script", harness.dir.path()));
        QCOMPARE(text(script.pages()[2], "script"),
            QString("USE `sakila`\n\nDELETE FROM rental\n  WHERE return_date < '2005-06-01'\n\nOPTIMIZE TABLE rental"));
        QCOMPARE(text(script.pages()[3], "scheduleSettings"), QString("Time Interval: 90 Minute(s)"));

        TaskPropertiesDialog restore(
            harness.context(), SheetMode::View, loadExample("restore-from-files", harness.dir.path()));
        auto* files = restore.pages()[1]->findChild<QTreeWidget*>("files");
        QCOMPARE(files->topLevelItem(0)->text(0), QString("1"));
        QCOMPARE(files->topLevelItem(0)->text(3), QString("22 KB"));
        QCOMPARE(files->topLevelItem(1)->text(3), QString("0 KB"));
        QCOMPARE(files->topLevelItem(0)->text(4), QString("Tue, Dec 01, 2026 03:00:12"));
    }
};

QTEST_MAIN(TaskWizardTest)
#include "TaskWizardTest.moc"
