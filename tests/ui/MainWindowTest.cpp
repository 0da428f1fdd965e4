// The main window on a real data folder: the menus, the commands with their questions and
// messages, and what they leave in the task list file and the logs.
#include "app/Application.h"
#include "tests/ui/support/DesktopHarness.h"
#include "tests/ui/support/UiTestSupport.h"
#include "ui/CMainFrame.h"
#include "ui/CVelmTasksView.h"
#include "ui/MainActions.h"
#include "ui/TaskListModel.h"
#include "ui/TaskViewCommands.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <fstream>

using namespace kelvanto;
using test::DesktopHarness;
using Lines = std::vector<std::string>;

namespace
{

QStringList Captions(const QList<QAction*>& actions)
{
    QStringList captions;
    for (const QAction* action : actions) {
        QString caption = action->isSeparator() ? "|" : action->text();
        if (!action->shortcut().isEmpty())
            caption += "\t" + action->shortcut().toString();
        captions << caption;
    }
    return captions;
}

QString StatusText(CMainFrame& window, int row)
{
    return window.View().Model().index(row, TaskListModel::Status).data().toString();
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DesktopHarness> h;

    // Starts with Manual tasks a, b and c (the window is shown).
    CMainFrame& StartWith(const std::vector<Task>& tasks)
    {
        h->WriteOptions(DesktopHarness::QuietOptions());
        h->WriteTasks(tasks);
        if (h->Start() != DesktopApp::kRunning)
            qFatal("the start-up ended");
        return h->Window();
    }
    void Select(const std::vector<std::size_t>& rows) { h->Window().View().SelectRows(rows, rows.front()); }
    MainActions& Actions() { return h->Window().Actions(); }

private slots:
    void init() { h = std::make_unique<DesktopHarness>(); }
    void cleanup()
    {
        QCOMPARE(h->messages.unanswered, 0);
        h.reset();
    }

    void menusContextMenuAndToolbarHaveTheirCaptionsAndShortcuts()
    {
        CMainFrame& window = StartWith({DesktopHarness::MakeTask("a")});
        QCOMPARE(window.windowTitle(), QString("Kelvanto Standard Edition"));
        QStringList menus;
        for (QAction* menu : window.menuBar()->actions())
            menus << menu->text();
        QCOMPARE(menus, (QStringList {"&Task", "&Run", "Too&ls", "&View", "&Help"}));
        const auto menu = [&](int i) { return Captions(window.menuBar()->actions()[i]->menu()->actions()); };
        QCOMPARE(menu(0),
            (QStringList {"&New Task...\tCtrl+N", "&Edit Task...", "&Delete Task(s)\tDel", "Delete All",
                "&Copy Task(s)", "Rena&me Task\tF2", "View &Log...", "&Verify Backup", "Save &As...\tCtrl+S",
                "Load &From...\tCtrl+L", "&Properties", "E&xit"}));
        QCOMPARE(menu(1),
            (QStringList {"&Start", "S&top", "&Run Immediately\tF5", "Start All", "Stop All", "Select All\tCtrl+A"}));
        QCOMPARE(menu(2), (QStringList {"&MySQL Servers...", "&Options...\tCtrl+O"}));
        QCOMPARE(menu(3), (QStringList {"Lar&ge Icons", "&Small Icons", "&List", "&Details"}));
        QCOMPARE(menu(4),
            (QStringList {
                "&User Manual\tF1", "Ti&p of the Day", "&Web Site", "Support &Page", "Support &E-mail", "&About..."}));
        QCOMPARE(Captions(Actions().contextMenu->actions()),
            (QStringList {"&New Task...\tCtrl+N", "&Edit Task...", "&Delete Task(s)\tDel", "Delete All", "Copy Task(s)",
                "Rena&me Task\tF2", "|", "&Start", "S&top", "&Run Immediately\tF5", "Start All", "Stop All", "|",
                "Select All\tCtrl+A", "|", "View &Log...", "&Verify Backup", "|", "Save &As...\tCtrl+S",
                "Load &From...\tCtrl+L", "|", "&View", "|", "&Properties"}));
        QStringList tools;
        for (QAction* action : Actions().toolBar->actions())
            tools << (action->isSeparator() ? "|" : action->objectName());
        QCOMPARE(tools.mid(0, 14),
            (QStringList {"newTask", "editTask", "deleteTasks", "properties", "|", "start", "stop", "runImmediately",
                "|", "viewLog", "|", "options", "|", ""}));
        QVERIFY(window.minimumSize() == QSize(660, 460));
    }

    void viewButtonCyclesTheFourModes()
    {
        CMainFrame& window = StartWith({DesktopHarness::MakeTask("a")});
        QCOMPARE(window.View().Mode(), int(CVelmTasksView::Details));
        QList<int> seen;
        for (int i = 0; i < 4; ++i) {
            Actions().viewButton->click();
            seen << window.View().Mode();
            QVERIFY(Actions().viewModes[window.View().Mode()]->isChecked());
        }
        QCOMPARE(seen,
            (QList<int> {CVelmTasksView::LargeIcons, CVelmTasksView::SmallIcons, CVelmTasksView::List,
                CVelmTasksView::Details}));
        Actions().viewModes[CVelmTasksView::List]->trigger();
        QCOMPARE(window.View().Mode(), int(CVelmTasksView::List));
    }

    void commandsNeedingASelectionSayWhatIsMissing()
    {
        CMainFrame& window = StartWith({DesktopHarness::MakeTask("a")});
        QVERIFY(!Actions().editTask->isEnabled());
        window.Commands().EditTask();
        window.Commands().ViewLog();
        window.Commands().VerifyBackup();
        QCOMPARE(h->messages.Texts(),
            (QStringList {"Please choose a task item.", "Please choose a task.", "Please choose a task."}));
        QVERIFY(h->messages.shown[0].icon == Messages::Icon::Warning);
    }

    // The check itself is the command line's (VerifyCommandTest); here: the window's way to it.
    void verifyBackupReportsTheLatestRecordedBackup()
    {
        Task task = DesktopHarness::MakeTask("a");
        const QString file = QString::fromStdString((h->tmp.path() / "a.sql").string());
        BackupRun run;
        run.fileMode = 2;
        run.files = {file.toStdString()};
        task.backupHistory = {run};
        CMainFrame& window = StartWith({DesktopHarness::MakeTask("none"), task});
        std::ofstream(file.toStdString()) << "SELECT 1;\n";
        Select({0});
        Actions().verifyBackup->trigger();
        QCOMPARE(h->messages.LastText(), QString("The task has no recorded backup to verify."));
        Select({1});
        Actions().verifyBackup->trigger();
        QVERIFY(h->messages.shown.back().icon == Messages::Icon::Warning);
        QVERIFY(h->messages.LastText().startsWith("The latest backup did not pass its verification.\n\n"));
        QVERIFY(h->messages.LastText().contains("there is no manifest"));
        QVERIFY(h->messages.LastText().contains("OK   " + file + ": plain"));
        (void)window;
    }

    void runImmediatelyAsksAndRunsAManualTaskOnce()
    {
        CMainFrame& window = StartWith({DesktopHarness::MakeTask("a"), DesktopHarness::MakeTask("b")});
        Select({0, 1});
        QVERIFY(Actions().runImmediately->isEnabled());
        QVERIFY(!Actions().start->isEnabled());
        h->messages.AnswerYes();
        h->messages.AnswerNo();
        Actions().runImmediately->trigger();
        QCOMPARE(h->messages.Texts(),
            (QStringList {
                "Do you want to RUN the task (a) immediately?", "Do you want to RUN the task (b) immediately?"}));
        QVERIFY(h->messages.shown[0].buttons == Messages::Buttons::YesNo);
        QVERIFY(h->messages.shown[0].icon == Messages::Icon::Question);
        QTRY_COMPARE(
            h->LogOf("a.log"), (Lines {"Run task immediately", "Running...", "Finished", "Run ended: succeeded"}));
        QTRY_COMPARE(StatusText(window, 0), QString("Stop"));
        QCOMPARE(h->LogOf("b.log"), Lines {});
        // The last result, after the six columns, read from each task's log.
        TaskListModel& model = window.View().Model();
        QCOMPARE(model.headerData(TaskListModel::LastResult, Qt::Horizontal).toString(), QString("Last Result"));
        QTRY_COMPARE(model.index(0, TaskListModel::LastResult).data().toString(), QString("OK"));
        QVERIFY(!model.index(0, TaskListModel::LastResult).data(Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(model.index(0, TaskListModel::LastResult)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .startsWith("Run ended: succeeded ("));
        QCOMPARE(model.index(1, TaskListModel::LastResult).data().toString(), QString());
        // A run that logged errors, and one that the program did not live to end.
        h->App().Log().WriteLog("b.log", LogLevel::General, "Running...");
        h->App().Log().WriteLog("b.log", LogLevel::Error, "Run ended: completed with errors (2)");
        h->App().Log().WriteLog("a.log", LogLevel::General, "Running...");
        window.View().RefreshRows();
        QCOMPARE(model.index(1, TaskListModel::LastResult).data().toString(), QString("Errors (2)"));
        QCOMPARE(model.index(0, TaskListModel::LastResult).data().toString(), QString("Failed"));
    }

    void stopAsksOnlyForARunningTaskAndNoLeavesItRunning()
    {
        *h->holdRuns = true;
        CMainFrame& window
            = StartWith({DesktopHarness::MakeTask("a"), DesktopHarness::MakeTask("w", ScheduleKind::EveryWeek)});
        Select({0});
        h->messages.AnswerYes();
        Actions().runImmediately->trigger();
        QTRY_COMPARE(StatusText(window, 0), QString("Running..."));
        QTRY_COMPARE(StatusText(window, 1), QString("Waiting..."));
        Select({0, 1});
        QVERIFY(Actions().stop->isEnabled());
        h->messages.ClearShown();
        h->messages.AnswerNo();
        Actions().stop->trigger();
        QCOMPARE(h->messages.Texts(), (QStringList {"Do you want to STOP the task (a -- Running) now?"}));
        QCOMPARE(StatusText(window, 0), QString("Running..."));
        QCOMPARE(StatusText(window, 1), QString("Stop"));
        h->messages.AnswerYes();
        Actions().stop->trigger();
        QCOMPARE(StatusText(window, 0), QString("Stop"));
        QCOMPARE(h->LogOf("a.log"),
            (Lines {"Run task immediately", "Running...", "Stop task", "User canceled!", "Run ended: cancelled"}));
        QCOMPARE(h->LogOf("w.log"), (Lines {"Stop task"}));
    }

    void startAllAndStopAllAskYesNoCancel()
    {
        CMainFrame& window = StartWith({DesktopHarness::MakeTask("w", ScheduleKind::EveryWeek)});
        QTRY_COMPARE(StatusText(window, 0), QString("Waiting..."));
        QVERIFY(!Actions().startAll->isEnabled());
        h->messages.AnswerCancel();
        window.Commands().StopAll();
        QCOMPARE(StatusText(window, 0), QString("Waiting..."));
        h->messages.AnswerYes();
        Actions().stopAll->trigger();
        QCOMPARE(StatusText(window, 0), QString("Stop"));
        h->messages.AnswerYes();
        Actions().startAll->trigger();
        QTRY_COMPARE(StatusText(window, 0), QString("Waiting..."));
        QCOMPARE(h->messages.Texts(),
            (QStringList {"Do you want to STOP ALL tasks now?", "Do you want to STOP ALL tasks now?",
                "Do you want to START ALL scheduled tasks now?"}));
        for (const auto& shown : h->messages.shown)
            QVERIFY(shown.buttons == Messages::Buttons::YesNoCancel);
        QCOMPARE(h->LogOf("w.log"), (Lines {"Stop task", "Start task"}));
    }

    void copyAppendsStoppedCopiesAndSelectsExactlyThem()
    {
        CMainFrame& window = StartWith({DesktopHarness::MakeTask("A"), DesktopHarness::MakeTask("x"),
            DesktopHarness::MakeTask("B", ScheduleKind::EveryWeek)});
        Select({0, 2});
        h->messages.AnswerNo();
        Actions().copyTasks->trigger();
        QCOMPARE(h->App().TaskCount(), 3u);
        h->messages.AnswerYes();
        Actions().copyTasks->trigger();
        QCOMPARE(h->messages.Texts(),
            (QStringList {"Do you want to create 2 task copies?", "Do you want to create 2 task copies?"}));
        QCOMPARE(h->SavedTaskNames(), (Lines {"A", "x", "B", "A_Copy", "B_Copy"}));
        QCOMPARE(window.View().SelectedRows(), (std::vector<std::size_t> {3, 4}));
        QCOMPARE(StatusText(window, 4), QString("Stop"));
        const Task copy = *h->App().CopyOfTask(4);
        QCOMPARE(h->LogOf(copy.logFileName), (Lines {"Create task by Copy task B"}));
    }

    void renameRefusesAnEmptyOrTakenNameAndKeepsTheDialogOpen()
    {
        CMainFrame& window = StartWith({DesktopHarness::MakeTask("a"), DesktopHarness::MakeTask("b")});
        Select({0});
        QStringList seen;
        test::OnNextModal(
            [&](QWidget* dialog) {
                auto* name = test::Child<QLineEdit>(dialog, "taskName");
                seen << name->text();
                auto* ok = test::Child<QPushButton>(dialog, "ok");
                for (const char* attempt : {"", "b", "B"}) {
                    name->setText(attempt);
                    ok->click();
                    seen << (dialog->isVisible() ? "open" : "closed");
                }
            },
            "kelvanto::CRenameTaskDlg");
        Actions().renameTask->trigger();
        QCOMPARE(seen, (QStringList {"a", "open", "open", "closed"}));
        QCOMPARE(h->messages.Texts(),
            (QStringList {
                "Please input the task name.", "The task name already exists!\nPlease choose a different task name."}));
        QCOMPARE(h->App().CopyOfTask(0)->name, std::string("B"));
        QCOMPARE(h->App().CopyOfTask(0)->logFileName, std::string("a.log"));
        QTRY_COMPARE(window.View().Model().index(0, 0).data().toString(), QString("B"));
    }

    void deleteAndDeleteAllRemoveTheTasksAndTheirLogs()
    {
        *h->holdRuns = true;
        CMainFrame& window = StartWith({DesktopHarness::MakeTask("a"),
            DesktopHarness::MakeTask("w", ScheduleKind::EveryWeek), DesktopHarness::MakeTask("c")});
        for (const char* name : {"a", "w", "c"})
            h->App().Log().WriteLog(std::string(name) + ".log", LogLevel::General, "hello");
        QTRY_COMPARE(StatusText(window, 1), QString("Waiting..."));
        Select({0, 1});
        h->messages.AnswerCancel();
        Actions().deleteTasks->trigger();
        QCOMPARE(h->App().TaskCount(), 3u);
        h->messages.AnswerYes();
        Actions().deleteTasks->trigger();
        QCOMPARE(h->SavedTaskNames(), (Lines {"c"}));
        QVERIFY(!std::filesystem::exists(h->DataDir() / "Logs" / "a.log"));
        QVERIFY(!std::filesystem::exists(h->DataDir() / "Logs" / "w.log"));
        QVERIFY(std::filesystem::exists(h->DataDir() / "Logs" / "c.log"));
        QCOMPARE(window.View().Model().rowCount(), 1);

        h->messages.AnswerNo();
        Actions().deleteAll->trigger();
        QCOMPARE(h->App().TaskCount(), 1u);
        h->messages.AnswerYes();
        Actions().deleteAll->trigger();
        QCOMPARE(h->App().TaskCount(), 0u);
        QVERIFY(!std::filesystem::exists(h->TaskListFile()));
        QVERIFY(!std::filesystem::exists(h->DataDir() / "Logs" / "c.log"));
        QCOMPARE(h->messages.Texts(),
            (QStringList {"Do you want to DELETE the task(s) now?\n\nThe task(s) will be stopped.",
                "Do you want to DELETE the task(s) now?\n\nThe task(s) will be stopped.",
                "Do you want to DELETE ALL tasks now?", "Do you want to DELETE ALL tasks now?"}));
        QVERIFY(!Actions().deleteAll->isEnabled());
        QVERIFY(!Actions().saveAs->isEnabled());
    }

    void saveAsAndLoadFromReportTheirOutcome()
    {
        CMainFrame& window
            = StartWith({DesktopHarness::MakeTask("a"), DesktopHarness::MakeTask("w", ScheduleKind::EveryWeek)});
        const QString saved = QString::fromStdString((h->tmp.path() / "saved.tsk").string());
        h->files.Choose(saved);
        Actions().saveAs->trigger();
        h->files.Choose(QString::fromStdString((h->tmp.path() / "missing" / "x.tsk").string()));
        Actions().saveAs->trigger();
        QCOMPARE(h->files.asked.first(), QString("save Tasks Files(*.tsk) .tsk"));

        // Load From: Cancel changes nothing; Yes replaces the list and restarts the scheduled task.
        Select({1});
        h->messages.AnswerYes();
        Actions().deleteTasks->trigger();
        QCOMPARE(window.View().Model().rowCount(), 1);
        h->files.Choose(saved);
        h->messages.AnswerCancel();
        Actions().loadFrom->trigger();
        QCOMPARE(h->App().TaskCount(), 1u);
        h->files.Choose(saved);
        h->messages.AnswerYes();
        Actions().loadFrom->trigger();
        QCOMPARE(window.View().Model().rowCount(), 2);
        QTRY_COMPARE(StatusText(window, 1), QString("Waiting..."));
        QVERIFY(window.View().Refreshing());
        h->files.Choose(QString::fromStdString((h->tmp.path() / "missing.tsk").string()));
        h->messages.AnswerYes();
        Actions().loadFrom->trigger();

        QStringList texts = h->messages.Texts();
        texts.removeAll("Do you want to DELETE the task(s) now?\n\nThe task(s) will be stopped.");
        QCOMPARE(texts,
            (QStringList {"Successfully saved the task list to a task file!",
                "Failed to save the task list to a task file!",
                "Do you want to LOAD a new task list from the task file?\n\nThe current task list will be overwrote.",
                "Do you want to LOAD a new task list from the task file?\n\nThe current task list will be overwrote.",
                "Successfully loaded the task list from the file!",
                "Do you want to LOAD a new task list from the task file?\n\nThe current task list will be overwrote.",
                "Failed to load the task list from the file!"}));
        QVERIFY(h->messages.shown[0].icon == Messages::Icon::Information);
        QVERIFY(h->messages.shown[1].icon == Messages::Icon::Error);
        QVERIFY(h->messages.shown.back().icon == Messages::Icon::Error);
    }

    void newTaskAddsSelectsAndStartsByItsSchedule()
    {
        CMainFrame& window = StartWith({DesktopHarness::MakeTask("a")});
        h->taskDialogs.FinishWizardWith(DesktopHarness::MakeTask("manual"));
        h->messages.AnswerYes();
        Actions().newTask->trigger();
        h->taskDialogs.FinishWizardWith(DesktopHarness::MakeTask("weekly", ScheduleKind::EveryWeek));
        Actions().newTask->trigger();
        QCOMPARE(h->messages.Texts(), (QStringList {"Do you want to RUN the task (manual) immediately?"}));
        QCOMPARE(h->SavedTaskNames(), (Lines {"a", "manual", "weekly"}));
        QCOMPARE(window.View().SelectedRows(), (std::vector<std::size_t> {2}));
        QTRY_COMPARE(StatusText(window, 2), QString("Waiting..."));
        const Task manual = *h->App().CopyOfTask(1);
        QTRY_COMPARE(
            h->LogOf(manual.logFileName), (Lines {"Create task", "Running...", "Finished", "Run ended: succeeded"}));
        QCOMPARE(h->taskDialogs.wizardRuns, 2);
    }

    void editNeedsAStoppedTaskAndPropertiesOpensTheSheet()
    {
        CMainFrame& window
            = StartWith({DesktopHarness::MakeTask("a"), DesktopHarness::MakeTask("w", ScheduleKind::EveryWeek)});
        QTRY_COMPARE(StatusText(window, 1), QString("Waiting..."));
        Select({1});
        Actions().editTask->trigger();
        QCOMPARE(h->messages.Texts(), (QStringList {"Please STOP the task first, and then EDIT it."}));
        Select({0});
        h->taskDialogs.EditWith([](Task& task) { task.name = "a, edited"; });
        Actions().editTask->trigger();
        QCOMPARE(h->SavedTaskNames(), (Lines {"a, edited", "w"}));
        QCOMPARE(h->LogOf("a.log"), (Lines {"Edit task"}));
        Actions().properties->trigger();
        QCOMPARE(h->taskDialogs.properties, (std::vector<std::string> {"a, edited"}));
    }

    void theClockShowsTheTimeWithSeconds()
    {
        CMainFrame& window = StartWith({DesktopHarness::MakeTask("a")});
        QVERIFY(QRegularExpression("^[A-Z][a-z]{2}, [A-Z][a-z]{2} \\d\\d, \\d{4} \\d\\d:\\d\\d:\\d\\d$")
                    .match(window.Clock().text())
                    .hasMatch());
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
