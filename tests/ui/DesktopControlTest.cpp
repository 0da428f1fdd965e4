// The desktop program answers kelvanto-cli on its control socket while it holds the data
// folder: the live list with a run's progress, a forwarded run, and changes that are the
// window's own commands, shown in the window at once (the selection follows its tasks).
// A change waits while a dialog is open, and is refused when the dialog stays open too
// long; a quit lets waiting requests and followed runs go. The progress of a running task
// shows in its row's tooltip and in the status bar.
#include "app/Application.h"
#include "tests/ui/support/DesktopHarness.h"
#include "tests/ui/support/UiTestSupport.h"
#include "ui/MainActions.h"
#include "ui/MainWindow.h"
#include "ui/TaskListModel.h"
#include "ui/TaskListView.h"
#include "ui/TaskLogDialog.h"
#include "ui/TaskViewCommands.h"

#include <QAction>
#include <QLabel>
#include <QtTest>

using namespace kelvanto;
using test::DesktopHarness;
using test::runCli;

namespace
{

QString Cell(MainWindow& window, int row, int column, int role = Qt::DisplayRole)
{
    return window.view().model().index(row, column).data(role).toString();
}

QStringList Names(MainWindow& window)
{
    QStringList names;
    for (int row = 0; row < window.view().model().rowCount(); ++row)
        names << Cell(window, row, TaskListModel::Name);
    return names;
}

const QByteArray kImported = R"({"name": "Imported", "type": 5, "script": "SELECT 1;\n", "schedule": {"kind": 0},
    "source": {"host": "127.0.0.1", "port": 3306, "user": "root", "password": ""}})";

} // namespace

class DesktopControlTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DesktopHarness> h;

    // Starts with the scheduled task "Nightly" and the Manual task "Script"; the window shows.
    MainWindow& start()
    {
        h->writeOptions(DesktopHarness::quietOptions());
        h->writeTasks(
            {DesktopHarness::makeTask("Nightly", ScheduleKind::EveryWeek), DesktopHarness::makeTask("Script")});
        if (h->start() != DesktopApp::kRunning)
            qFatal("the program did not start");
        h->window().restoreWindow();
        return h->window();
    }

    test::CliOutcome Cli(const QStringList& args, const QByteArray& input = {})
    {
        return runCli(h->dataDir(), args, input);
    }

private slots:
    void init() { h = std::make_unique<DesktopHarness>(); }
    void cleanup() { h.reset(); }

    void theListIsLiveAndARunShowsItsProgress()
    {
        MainWindow& window = start();
        const auto listed = Cli({"list"});
        QCOMPARE(listed.code, 0);
        QVERIFY2(listed.out.contains(
                     QRegularExpression("^Nightly\t[^\n]*\tWaiting...\t", QRegularExpression::MultilineOption)),
            qPrintable(listed.out));

        // A run begun in the window, held: the list and the window show its progress.
        h->holdRuns->store(true);
        window.view().selectRows({1}, 1);
        h->messages.answerYes();
        window.mainActions().runImmediately->trigger();
        const QString progress = "fake.items: 7 of about 10 rows (70%)";
        QTRY_COMPARE(window.progressLabel().text(), "Script - " + progress);
        QCOMPARE(Cell(window, 1, TaskListModel::Status, Qt::ToolTipRole), "Running...\n" + progress);
        QCOMPARE(Cell(window, 0, TaskListModel::Status, Qt::ToolTipRole), QString("Waiting..."));
        const auto running = Cli({"list"});
        QVERIFY2(running.out.contains("Script\t") && running.out.contains("\tRunning...\t")
                && running.out.contains("\t" + progress + "\n"),
            qPrintable(running.out));

        // Another row selected: the status bar has nothing to say; the run's end clears it too.
        window.view().selectRows({0}, 0);
        QCOMPARE(window.progressLabel().text(), QString());
        window.view().selectRows({1}, 1);
        QCOMPARE(window.progressLabel().text(), "Script - " + progress);
        h->holdRuns->store(false);
        QTRY_COMPARE(Cell(window, 1, TaskListModel::Status), QString("Stop"));
        QCOMPARE(window.progressLabel().text(), QString());
        QCOMPARE(Cell(window, 1, TaskListModel::Status, Qt::ToolTipRole), QString("Stop"));
    }

    void aRunIsForwardedAndFollowedToItsEnd()
    {
        MainWindow& window = start();
        const auto run = Cli({"run", "Script"});
        QVERIFY2(run.code == 0, qPrintable(run.err));
        // The run's lines, as the service's follower prints them; the command's own line is in the log.
        QVERIFY2(run.out.contains("\tGeneral Info\tRunning...\n")
                && run.out.endsWith("\tGeneral Info\tRun ended: succeeded\n"),
            qPrintable(run.out));
        QCOMPARE(h->runs->load(), 1);
        QVERIFY(!Cell(window, 1, TaskListModel::LastRun).isEmpty());
        QCOMPARE(h->logOf("Script.log"),
            (std::vector<std::string> {"Run task immediately", "Running...", "Finished", "Run ended: succeeded"}));

        const auto unknown = Cli({"run", "Nobody"});
        QCOMPARE(unknown.code, 1);
        QVERIFY2(unknown.err.contains("no task named \"Nobody\""), qPrintable(unknown.err));
        QCOMPARE(h->messages.unanswered, 0);
    }

    void changesAreTheWindowsCommandsAndTheWindowFollowsThem()
    {
        MainWindow& window = start();
        window.view().selectRows({1}, 1); // "Script"

        QCOMPARE(Cli({"task", "import", "-"}, kImported).code, 0);
        QCOMPARE(Names(window), QStringList({"Nightly", "Script", "Imported"}));
        QCOMPARE(window.view().selectedRows(), std::vector<std::size_t>({1}));
        QCOMPARE(h->savedTaskNames(), (std::vector<std::string> {"Nightly", "Script", "Imported"}));
        QCOMPARE(h->logOf(h->app().CopyOfTask(2)->logFileName).back(), std::string("Create task"));

        QCOMPARE(Cli({"task", "rename", "Imported", "Renamed"}).code, 0);
        QCOMPARE(Cell(window, 2, TaskListModel::Name), QString("Renamed"));
        const auto taken = Cli({"task", "rename", "Renamed", "Script"});
        QCOMPARE(taken.code, 1);
        QVERIFY2(taken.err.contains("The task name already exists!"), qPrintable(taken.err));

        // The selected task keeps its selection when a row above it goes.
        QCOMPARE(Cli({"task", "delete", "Nightly"}).code, 0);
        QCOMPARE(Names(window), QStringList({"Script", "Renamed"}));
        QCOMPARE(window.view().selectedRows(), std::vector<std::size_t>({0}));
        QVERIFY(window.mainActions().runImmediately->isEnabled());

        QCOMPARE(Cli({"task", "copy", "Script"}).code, 0);
        QCOMPARE(Names(window), QStringList({"Script", "Renamed", "Script_Copy"}));

        // A scheduled task that is never due (Every Week on no weekday) starts at once.
        QByteArray weekly = kImported;
        weekly.replace("Imported", "Weekly").replace("\"kind\": 0", "\"kind\": 2, \"weekDays\": [0, 0, 0, 0, 0, 0, 0]");
        QCOMPARE(Cli({"task", "import", "-"}, weekly).code, 0);
        QTRY_COMPARE(Cell(window, 3, TaskListModel::Status), QString("Waiting..."));
        QCOMPARE(Cli({"stop", "Weekly"}).code, 0);
        QCOMPARE(Cell(window, 3, TaskListModel::Status), QString("Stop"));
        QCOMPARE(Cli({"start", "Weekly"}).code, 0);
        QCOMPARE(Cell(window, 3, TaskListModel::Status), QString("Waiting..."));
        QCOMPARE(h->savedTaskNames(), (std::vector<std::string> {"Script", "Renamed", "Script_Copy", "Weekly"}));
        QCOMPARE(h->messages.unanswered, 0);
    }

    void openLogWindowsDoNotHoldChangesBackAndFollowTheirTasks()
    {
        MainWindow& window = start();
        for (const Task& task : h->app().TaskCopies())
            window.commands().viewLogOf(task.taskId);
        QCOMPARE(window.findChildren<TaskLogDialog*>().size(), 2);
        const auto logOf = [&window](const QString& title) {
            for (TaskLogDialog* dialog : window.findChildren<TaskLogDialog*>()) {
                if (dialog->windowTitle() == title)
                    return QPointer<TaskLogDialog>(dialog);
            }
            return QPointer<TaskLogDialog>();
        };
        const QPointer<TaskLogDialog> nightly = logOf("Task Log - Nightly");
        const QPointer<TaskLogDialog> script = logOf("Task Log - Script");
        QVERIFY(nightly && script);

        // Neither log window counts as a dialog that a change must wait for.
        const auto renamed = Cli({"task", "rename", "Script", "Script 2"});
        QVERIFY2(renamed.code == 0, qPrintable(renamed.err));
        QTRY_COMPARE(script->windowTitle(), QString("Task Log - Script 2"));
        const auto deleted = Cli({"task", "delete", "Nightly"});
        QVERIFY2(deleted.code == 0, qPrintable(deleted.err));
        QTRY_VERIFY(nightly.isNull());
        QVERIFY(!script.isNull());
        QCOMPARE(Names(window), QStringList({"Script 2"}));
    }

    void aChangeWaitsWhileADialogIsOpenAndAReadDoesNot()
    {
        MainWindow& window = start();
        std::unique_ptr<QProcess> deleting;
        test::CliOutcome listed;
        bool waited = false;
        test::onNextModal(
            [&](QWidget* dialog) {
                deleting = test::startCli(h->dataDir(), {"task", "delete", "Script"});
                listed = runCli(h->dataDir(), {"list"});
                QTest::qWait(500);
                waited = deleting->state() != QProcess::NotRunning && h->app().TaskCount() == 2;
                dialog->close();
            },
            "kelvanto::AboutDialog");
        window.showAbout();
        QVERIFY(waited);
        QCOMPARE(listed.code, 0);
        QVERIFY2(listed.out.contains("Script\t"), qPrintable(listed.out));
        const auto deleted = test::waitForCli(*deleting);
        QVERIFY2(deleted.code == 0, qPrintable(deleted.err));
        QCOMPARE(Names(window), QStringList({"Nightly"}));
    }

    void aChangeThatWaitsTooLongIsRefusedAndNeverMade()
    {
        h->settings.controlBusyWait = std::chrono::milliseconds(300);
        MainWindow& window = start();
        test::CliOutcome refused;
        test::onNextModal(
            [&](QWidget* dialog) {
                refused = runCli(h->dataDir(), {"task", "delete", "Script"});
                dialog->close();
            },
            "kelvanto::AboutDialog");
        window.showAbout();
        QCOMPARE(refused.code, 1);
        QVERIFY2(refused.err.contains("a dialog is open in its window"), qPrintable(refused.err));
        QTest::qWait(300);
        QCOMPARE(Names(window), QStringList({"Nightly", "Script"}));
        QCOMPARE(h->app().TaskCount(), 2u);
    }

    void quittingLetsFollowedRunsAndWaitingChangesGo()
    {
        MainWindow& window = start();
        h->holdRuns->store(true);
        auto following = test::startCli(h->dataDir(), {"run", "Script"});
        QTRY_COMPARE(Cell(window, 1, TaskListModel::Status), QString("Running..."));
        test::CliOutcome refused;
        test::onNextModal(
            [&](QWidget* dialog) {
                auto waiting = test::startCli(h->dataDir(), {"task", "delete", "Nightly"});
                QTest::qWait(300);
                // The session ends with the dialog still open: the waiting change is let go
                // at once. (A test has no application event loop that the quit could end,
                // so the dialog is closed here.)
                h->desktop().sessionMayEnd();
                refused = test::waitForCli(*waiting, 10000);
                dialog->close();
            },
            "kelvanto::AboutDialog");
        window.showAbout();
        QVERIFY(window.quitting());
        QCOMPARE(refused.code, 1);
        QVERIFY2(refused.err.contains("it is closing"), qPrintable(refused.err));
        const auto followed = test::waitForCli(*following, 10000);
        QVERIFY2(followed.code != -1, "the followed run's command line did not end");
        QCOMPARE(h->savedTaskNames(), (std::vector<std::string> {"Nightly", "Script"}));
        QVERIFY(!std::filesystem::exists(h->dataDir() / "kelvanto.sock"));
    }
};

QTEST_MAIN(DesktopControlTest)
#include "DesktopControlTest.moc"
