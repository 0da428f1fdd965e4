// The start-up in its order and the two ends of the program, on real data folders.
#include "app/Application.h"
#include "app/DataFolderLock.h"
#include "model/OptionsStore.h"
#include "tests/ui/support/DesktopHarness.h"
#include "tests/ui/support/UiTestSupport.h"
#include "ui/CMainFrame.h"
#include "ui/MainActions.h"
#include "ui/TrayIcon.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include <fstream>

using namespace kelvanto;
using test::DesktopHarness;
using Lines = std::vector<std::string>;

namespace
{

// Fills the login dialog when it comes and presses OK.
void AnswerLogin(const char* user, const char* password)
{
    test::OnNextModal(
        [=](QWidget* dialog) {
            test::Child<QLineEdit>(dialog, "user")->setText(user);
            test::Child<QLineEdit>(dialog, "password")->setText(password);
            test::Child<QPushButton>(dialog, "ok")->click();
        },
        "kelvanto::CLoginDlg");
}

Options Protected()
{
    Options options = DesktopHarness::QuietOptions();
    options.loginUser = "admin";
    options.loginPassword = "s3cret";
    return options;
}

std::string FileText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DesktopHarness> h;

private slots:
    void init() { h = std::make_unique<DesktopHarness>(); }
    void cleanup()
    {
        QCOMPARE(h->messages.unanswered, 0);
        h.reset();
    }

    void aFirstStartPreparesTheFolderAsksOnceAndOpensTheWizard()
    {
        const auto optionsFile = h->DataDir() / "opt_se.dll";
        bool optionsExistedWhenAsked = true;
        h->messages.onShown = [&](const test::ScriptedMessages::Shown&) {
            optionsExistedWhenAsked = std::filesystem::exists(optionsFile);
        };
        h->messages.AnswerAutoRun(false, false);
        QCOMPARE(h->Start(), DesktopApp::kRunning);

        QCOMPARE(h->messages.shown.size(), 1u);
        QCOMPARE(h->messages.shown[0].text,
            QString("Do you want to auto run the program when the current Windows user log in?\n\nIf No, you can set "
                    "the option at the menu Tools->Options later."));
        QVERIFY(!optionsExistedWhenAsked);
        for (const char* path : {"Data", "Logs", "Logs/log200se.dll", "opt_se.dll"})
            QVERIFY2(std::filesystem::exists(h->DataDir() / path), path);
        QVERIFY(!std::filesystem::exists(h->DataDir() / "myserver.dll"));
        QVERIFY(!std::filesystem::exists(h->settings.autostartEntry));
        QVERIFY(h->Window().isVisible());
        QCOMPARE(h->taskDialogs.wizardRuns, 1);
        QCOMPARE(h->App().GetOptions().autoRun, std::uint8_t(0));
        QCOMPARE(h->App().GetOptions().dontAskAutoRun, std::uint8_t(0));
    }

    void yesToStartingAtLoginWritesTheAutostartEntry()
    {
        h->messages.AnswerAutoRun(true, true);
        h->WriteTasks({DesktopHarness::MakeTask("a")});
        Options options;
        options.showTips = 0;
        h->WriteOptions(options);
        QCOMPARE(h->Start(), DesktopApp::kRunning);
        const auto saved = LoadOptionsFile(h->DataDir() / "opt_se.dll").options;
        QCOMPARE(saved.autoRun, std::uint8_t(1));
        QCOMPARE(saved.dontAskAutoRun, std::uint8_t(1));
        QVERIFY(FileText(h->settings.autostartEntry).find("\nExec=/usr/bin/kelvanto\n") != std::string::npos);
        QCOMPARE(h->taskDialogs.wizardRuns, 0);
    }

    void onlyManualTasksShowTheWindowAfterTheLogin()
    {
        h->WriteOptions(Protected());
        h->WriteTasks({DesktopHarness::MakeTask("a")});
        AnswerLogin("admin", "s3cret");
        QCOMPARE(h->Start(), DesktopApp::kRunning);
        QVERIFY(h->Window().isVisible());
        QVERIFY(h->Window().VisibleFlag());
        QVERIFY(!h->Window().Tray().IsShown());
        QVERIFY(h->App().Server().IsStarted());
    }

    void aRefusedLoginEndsTheProgramWithNothingStarted()
    {
        h->WriteOptions(Protected());
        h->WriteTasks({DesktopHarness::MakeTask("a")});
        AnswerLogin("admin", "S3CRET");
        QCOMPARE(h->Start(), 0);
        QVERIFY(!h->App().Server().IsStarted());
        QVERIFY(!h->Window().isVisible());
    }

    void aScheduledTaskStartsInTheTrayWithoutAskingTheLogin()
    {
        h->settings.trayAvailable = true;
        h->WriteOptions(Protected());
        h->WriteTasks({DesktopHarness::MakeTask("a"), DesktopHarness::MakeTask("w", ScheduleKind::EveryWeek)});
        QCOMPARE(h->Start(), DesktopApp::kRunning);
        QVERIFY(!h->Window().isVisible());
        QVERIFY(!h->Window().VisibleFlag());
        QVERIFY(h->Window().Tray().IsShown());
        QVERIFY(!QApplication::activeModalWidget());
        QTRY_COMPARE(h->App().CopyOfTask(1)->status, TaskStatus::Waiting);

        // Under login protection the icon offers only "Sho&w"; a wrong login leaves the window hidden.
        QStringList menu;
        for (QAction* action : h->Window().Tray().Menu().actions())
            menu << action->text();
        QCOMPARE(menu, QStringList {"Sho&w"});
        AnswerLogin("admin", "wrong");
        h->Window().RestoreWindow();
        QVERIFY(!h->Window().isVisible());
        QVERIFY(h->Window().Tray().IsShown());
        AnswerLogin("admin", "s3cret");
        h->Window().RestoreWindow();
        QVERIFY(h->Window().isVisible());
        QVERIFY(!h->Window().Tray().IsShown());
        QVERIFY(h->Window().VisibleFlag());

        // Minimising hides the window in the notification area again.
        h->Window().setWindowState(Qt::WindowMinimized);
        QTRY_VERIFY(!h->Window().isVisible());
        QVERIFY(h->Window().Tray().IsShown());
    }

    // Without a notification area the window could never be shown again: it starts minimised.
    void withoutANotificationAreaAScheduledTaskStartsMinimised()
    {
        h->settings.trayAvailable = false;
        h->WriteOptions(DesktopHarness::QuietOptions());
        h->WriteTasks({DesktopHarness::MakeTask("w", ScheduleKind::EveryWeek)});
        QCOMPARE(h->Start(), DesktopApp::kRunning);
        QVERIFY(h->Window().isVisible());
        QVERIFY(h->Window().isMinimized());
        QVERIFY(!h->Window().Tray().IsShown());
        h->Window().RestoreWindow();
        QVERIFY(!h->Window().isMinimized());
        QVERIFY(h->Window().VisibleFlag());
        // Minimising keeps it on the task bar.
        h->Window().setWindowState(Qt::WindowMinimized);
        QTest::qWait(20);
        QVERIFY(h->Window().isVisible());
        QVERIFY(!h->Window().Tray().IsShown());
    }

    void quitAnsweredNoSavesNothingAndKeepsTheTasksRunning()
    {
        h->WriteOptions(DesktopHarness::QuietOptions());
        h->WriteTasks({DesktopHarness::MakeTask("w", ScheduleKind::EveryWeek)});
        QCOMPARE(h->Start(), DesktopApp::kRunning);
        QTRY_COMPARE(h->App().CopyOfTask(0)->status, TaskStatus::Waiting);
        const std::string listBefore = FileText(h->TaskListFile());
        h->App().Server().TaskAt(0).Update([](Task& task) { task.name = "renamed"; });
        h->messages.AnswerNo();
        h->Window().Actions().exit->trigger();
        QCOMPARE(h->messages.LastText(), QString("Quit the application and stop all tasks?"));
        QVERIFY(!h->Window().Quitting());
        QCOMPARE(FileText(h->TaskListFile()), listBefore);
        QCOMPARE(h->App().CopyOfTask(0)->status, TaskStatus::Waiting);
        // The window's close box asks the same question.
        h->messages.AnswerNo();
        QVERIFY(!h->Window().close());
        QVERIFY(h->Window().isVisible());
    }

    void quitAnsweredYesSavesOptionsAndListAndStopsEveryWorker()
    {
        h->WriteOptions(DesktopHarness::QuietOptions());
        h->WriteTasks({DesktopHarness::MakeTask("w", ScheduleKind::EveryWeek)});
        QCOMPARE(h->Start(), DesktopApp::kRunning);
        QTRY_COMPARE(h->App().CopyOfTask(0)->status, TaskStatus::Waiting);
        std::filesystem::remove(h->DataDir() / "opt_se.dll");
        h->App().Server().TaskAt(0).Update([](Task& task) { task.name = "renamed"; });
        h->messages.AnswerYes();
        h->Window().Actions().exit->trigger();
        QVERIFY(h->Window().Quitting());
        QCOMPARE(h->SavedTaskNames(), (Lines {"renamed"}));
        QVERIFY(std::filesystem::exists(h->DataDir() / "opt_se.dll"));
        QCOMPARE(h->App().TaskCount(), 0u);
        QCOMPARE(h->App().Server().LiveThreadCount(), 0);
        QVERIFY(!h->Window().isVisible());
    }

    void theSessionEndsOnlyWhenNoTaskRunsUnderTheShutdownOption()
    {
        *h->holdRuns = true;
        Options options = DesktopHarness::QuietOptions();
        options.noShutdownWhileRunning = 1;
        h->WriteOptions(options);
        h->WriteTasks({DesktopHarness::MakeTask("a")});
        QCOMPARE(h->Start(), DesktopApp::kRunning);
        h->App().Server().TaskAt(0).SetRunNow(1);
        h->App().Server().StartTask(0);
        QTRY_COMPARE(h->App().CopyOfTask(0)->status, TaskStatus::Running);
        QVERIFY(!h->Desktop().SessionMayEnd());
        QVERIFY(!h->Window().Quitting());
        QCOMPARE(h->App().CopyOfTask(0)->status, TaskStatus::Running);

        options.noShutdownWhileRunning = 0;
        h->App().SetOptions(options);
        QVERIFY(h->Desktop().SessionMayEnd());
        QVERIFY(h->Window().Quitting());
        QCOMPARE(h->messages.shown.size(), 0u);
        QCOMPARE(h->App().Server().LiveThreadCount(), 0);
        QCOMPARE(h->SavedTaskNames(), (Lines {"a"}));
        QCOMPARE(h->LogOf("a.log"), (Lines {"Running...", "User canceled!", "Run ended: cancelled"}));
    }

    void aFolderHeldByAnotherProgramIsRefusedWithItsName()
    {
        std::filesystem::create_directories(h->DataDir());
        auto held = DataFolderLock::Acquire(h->DataDir(), "kelvanto-cli run");
        QVERIFY(held.ok());
        QCOMPARE(h->Start(), 1);
        QCOMPARE(h->messages.shown.size(), 1u);
        QVERIFY(h->messages.shown[0].icon == Messages::Icon::Error);
        QVERIFY2(h->messages.LastText().startsWith("Kelvanto cannot start: the data folder "),
            qPrintable(h->messages.LastText()));
        QVERIFY(h->messages.LastText().contains("is in use by kelvanto-cli run (pid "));
        QVERIFY(!std::filesystem::exists(h->DataDir() / "opt_se.dll"));
    }

    void aDamagedTaskListEndsTheStartAndIsLeftAlone()
    {
        h->WriteOptions(DesktopHarness::QuietOptions());
        std::filesystem::create_directories(h->DataDir());
        std::ofstream(h->TaskListFile(), std::ios::binary)
            << std::string("\xE0\xF9\xBD\xCA\x05\x00\x00\x00garbage", 15);
        const std::string before = FileText(h->TaskListFile());
        QCOMPARE(h->Start(), 1);
        QVERIFY(h->messages.shown[0].icon == Messages::Icon::Error);
        QCOMPARE(FileText(h->TaskListFile()), before);
    }

    void theOptionsSheetWritesAndRemovesTheAutostartEntry()
    {
        h->WriteOptions(DesktopHarness::QuietOptions());
        h->WriteTasks({DesktopHarness::MakeTask("a")});
        QCOMPARE(h->Start(), DesktopApp::kRunning);
        for (const bool autoRun : {true, false}) {
            test::OnNextModal(
                [autoRun](QWidget* sheet) {
                    test::Child<QCheckBox>(sheet, "autoRun")->setChecked(autoRun);
                    test::Child<QPushButton>(sheet, "ok")->click();
                },
                "kelvanto::COptionsSheet");
            h->Window().Actions().options->trigger();
            QCOMPARE(std::filesystem::exists(h->settings.autostartEntry), autoRun);
            QCOMPARE(LoadOptionsFile(h->DataDir() / "opt_se.dll").options.autoRun, std::uint8_t(autoRun ? 1 : 0));
        }
    }

    void theTipOfTheDayComesWithTasksAndStoresWhereItWas()
    {
        Options options = DesktopHarness::QuietOptions();
        options.showTips = 1;
        options.lastTipIndex = 8;
        h->WriteOptions(options);
        h->WriteTasks({DesktopHarness::MakeTask("a")});
        QString counter;
        test::OnNextModal(
            [&](QWidget* dialog) {
                counter = test::Child<QLabel>(dialog, "tipCounter")->text();
                test::Child<QPushButton>(dialog, "nextTip")->click();
                test::Child<QPushButton>(dialog, "close")->click();
            },
            "kelvanto::CTipDlg");
        QCOMPARE(h->Start(), DesktopApp::kRunning);
        QCOMPARE(counter, QString("Tip 1 of 9"));
        QCOMPARE(LoadOptionsFile(h->DataDir() / "opt_se.dll").options.lastTipIndex, 1);
        QCOMPARE(h->taskDialogs.wizardRuns, 0);
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
