// The start-up in its order and the two ends of the program, on real data folders.
#include "app/Application.h"
#include "app/DataFolderLock.h"
#include "model/OptionsStore.h"
#include "model/Version.h"
#include "tests/ui/support/DesktopHarness.h"
#include "tests/ui/support/UiTestSupport.h"
#include "ui/MainActions.h"
#include "ui/MainWindow.h"
#include "ui/TaskListModel.h"
#include "ui/TaskListView.h"
#include "ui/TrayIcon.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
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
    test::onNextModal(
        [=](QWidget* dialog) {
            test::child<QLineEdit>(dialog, "user")->setText(user);
            test::child<QLineEdit>(dialog, "password")->setText(password);
            test::child<QPushButton>(dialog, "ok")->click();
        },
        "kelvanto::LoginDialog");
}

Options Protected()
{
    Options options = DesktopHarness::quietOptions();
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
        const auto optionsFile = h->dataDir() / "opt_se.dll";
        bool optionsExistedWhenAsked = true;
        h->messages.onShown = [&](const test::ScriptedMessages::Shown&) {
            optionsExistedWhenAsked = std::filesystem::exists(optionsFile);
        };
        h->messages.answerAutoRun(false, false);
        QCOMPARE(h->start(), DesktopApp::kRunning);

        QCOMPARE(h->messages.shown.size(), 1u);
        QCOMPARE(h->messages.shown[0].text,
            QString("Do you want to start the program when you log in?\n\nIf No, you can set "
                    "the option at the menu Tools->Options later."));
        QVERIFY(!optionsExistedWhenAsked);
        for (const char* path : {"Data", "Logs", "Logs/log200se.dll", "opt_se.dll"})
            QVERIFY2(std::filesystem::exists(h->dataDir() / path), path);
        QVERIFY(!std::filesystem::exists(h->dataDir() / "myserver.dll"));
        QVERIFY(!std::filesystem::exists(h->settings.autostartEntry));
        QVERIFY(h->window().isVisible());
        QCOMPARE(h->taskDialogs.wizardRuns, 1);
        QCOMPARE(h->app().GetOptions().autoRun, std::uint8_t(0));
        QCOMPARE(h->app().GetOptions().dontAskAutoRun, std::uint8_t(0));
    }

    void yesToStartingAtLoginWritesTheAutostartEntry()
    {
        h->messages.answerAutoRun(true, true);
        h->writeTasks({DesktopHarness::makeTask("a")});
        Options options;
        options.showTips = 0;
        h->writeOptions(options);
        QCOMPARE(h->start(), DesktopApp::kRunning);
        const auto saved = LoadOptionsFile(h->dataDir() / "opt_se.dll").options;
        QCOMPARE(saved.autoRun, std::uint8_t(1));
        QCOMPARE(saved.dontAskAutoRun, std::uint8_t(1));
        QVERIFY(FileText(h->settings.autostartEntry).find("\nExec=/usr/bin/kelvanto\n") != std::string::npos);
        QCOMPARE(h->taskDialogs.wizardRuns, 0);
    }

    void onlyManualTasksShowTheWindowAfterTheLogin()
    {
        h->writeOptions(Protected());
        h->writeTasks({DesktopHarness::makeTask("a")});
        AnswerLogin("admin", "s3cret");
        QCOMPARE(h->start(), DesktopApp::kRunning);
        QVERIFY(h->window().isVisible());
        QVERIFY(h->window().visibleFlag());
        QVERIFY(!h->window().tray().isShown());
        QVERIFY(h->app().Server().IsStarted());
    }

    void aRefusedLoginEndsTheProgramWithNothingStarted()
    {
        h->writeOptions(Protected());
        h->writeTasks({DesktopHarness::makeTask("a")});
        AnswerLogin("admin", "S3CRET");
        QCOMPARE(h->start(), 0);
        QVERIFY(!h->app().Server().IsStarted());
        QVERIFY(!h->window().isVisible());
    }

    void aScheduledTaskStartsInTheTrayWithoutAskingTheLogin()
    {
        h->settings.trayAvailable = true;
        h->writeOptions(Protected());
        h->writeTasks({DesktopHarness::makeTask("a"), DesktopHarness::makeTask("w", ScheduleKind::EveryWeek)});
        QCOMPARE(h->start(), DesktopApp::kRunning);
        QVERIFY(!h->window().isVisible());
        QVERIFY(!h->window().visibleFlag());
        QVERIFY(h->window().tray().isShown());
        QVERIFY(!QApplication::activeModalWidget());
        QTRY_COMPARE(h->app().CopyOfTask(1)->status, TaskStatus::Waiting);

        // Under login protection the icon offers only "Sho&w"; a wrong login leaves the window hidden.
        QStringList menu;
        for (QAction* action : h->window().tray().menu().actions())
            menu << action->text();
        QCOMPARE(menu, QStringList {"Sho&w"});
        AnswerLogin("admin", "wrong");
        h->window().restoreWindow();
        QVERIFY(!h->window().isVisible());
        QVERIFY(h->window().tray().isShown());
        AnswerLogin("admin", "s3cret");
        h->window().restoreWindow();
        QVERIFY(h->window().isVisible());
        QVERIFY(!h->window().tray().isShown());
        QVERIFY(h->window().visibleFlag());

        // Minimising hides the window in the notification area again.
        h->window().setWindowState(Qt::WindowMinimized);
        QTRY_VERIFY(!h->window().isVisible());
        QVERIFY(h->window().tray().isShown());
    }

    // Without a notification area a hidden start would look like a failed launch: the window
    // starts shown, not minimised.
    void withoutANotificationAreaAScheduledTaskStartsVisible()
    {
        h->settings.trayAvailable = false;
        h->writeOptions(DesktopHarness::quietOptions());
        h->writeTasks({DesktopHarness::makeTask("w", ScheduleKind::EveryWeek)});
        QCOMPARE(h->start(), DesktopApp::kRunning);
        QVERIFY(h->window().isVisible());
        QVERIFY(!h->window().isMinimized());
        QVERIFY(h->window().visibleFlag());
        QVERIFY(!h->window().tray().isShown());
        // Minimising keeps it on the task bar.
        h->window().setWindowState(Qt::WindowMinimized);
        QTest::qWait(20);
        QVERIFY(h->window().isVisible());
        QVERIFY(!h->window().tray().isShown());
    }

    void quitAnsweredNoSavesNothingAndKeepsTheTasksRunning()
    {
        h->writeOptions(DesktopHarness::quietOptions());
        h->writeTasks({DesktopHarness::makeTask("w", ScheduleKind::EveryWeek)});
        QCOMPARE(h->start(), DesktopApp::kRunning);
        QTRY_COMPARE(h->app().CopyOfTask(0)->status, TaskStatus::Waiting);
        const std::string listBefore = FileText(h->taskListFile());
        h->app().Server().TaskAt(0).Update([](Task& task) { task.name = "renamed"; });
        h->messages.answerNo();
        h->window().mainActions().exit->trigger();
        QCOMPARE(h->messages.lastText(), QString("Quit the application and stop all tasks?"));
        QVERIFY(!h->window().quitting());
        QCOMPARE(FileText(h->taskListFile()), listBefore);
        QCOMPARE(h->app().CopyOfTask(0)->status, TaskStatus::Waiting);
        // The window's close box asks the same question.
        h->messages.answerNo();
        QVERIFY(!h->window().close());
        QVERIFY(h->window().isVisible());
    }

    void quitAnsweredYesSavesOptionsAndListAndStopsEveryWorker()
    {
        h->writeOptions(DesktopHarness::quietOptions());
        h->writeTasks({DesktopHarness::makeTask("w", ScheduleKind::EveryWeek)});
        QCOMPARE(h->start(), DesktopApp::kRunning);
        QTRY_COMPARE(h->app().CopyOfTask(0)->status, TaskStatus::Waiting);
        std::filesystem::remove(h->dataDir() / "opt_se.dll");
        h->app().Server().TaskAt(0).Update([](Task& task) { task.name = "renamed"; });
        h->messages.answerYes();
        h->window().mainActions().exit->trigger();
        QVERIFY(h->window().quitting());
        QCOMPARE(h->savedTaskNames(), (Lines {"renamed"}));
        QVERIFY(std::filesystem::exists(h->dataDir() / "opt_se.dll"));
        QCOMPARE(h->app().TaskCount(), 0u);
        QCOMPARE(h->app().Server().LiveThreadCount(), 0);
        QVERIFY(!h->window().isVisible());
    }

    void theSessionEndsOnlyWhenNoTaskRunsUnderTheShutdownOption()
    {
        *h->holdRuns = true;
        Options options = DesktopHarness::quietOptions();
        options.noShutdownWhileRunning = 1;
        h->writeOptions(options);
        h->writeTasks({DesktopHarness::makeTask("a")});
        QCOMPARE(h->start(), DesktopApp::kRunning);
        h->app().Server().TaskAt(0).SetRunNow(1);
        h->app().Server().StartTask(0);
        QTRY_COMPARE(h->app().CopyOfTask(0)->status, TaskStatus::Running);
        QVERIFY(!h->desktop().sessionMayEnd());
        QVERIFY(!h->window().quitting());
        QCOMPARE(h->app().CopyOfTask(0)->status, TaskStatus::Running);

        options.noShutdownWhileRunning = 0;
        h->app().SetOptions(options);
        QVERIFY(h->desktop().sessionMayEnd());
        QVERIFY(h->window().quitting());
        QCOMPARE(h->messages.shown.size(), 0u);
        QCOMPARE(h->app().Server().LiveThreadCount(), 0);
        QCOMPARE(h->savedTaskNames(), (Lines {"a"}));
        QCOMPARE(h->logOf("a.log"), (Lines {"Running...", "User canceled!", "Run ended: cancelled"}));
    }

    void aFolderHeldByAnotherProgramIsRefusedWithItsName()
    {
        std::filesystem::create_directories(h->dataDir());
        auto held = DataFolderLock::Acquire(h->dataDir(), "kelvanto-cli run");
        QVERIFY(held.ok());
        QCOMPARE(h->start(), 1);
        QCOMPARE(h->messages.shown.size(), 1u);
        QVERIFY(h->messages.shown[0].icon == Messages::Icon::Error);
        QVERIFY2(h->messages.lastText().startsWith("Kelvanto cannot start: the data folder "),
            qPrintable(h->messages.lastText()));
        QVERIFY(h->messages.lastText().contains("is in use by kelvanto-cli run (pid "));
        QVERIFY(!std::filesystem::exists(h->dataDir() / "opt_se.dll"));
    }

    void aDamagedTaskListEndsTheStartAndIsLeftAlone()
    {
        h->writeOptions(DesktopHarness::quietOptions());
        std::filesystem::create_directories(h->dataDir());
        std::ofstream(h->taskListFile(), std::ios::binary)
            << std::string("\xE0\xF9\xBD\xCA\x05\x00\x00\x00garbage", 15);
        const std::string before = FileText(h->taskListFile());
        QCOMPARE(h->start(), 1);
        QVERIFY(h->messages.shown[0].icon == Messages::Icon::Error);
        QCOMPARE(FileText(h->taskListFile()), before);
    }

    void theOptionsSheetWritesAndRemovesTheAutostartEntry()
    {
        h->writeOptions(DesktopHarness::quietOptions());
        h->writeTasks({DesktopHarness::makeTask("a")});
        QCOMPARE(h->start(), DesktopApp::kRunning);
        for (const bool autoRun : {true, false}) {
            test::onNextModal(
                [autoRun](QWidget* sheet) {
                    test::child<QCheckBox>(sheet, "autoRun")->setChecked(autoRun);
                    test::child<QPushButton>(sheet, "ok")->click();
                },
                "kelvanto::OptionsDialog");
            h->window().mainActions().options->trigger();
            QCOMPARE(std::filesystem::exists(h->settings.autostartEntry), autoRun);
            QCOMPARE(LoadOptionsFile(h->dataDir() / "opt_se.dll").options.autoRun, std::uint8_t(autoRun ? 1 : 0));
        }
    }

    // Options that cannot be written are reported, not dropped: here the options file's place
    // is taken by a folder.
    void anOptionsFileThatCannotBeWrittenIsReported()
    {
        h->writeOptions(DesktopHarness::quietOptions());
        QCOMPARE(h->start(), DesktopApp::kRunning);
        std::filesystem::remove(h->dataDir() / "opt_se.dll");
        std::filesystem::create_directory(h->dataDir() / "opt_se.dll");
        test::onNextModal(
            [](QWidget* sheet) { test::child<QPushButton>(sheet, "ok")->click(); }, "kelvanto::OptionsDialog");
        h->window().mainActions().options->trigger();
        QCOMPARE(h->messages.shown.size(), 1u);
        QVERIFY(h->messages.shown[0].icon == Messages::Icon::Error);
        QVERIFY2(h->messages.shown[0].text.startsWith("The options could not be saved:\n"),
            qPrintable(h->messages.shown[0].text));
    }

    void theTipOfTheDayComesWithTasksAndStoresWhereItWas()
    {
        Options options = DesktopHarness::quietOptions();
        options.showTips = 1;
        options.lastTipIndex = 8;
        h->writeOptions(options);
        h->writeTasks({DesktopHarness::makeTask("a")});
        QString counter;
        test::onNextModal(
            [&](QWidget* dialog) {
                counter = test::child<QLabel>(dialog, "tipCounter")->text();
                test::child<QPushButton>(dialog, "nextTip")->click();
                test::child<QPushButton>(dialog, "close")->click();
            },
            "kelvanto::TipOfTheDayDialog");
        QCOMPARE(h->start(), DesktopApp::kRunning);
        QCOMPARE(counter, QString("Tip 1 of 9"));
        QCOMPARE(LoadOptionsFile(h->dataDir() / "opt_se.dll").options.lastTipIndex, 1);
        QCOMPARE(h->taskDialogs.wizardRuns, 0);
    }

    // The window's size and the widths of its columns are the user's: kept in the
    // configuration folder when the program ends and found there at the next start.
    void windowSizeAndColumnWidthsComeBackAfterARestart()
    {
        h->writeOptions(DesktopHarness::quietOptions());
        h->writeTasks({DesktopHarness::makeTask("a")});
        QCOMPARE(h->start(), DesktopApp::kRunning);
        int allColumns = 0;
        for (int column = 0; column < TaskListModel::ColumnCount; ++column)
            allColumns += TaskListModel::columnWidthOf(column);
        // Every column shows, unless the screen is narrower: then the window fills its width.
        const int screenWidth = QGuiApplication::primaryScreen()->availableGeometry().width();
        QVERIFY(h->window().width() > allColumns || h->window().width() == screenWidth);
        h->window().resize(900, 640);
        h->window().view().detailsHeader().resizeSection(0, 260);
        h->window().endSession();
        QVERIFY(std::filesystem::exists(h->settings.windowStateFile));

        h->program.reset();
        QCOMPARE(h->start(), DesktopApp::kRunning);
        QCOMPARE(h->window().size(), QSize(900, 640));
        QCOMPARE(h->window().view().detailsHeader().sectionSize(0), 260);
        QVERIFY(!h->window().isMinimized());
    }

    // The program's usage and version need no display: they are answered before the
    // application object, which would abort without one.
    void helpAndVersionWorkWithoutADisplay()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        const struct
        {
            const char* arg;
            const char* expected;
        } cases[] = {{"--help", "usage: kelvanto [--data-dir DIR]\n"}, {"-h", "usage: kelvanto"},
            {"--version", "kelvanto " KELVANTO_VERSION "\n"}};
        for (const auto& c : cases) {
            QProcess program;
            program.setProcessEnvironment(env);
            program.start(qEnvironmentVariable("KELVANTO_GUI_EXECUTABLE"), {c.arg});
            QVERIFY2(program.waitForFinished(30000), c.arg);
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.exitCode(), 0);
            QVERIFY2(program.readAllStandardOutput().startsWith(c.expected), c.arg);
        }
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
