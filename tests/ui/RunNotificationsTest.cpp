// Runs that end come to the user: one notification per run that the option asks for, with the
// task's name and its first Error line, a click that opens the task's log, and the warning
// overlay of the notification-area icon while the last run of some task failed.
#include "app/Application.h"
#include "app/TaskCommands.h"
#include "tests/ui/support/DesktopHarness.h"
#include "ui/MainWindow.h"
#include "ui/TaskLogDialog.h"
#include "ui/TaskViewCommands.h"
#include "ui/TrayIcon.h"

#include <QtTest>

using namespace kelvanto;
using test::DesktopHarness;

class RunNotificationsTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DesktopHarness> h;

    static Task failing(const std::string& name)
    {
        Task task = DesktopHarness::makeTask(name);
        task.comment = "fails";
        return task;
    }

    // Runs the task at `row` once and waits until its run has ended and been heard.
    void runOnce(std::size_t row)
    {
        const std::size_t before = h->notifier->shown.size();
        const int runs = h->runs->load();
        h->desktop().commands()->RunImmediately({row}, [](const Task&) { return true; });
        QTRY_VERIFY(h->runs->load() == runs + 1);
        QTRY_VERIFY(h->app().Server().TaskAt(static_cast<int>(row)).Status() == TaskStatus::Stopped);
        // The notice of the end is queued to this thread: let it arrive.
        QTest::qWait(50);
        QVERIFY(h->notifier->shown.size() >= before);
    }

    void setNotices(RunNotices notices)
    {
        Options options = h->app().GetOptions();
        options.runNotices = notices;
        h->app().SetOptions(options);
    }

private slots:
    void init() { h = std::make_unique<DesktopHarness>(); }
    void cleanup() { h.reset(); }

    void eachRunIsNotifiedAsTheOptionSaysAndAClickOpensItsLog()
    {
        h->writeOptions(DesktopHarness::quietOptions());
        h->writeTasks({DesktopHarness::makeTask("ok"), failing("bad")});
        QCOMPARE(h->start(), DesktopApp::kRunning);
        MainWindow& window = h->window();
        QVERIFY(!window.tray().warning());

        // Failures only (the default): a success is quiet, a failure is one notification.
        runOnce(0);
        QCOMPARE(h->notifier->shown.size(), std::size_t {0});
        runOnce(1);
        QTRY_COMPARE(h->notifier->shown.size(), std::size_t {1});
        const Notification failed = h->notifier->shown[0];
        QCOMPARE(failed.title, QStringLiteral("bad failed"));
        QCOMPARE(failed.text, QStringLiteral("Table `t1` cannot be read"));
        QVERIFY(failed.failure);
        QTRY_VERIFY(window.tray().warning());

        QVERIFY(window.findChild<TaskLogDialog*>() == nullptr);
        failed.clicked();
        auto* log = window.findChild<TaskLogDialog*>();
        QVERIFY(log && log->isVisible());
        QCOMPARE(log->windowTitle(), QStringLiteral("Task Log - bad"));

        // Every run: the success too, with its end line for text.
        setNotices(RunNotices::EveryRun);
        runOnce(0);
        QTRY_COMPARE(h->notifier->shown.size(), std::size_t {2});
        QCOMPARE(h->notifier->shown[1].title, QStringLiteral("ok succeeded"));
        QCOMPARE(h->notifier->shown[1].text, QStringLiteral("Run ended: succeeded"));
        QVERIFY(!h->notifier->shown[1].failure);

        // Never: nothing, not even a failure.
        setNotices(RunNotices::Never);
        runOnce(1);
        runOnce(0);
        QCOMPARE(h->notifier->shown.size(), std::size_t {2});

        // The overlay goes once no task's last run failed any more.
        QVERIFY(window.tray().warning());
        QVERIFY(h->desktop().commands()->DeleteTasks({1}).ok());
        QTRY_VERIFY(!window.tray().warning());
    }

    void aFailureBeforeTheStartShowsTheOverlay()
    {
        h->writeOptions(DesktopHarness::quietOptions());
        h->writeTasks({DesktopHarness::makeTask("ok"), DesktopHarness::makeTask("old")});
        {
            TaskLog log(h->dataDir() / "Logs", h->settings.clock);
            log.WriteLog("old.log", LogLevel::General, "Running...");
            log.WriteLog("old.log", LogLevel::Error, "Run ended: completed with errors (1)");
        }
        QCOMPARE(h->start(), DesktopApp::kRunning);
        QVERIFY(h->window().tray().warning());
        QCOMPARE(h->notifier->shown.size(), std::size_t {0});
    }
};

QTEST_MAIN(RunNotificationsTest)
#include "RunNotificationsTest.moc"
