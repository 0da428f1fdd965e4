// The main window on a real data folder: the menus, the commands with their questions and
// messages, and what they leave in the task list file and the logs.
#include "ui/MainWindow.h"
#include "app/Application.h"
#include "app/TaskCommands.h"
#include "model/TaskListStore.h"
#include "tests/ui/support/DesktopHarness.h"
#include "tests/ui/support/UiTestSupport.h"
#include "ui/MainActions.h"
#include "ui/TaskListModel.h"
#include "ui/TaskListView.h"
#include "ui/TaskLogDialog.h"
#include "ui/TaskViewCommands.h"
#include "ui/UiCommandQueue.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
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

QString StatusText(MainWindow& window, int row)
{
    return window.view().model().index(row, TaskListModel::Status).data().toString();
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DesktopHarness> h;

    // Starts with Manual tasks a, b and c (the window is shown).
    MainWindow& StartWith(const std::vector<Task>& tasks)
    {
        h->writeOptions(DesktopHarness::quietOptions());
        h->writeTasks(tasks);
        if (h->start() != DesktopApp::kRunning)
            qFatal("the start-up ended");
        return h->window();
    }
    void selectRows(const std::vector<std::size_t>& rows) { h->window().view().selectRows(rows, rows.front()); }
    // The last run time of a task as the task list file holds it.
    TimeStamp savedLastRun(std::size_t row) const
    {
        auto saved = LoadTaskListFile(h->taskListFile());
        return saved && saved->size() > row ? (*saved)[row].lastRunTime : TimeStamp {};
    }
    MainActions& mainActions() { return h->window().mainActions(); }

private slots:
    void init() { h = std::make_unique<DesktopHarness>(); }
    void cleanup()
    {
        QCOMPARE(h->messages.unanswered, 0);
        h.reset();
    }

    void menusContextMenuAndToolbarHaveTheirCaptionsAndShortcuts()
    {
        MainWindow& window = StartWith({DesktopHarness::makeTask("a")});
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
        QCOMPARE(Captions(mainActions().contextMenu->actions()),
            (QStringList {"&New Task...\tCtrl+N", "&Edit Task...", "&Delete Task(s)\tDel", "Delete All", "Copy Task(s)",
                "Rena&me Task\tF2", "|", "&Start", "S&top", "&Run Immediately\tF5", "Start All", "Stop All", "|",
                "Select All\tCtrl+A", "|", "View &Log...", "&Verify Backup", "|", "Save &As...\tCtrl+S",
                "Load &From...\tCtrl+L", "|", "&View", "|", "&Properties"}));
        QStringList tools;
        for (QAction* action : mainActions().toolBar->actions())
            tools << (action->isSeparator() ? "|" : action->objectName());
        QCOMPARE(tools.mid(0, 14),
            (QStringList {"newTask", "editTask", "deleteTasks", "properties", "|", "start", "stop", "runImmediately",
                "|", "viewLog", "|", "options", "|", ""}));
        QVERIFY(window.minimumSize() == QSize(660, 460));
    }

    void viewButtonCyclesTheFourModes()
    {
        MainWindow& window = StartWith({DesktopHarness::makeTask("a")});
        QCOMPARE(window.view().mode(), int(TaskListView::Details));
        QList<int> seen;
        for (int i = 0; i < 4; ++i) {
            mainActions().viewButton->click();
            seen << window.view().mode();
            QVERIFY(mainActions().viewModes[window.view().mode()]->isChecked());
        }
        QCOMPARE(seen,
            (QList<int> {
                TaskListView::LargeIcons, TaskListView::SmallIcons, TaskListView::List, TaskListView::Details}));
        mainActions().viewModes[TaskListView::List]->trigger();
        QCOMPARE(window.view().mode(), int(TaskListView::List));
    }

    void commandsNeedingASelectionSayWhatIsMissing()
    {
        MainWindow& window = StartWith({DesktopHarness::makeTask("a")});
        QVERIFY(!mainActions().editTask->isEnabled());
        window.commands().editTask();
        window.commands().viewLog();
        window.commands().verifyBackup();
        QCOMPARE(h->messages.texts(),
            (QStringList {"Please choose a task item.", "Please choose a task.", "Please choose a task."}));
        QVERIFY(h->messages.shown[0].icon == Messages::Icon::Warning);
    }

    // The check itself is the command line's (VerifyCommandTest); here: the window's way to it.
    void verifyBackupReportsTheLatestRecordedBackup()
    {
        Task task = DesktopHarness::makeTask("a");
        const QString file = QString::fromStdString((h->tmp.path() / "a.sql").string());
        BackupRun run;
        run.fileMode = 2;
        run.files = {file.toStdString()};
        task.backupHistory = {run};
        MainWindow& window = StartWith({DesktopHarness::makeTask("none"), task});
        std::ofstream(file.toStdString()) << "SELECT 1;\n";
        selectRows({0});
        mainActions().verifyBackup->trigger();
        QCOMPARE(h->messages.lastText(), QString("The task has no recorded backup to verify."));
        selectRows({1});
        mainActions().verifyBackup->trigger();
        QVERIFY(h->messages.shown.back().icon == Messages::Icon::Warning);
        QVERIFY(h->messages.lastText().startsWith("The latest backup did not pass its verification.\n\n"));
        QVERIFY(h->messages.lastText().contains("there is no manifest"));
        QVERIFY(h->messages.lastText().contains("OK   " + file + ": plain"));
        (void)window;
    }

    void runImmediatelyAsksAndRunsAManualTaskOnce()
    {
        MainWindow& window = StartWith({DesktopHarness::makeTask("a"), DesktopHarness::makeTask("b")});
        selectRows({0, 1});
        QVERIFY(mainActions().runImmediately->isEnabled());
        QVERIFY(!mainActions().start->isEnabled());
        h->messages.answerYes();
        h->messages.answerNo();
        mainActions().runImmediately->trigger();
        QCOMPARE(h->messages.texts(),
            (QStringList {
                "Do you want to RUN the task (a) immediately?", "Do you want to RUN the task (b) immediately?"}));
        QVERIFY(h->messages.shown[0].buttons == Messages::Buttons::YesNo);
        QVERIFY(h->messages.shown[0].icon == Messages::Icon::Question);
        QTRY_COMPARE(
            h->logOf("a.log"), (Lines {"Run task immediately", "Running...", "Finished", "Run ended: succeeded"}));
        QTRY_COMPARE(StatusText(window, 0), QString("Stop"));
        QCOMPARE(h->logOf("b.log"), Lines {});
        // The run is on disk once it has ended: a crash of the window loses none of it.
        QTRY_VERIFY(savedLastRun(0).year > 0);
        QCOMPARE(savedLastRun(1).year, 0);
        // The last result, after the six columns, read from each task's log.
        TaskListModel& model = window.view().model();
        QCOMPARE(model.headerData(TaskListModel::LastResult, Qt::Horizontal).toString(), QString("Last Result"));
        QTRY_COMPARE(model.index(0, TaskListModel::LastResult).data().toString(), QString("OK"));
        QVERIFY(!model.index(0, TaskListModel::LastResult).data(Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(model.index(0, TaskListModel::LastResult)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .startsWith("Run ended: succeeded ("));
        QCOMPARE(model.index(1, TaskListModel::LastResult).data().toString(), QString());
        // A run that logged errors, and one that the program did not live to end.
        h->app().Log().WriteLog("b.log", LogLevel::General, "Running...");
        h->app().Log().WriteLog("b.log", LogLevel::Error, "Run ended: completed with errors (2)");
        h->app().Log().WriteLog("a.log", LogLevel::General, "Running...");
        window.view().refreshRows();
        QCOMPARE(model.index(1, TaskListModel::LastResult).data().toString(), QString("Errors (2)"));
        QCOMPARE(model.index(0, TaskListModel::LastResult).data().toString(), QString("Failed"));
    }

    // A task whose extras entry cannot be read: told at the start, marked in its row, and
    // its run fails with the reason instead of running without its settings.
    void aTaskWhoseExtrasCannotBeReadIsMarkedAndDoesNotRun()
    {
        std::filesystem::create_directories(h->dataDir());
        std::ofstream(h->dataDir() / "tasks_extras.json")
            << R"({"version": 1, "tasks": [{"logFileName": "a.log", "extras": {"compression": "bzip2"}}]})";
        MainWindow& window = StartWith({DesktopHarness::makeTask("a"), DesktopHarness::makeTask("b")});
        QCOMPARE(h->messages.shown.size(), std::size_t {1});
        QVERIFY(h->messages.texts()[0].contains("tasks[0].extras.compression: must be one of"));
        const TaskListModel& model = window.view().model();
        const QString tip = model.index(0, TaskListModel::Name).data(Qt::ToolTipRole).toString();
        QVERIFY2(tip.startsWith("a\nDoes not run: its extra settings cannot be read ("), qPrintable(tip));
        QCOMPARE(model.index(1, TaskListModel::Name).data(Qt::ToolTipRole).toString(), QString("b"));
        QVERIFY(model.index(0, TaskListModel::Name).data(Qt::DecorationRole).value<QIcon>().cacheKey()
            != model.index(1, TaskListModel::Name).data(Qt::DecorationRole).value<QIcon>().cacheKey());

        selectRows({0});
        h->messages.answerYes();
        mainActions().runImmediately->trigger();
        QTRY_COMPARE(h->logOf("a.log").size(), std::size_t {4});
        QVERIFY(
            QString::fromStdString(h->logOf("a.log")[2]).startsWith("The extra settings of this task cannot be read"));
        QCOMPARE(h->logOf("a.log")[3], std::string("Run ended: failed (1)"));
        QCOMPARE(h->runs->load(), 0);
    }

    void logWindowsAreNotModalFollowTheirLogsAndTheirTasks()
    {
        *h->holdRuns = true;
        MainWindow& window = StartWith({DesktopHarness::makeTask("a"), DesktopHarness::makeTask("b")});
        const auto lines = [](const TaskLogDialog* dialog) {
            QStringList texts;
            for (const LogRecord& record : dialog->records())
                texts << QString::fromStdString(record.message);
            return texts;
        };
        selectRows({0});
        mainActions().viewLog->trigger();
        const QPointer<TaskLogDialog> logA = window.findChild<TaskLogDialog*>();
        QVERIFY(logA && logA->isVisible());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(!UiCommandQueue::busy());
        QCOMPARE(lines(logA), QStringList());

        // Task a runs from the main window while its log is open: the lines appear as written.
        h->messages.answerYes();
        mainActions().runImmediately->trigger();
        QTRY_COMPARE(lines(logA), (QStringList {"Run task immediately", "Running..."}));

        // A second task runs meanwhile, and its log opens beside the first; asking again for
        // an open log brings that window forward instead of a second one.
        selectRows({1});
        h->messages.answerYes();
        mainActions().runImmediately->trigger();
        QTRY_COMPARE(StatusText(window, 1), QString("Running..."));
        mainActions().viewLog->trigger();
        mainActions().viewLog->trigger();
        QCOMPARE(window.findChildren<TaskLogDialog*>().size(), 2);
        QPointer<TaskLogDialog> logB;
        for (TaskLogDialog* dialog : window.findChildren<TaskLogDialog*>()) {
            if (dialog != logA)
                logB = dialog;
        }
        QCOMPARE(logB->windowTitle(), QString("Task Log - b"));
        QTRY_COMPARE(lines(logB), (QStringList {"Run task immediately", "Running..."}));

        *h->holdRuns = false;
        QTRY_COMPARE(lines(logA).last(), QString("Run ended: succeeded"));
        QTRY_COMPARE(StatusText(window, 1), QString("Stop"));

        // A renamed task's window takes the new name; a deleted task's window closes.
        QVERIFY(h->desktop().commands()->RenameTask(0, "a2"));
        QTRY_COMPARE(logA->windowTitle(), QString("Task Log - a2"));
        h->desktop().commands()->DeleteTasks({1});
        QTRY_VERIFY(logB.isNull());
        QVERIFY(!logA.isNull());
        QCOMPARE(h->messages.unanswered, 0);
    }

    void stopAsksOnlyForARunningTaskAndNoLeavesItRunning()
    {
        *h->holdRuns = true;
        MainWindow& window
            = StartWith({DesktopHarness::makeTask("a"), DesktopHarness::makeTask("w", ScheduleKind::EveryWeek)});
        selectRows({0});
        h->messages.answerYes();
        mainActions().runImmediately->trigger();
        QTRY_COMPARE(StatusText(window, 0), QString("Running..."));
        QTRY_COMPARE(StatusText(window, 1), QString("Waiting..."));
        selectRows({0, 1});
        QVERIFY(mainActions().stop->isEnabled());
        h->messages.clearShown();
        h->messages.answerNo();
        mainActions().stop->trigger();
        QCOMPARE(h->messages.texts(), (QStringList {"Do you want to STOP the task (a -- Running) now?"}));
        QCOMPARE(StatusText(window, 0), QString("Running..."));
        QCOMPARE(StatusText(window, 1), QString("Stop"));
        h->messages.answerYes();
        mainActions().stop->trigger();
        QCOMPARE(StatusText(window, 0), QString("Stop"));
        QCOMPARE(h->logOf("a.log"),
            (Lines {"Run task immediately", "Running...", "Stop task", "User canceled!", "Run ended: cancelled"}));
        QCOMPARE(h->logOf("w.log"), (Lines {"Stop task"}));
    }

    void startAllAndStopAllAskYesNoCancel()
    {
        MainWindow& window = StartWith({DesktopHarness::makeTask("w", ScheduleKind::EveryWeek)});
        QTRY_COMPARE(StatusText(window, 0), QString("Waiting..."));
        QVERIFY(!mainActions().startAll->isEnabled());
        h->messages.answerCancel();
        window.commands().stopAll();
        QCOMPARE(StatusText(window, 0), QString("Waiting..."));
        h->messages.answerYes();
        mainActions().stopAll->trigger();
        QCOMPARE(StatusText(window, 0), QString("Stop"));
        h->messages.answerYes();
        mainActions().startAll->trigger();
        QTRY_COMPARE(StatusText(window, 0), QString("Waiting..."));
        QCOMPARE(h->messages.texts(),
            (QStringList {"Do you want to STOP ALL tasks now?", "Do you want to STOP ALL tasks now?",
                "Do you want to START ALL scheduled tasks now?"}));
        for (const auto& shown : h->messages.shown)
            QVERIFY(shown.buttons == Messages::Buttons::YesNoCancel);
        QCOMPARE(h->logOf("w.log"), (Lines {"Stop task", "Start task"}));
    }

    void copyAppendsStoppedCopiesAndSelectsExactlyThem()
    {
        MainWindow& window = StartWith({DesktopHarness::makeTask("A"), DesktopHarness::makeTask("x"),
            DesktopHarness::makeTask("B", ScheduleKind::EveryWeek)});
        selectRows({0, 2});
        h->messages.answerNo();
        mainActions().copyTasks->trigger();
        QCOMPARE(h->app().TaskCount(), 3u);
        h->messages.answerYes();
        mainActions().copyTasks->trigger();
        QCOMPARE(h->messages.texts(),
            (QStringList {"Do you want to create 2 task copies?", "Do you want to create 2 task copies?"}));
        QCOMPARE(h->savedTaskNames(), (Lines {"A", "x", "B", "A_Copy", "B_Copy"}));
        QCOMPARE(window.view().selectedRows(), (std::vector<std::size_t> {3, 4}));
        QCOMPARE(StatusText(window, 4), QString("Stop"));
        const Task copy = *h->app().CopyOfTask(4);
        QCOMPARE(h->logOf(copy.logFileName), (Lines {"Create task by Copy task B"}));
    }

    void aTaskListThatCannotBeSavedIsToldOnceUntilASaveWorks()
    {
        StartWith({DesktopHarness::makeTask("A")});
        const std::filesystem::path extras = h->app().Folder().TaskExtrasFile();
        std::filesystem::remove(extras);
        std::filesystem::create_directory(extras); // the save cannot replace it
        selectRows({0});
        for (int copy = 0; copy < 2; ++copy) {
            h->messages.answerYes();
            mainActions().copyTasks->trigger();
        }
        QTRY_COMPARE(h->messages.shown.size(), std::size_t {3});
        QTest::qWait(1200); // one more tick of the window's clock: nothing new
        QCOMPARE(h->messages.shown.size(), std::size_t {3});
        QVERIFY(h->messages.texts()[2].startsWith("The task list could not be saved:\n"));
        QCOMPARE(h->messages.shown[2].icon, Messages::Icon::Error);
        QCOMPARE(h->savedTaskNames(), (Lines {"A"}));

        std::filesystem::remove(extras);
        h->messages.answerYes();
        mainActions().copyTasks->trigger();
        QCOMPARE(h->savedTaskNames(), (Lines {"A", "A_Copy", "A_Copy_Copy", "A_Copy_Copy_Copy"}));
        QTest::qWait(1200);
        QCOMPARE(h->messages.shown.size(), std::size_t {4});
    }

    void renameRefusesAnEmptyOrTakenNameAndKeepsTheDialogOpen()
    {
        MainWindow& window = StartWith({DesktopHarness::makeTask("a"), DesktopHarness::makeTask("b")});
        selectRows({0});
        QStringList seen;
        test::onNextModal(
            [&](QWidget* dialog) {
                auto* name = test::child<QLineEdit>(dialog, "taskName");
                seen << name->text();
                auto* ok = test::child<QPushButton>(dialog, "ok");
                for (const char* attempt : {"", "b", "B"}) {
                    name->setText(attempt);
                    ok->click();
                    seen << (dialog->isVisible() ? "open" : "closed");
                }
            },
            "kelvanto::RenameTaskDialog");
        mainActions().renameTask->trigger();
        QCOMPARE(seen, (QStringList {"a", "open", "open", "closed"}));
        QCOMPARE(h->messages.texts(),
            (QStringList {
                "Please input the task name.", "The task name already exists!\nPlease choose a different task name."}));
        QCOMPARE(h->app().CopyOfTask(0)->name, std::string("B"));
        QCOMPARE(h->app().CopyOfTask(0)->logFileName, std::string("a.log"));
        QTRY_COMPARE(window.view().model().index(0, 0).data().toString(), QString("B"));
    }

    void deleteAndDeleteAllRemoveTheTasksAndTheirLogs()
    {
        *h->holdRuns = true;
        MainWindow& window = StartWith({DesktopHarness::makeTask("a"),
            DesktopHarness::makeTask("w", ScheduleKind::EveryWeek), DesktopHarness::makeTask("c")});
        for (const char* name : {"a", "w", "c"})
            h->app().Log().WriteLog(std::string(name) + ".log", LogLevel::General, "hello");
        QTRY_COMPARE(StatusText(window, 1), QString("Waiting..."));
        selectRows({0, 1});
        h->messages.answerCancel();
        mainActions().deleteTasks->trigger();
        QCOMPARE(h->app().TaskCount(), 3u);
        h->messages.answerYes();
        mainActions().deleteTasks->trigger();
        QCOMPARE(h->savedTaskNames(), (Lines {"c"}));
        QVERIFY(!std::filesystem::exists(h->dataDir() / "Logs" / "a.log"));
        QVERIFY(!std::filesystem::exists(h->dataDir() / "Logs" / "w.log"));
        QVERIFY(std::filesystem::exists(h->dataDir() / "Logs" / "c.log"));
        QCOMPARE(window.view().model().rowCount(), 1);

        h->messages.answerNo();
        mainActions().deleteAll->trigger();
        QCOMPARE(h->app().TaskCount(), 1u);
        h->messages.answerYes();
        mainActions().deleteAll->trigger();
        QCOMPARE(h->app().TaskCount(), 0u);
        QVERIFY(!std::filesystem::exists(h->taskListFile()));
        QVERIFY(!std::filesystem::exists(h->dataDir() / "Logs" / "c.log"));
        QCOMPARE(h->messages.texts(),
            (QStringList {"Do you want to DELETE the task(s) now?\n\nThe task(s) will be stopped.",
                "Do you want to DELETE the task(s) now?\n\nThe task(s) will be stopped.",
                "Do you want to DELETE ALL tasks now?", "Do you want to DELETE ALL tasks now?"}));
        QVERIFY(!mainActions().deleteAll->isEnabled());
        QVERIFY(!mainActions().saveAs->isEnabled());
    }

    void saveAsAndLoadFromReportTheirOutcome()
    {
        MainWindow& window
            = StartWith({DesktopHarness::makeTask("a"), DesktopHarness::makeTask("w", ScheduleKind::EveryWeek)});
        const QString saved = QString::fromStdString((h->tmp.path() / "saved.tsk").string());
        h->files.choose(saved);
        mainActions().saveAs->trigger();
        h->files.choose(QString::fromStdString((h->tmp.path() / "missing" / "x.tsk").string()));
        mainActions().saveAs->trigger();
        QCOMPARE(h->files.asked.first(), QString("save Tasks files(*.tsk) .tsk"));

        // Load From: Cancel changes nothing; Yes replaces the list and restarts the scheduled task.
        selectRows({1});
        h->messages.answerYes();
        mainActions().deleteTasks->trigger();
        QCOMPARE(window.view().model().rowCount(), 1);
        h->files.choose(saved);
        h->messages.answerCancel();
        mainActions().loadFrom->trigger();
        QCOMPARE(h->app().TaskCount(), 1u);
        h->files.choose(saved);
        h->messages.answerYes();
        mainActions().loadFrom->trigger();
        QCOMPARE(window.view().model().rowCount(), 2);
        QTRY_COMPARE(StatusText(window, 1), QString("Waiting..."));
        QVERIFY(window.view().refreshing());
        h->files.choose(QString::fromStdString((h->tmp.path() / "missing.tsk").string()));
        h->messages.answerYes();
        mainActions().loadFrom->trigger();

        QStringList texts = h->messages.texts();
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
        MainWindow& window = StartWith({DesktopHarness::makeTask("a")});
        h->taskDialogs.finishWizardWith(DesktopHarness::makeTask("manual"));
        h->messages.answerYes();
        mainActions().newTask->trigger();
        h->taskDialogs.finishWizardWith(DesktopHarness::makeTask("weekly", ScheduleKind::EveryWeek));
        mainActions().newTask->trigger();
        QCOMPARE(h->messages.texts(), (QStringList {"Do you want to RUN the task (manual) immediately?"}));
        QCOMPARE(h->savedTaskNames(), (Lines {"a", "manual", "weekly"}));
        QCOMPARE(window.view().selectedRows(), (std::vector<std::size_t> {2}));
        QTRY_COMPARE(StatusText(window, 2), QString("Waiting..."));
        const Task manual = *h->app().CopyOfTask(1);
        QTRY_COMPARE(
            h->logOf(manual.logFileName), (Lines {"Create task", "Running...", "Finished", "Run ended: succeeded"}));
        QCOMPARE(h->taskDialogs.wizardRuns, 2);
    }

    void editNeedsAStoppedTaskAndPropertiesOpensTheSheet()
    {
        MainWindow& window
            = StartWith({DesktopHarness::makeTask("a"), DesktopHarness::makeTask("w", ScheduleKind::EveryWeek)});
        QTRY_COMPARE(StatusText(window, 1), QString("Waiting..."));
        selectRows({1});
        mainActions().editTask->trigger();
        QCOMPARE(h->messages.texts(), (QStringList {"Please STOP the task first, and then EDIT it."}));
        selectRows({0});
        h->taskDialogs.editWith([](Task& task) { task.name = "a, edited"; });
        mainActions().editTask->trigger();
        QCOMPARE(h->savedTaskNames(), (Lines {"a, edited", "w"}));
        QCOMPARE(h->logOf("a.log"), (Lines {"Edit task"}));
        mainActions().properties->trigger();
        QCOMPARE(h->taskDialogs.properties, (std::vector<std::string> {"a, edited"}));
    }

    void theClockShowsTheTimeWithSeconds()
    {
        MainWindow& window = StartWith({DesktopHarness::makeTask("a")});
        QVERIFY(QRegularExpression("^[A-Z][a-z]{2}, [A-Z][a-z]{2} \\d\\d, \\d{4} \\d\\d:\\d\\d:\\d\\d$")
                    .match(window.clock().text())
                    .hasMatch());
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
