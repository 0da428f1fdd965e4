// A second start of the real program on the same data folder shows the first one's window
// (after its login) and ends; only the first stays.
#include "tests/ui/support/DesktopHarness.h"
#include "tests/ui/support/UiTestSupport.h"
#include "ui/MainWindow.h"
#include "ui/TrayIcon.h"

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

using namespace kelvanto;
using test::DesktopHarness;

class SecondInstanceTest : public QObject
{
    Q_OBJECT

private:
    // Starts the real program on the harness's data folder and waits for it to end, while
    // this (first) program keeps answering.
    static int runSecondProgram(const DesktopHarness& h)
    {
        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        second.setProcessEnvironment(env);
        second.start(QString::fromLocal8Bit(qgetenv("KELVANTO_GUI_EXECUTABLE")),
            {"--data-dir", QString::fromStdString(h.dataDir().string())});
        if (!second.waitForStarted(10000))
            return -1;
        QElapsedTimer waited;
        waited.start();
        while (second.state() != QProcess::NotRunning && waited.elapsed() < 60000)
            QTest::qWait(10);
        if (second.state() != QProcess::NotRunning) {
            second.kill();
            second.waitForFinished();
            return -2;
        }
        return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -3;
    }

private slots:
    void aSecondStartShowsTheFirstWindowAndEnds()
    {
        DesktopHarness h;
        h.settings.trayAvailable = true;
        h.writeOptions(DesktopHarness::quietOptions());
        h.writeTasks({DesktopHarness::makeTask("w", ScheduleKind::EveryWeek)});
        QCOMPARE(h.start(), DesktopApp::kRunning);
        QVERIFY(!h.window().isVisible());

        QCOMPARE(runSecondProgram(h), 0);
        QTRY_VERIFY(h.window().isVisible());
        QVERIFY(h.window().visibleFlag());
        QVERIFY(!h.window().tray().isShown());
        // The first program still holds the folder: a third start ends the same way.
        QCOMPARE(runSecondProgram(h), 0);
    }

    void underLoginProtectionTheFirstAsksForTheLogin()
    {
        DesktopHarness h;
        h.settings.trayAvailable = true;
        Options options = DesktopHarness::quietOptions();
        options.loginUser = "admin";
        h.writeOptions(options);
        h.writeTasks({DesktopHarness::makeTask("w", ScheduleKind::EveryWeek)});
        QCOMPARE(h.start(), DesktopApp::kRunning);
        bool asked = false;
        test::onNextModal(
            [&](QWidget* dialog) {
                asked = true;
                test::child<QLineEdit>(dialog, "user")->setText("admin");
                test::child<QPushButton>(dialog, "ok")->click();
            },
            "kelvanto::LoginDialog");
        QCOMPARE(runSecondProgram(h), 0);
        QTRY_VERIFY(h.window().isVisible());
        QVERIFY(asked);
    }
};

QTEST_MAIN(SecondInstanceTest)
#include "SecondInstanceTest.moc"
