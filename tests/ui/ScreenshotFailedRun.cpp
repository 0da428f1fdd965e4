#include "tests/ui/ScreenshotFailedRun.h"

#include "app/Application.h"
#include "app/DefaultEngines.h"
#include "app/TaskCommands.h"
#include "mysql/OpenConnection.h"
#include "tests/ui/support/DesktopHarness.h"
#include "ui/MainWindow.h"
#include "ui/TaskListModel.h"
#include "ui/TaskListView.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTcpServer>
#include <QTest>

#include <iostream>

namespace kelvanto::test
{

namespace
{

// A local port that nothing listens on: taken from the system, then given back.
int ClosedPort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return 1;
    const int port = server.serverPort();
    server.close();
    return port;
}

Task BackupTask(const std::string& name, int port, const std::filesystem::path& folder)
{
    Task task;
    task.name = name;
    task.type = TaskType::BackupToFiles;
    task.schedule.kind = ScheduleKind::Manual;
    task.logFileName = name + ".log";
    task.source.host = "127.0.0.1";
    task.source.port = port;
    task.source.user = "backup";
    task.backupSettings.backupFolder = folder.string() + "/";
    DatabaseItem shop;
    shop.checkState = 2;
    shop.name = "shop";
    task.databases.push_back(shop);
    return task;
}

} // namespace

int takeFailedRunPicture(const QString& folder)
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    // The service starts beside this program: give it a few seconds to take its name.
    const bool service = bus.isConnected()
        && QTest::qWaitFor(
            [&bus] {
                return bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.Notifications")).value();
            },
            5000);
    if (!service) {
        std::cerr << "no notification service on the session bus: start one (scripts/screenshots runs dunst)\n";
        return 1;
    }
    DesktopHarness h;
    h.settings.notifier = nullptr; // the program's own: no notification area, so the bus
    h.settings.trayAvailable = false;
    h.settings.engines = MakeDefaultEngines;
    h.settings.connector = MakeMariaDbConnector();
    h.writeOptions(DesktopHarness::quietOptions());
    const std::filesystem::path backups = h.tmp.path() / "backups";
    std::filesystem::create_directories(backups);
    const int port = ClosedPort();
    h.writeTasks({BackupTask("Nightly shop backup", port, backups), BackupTask("Weekly full dump", port, backups)});
    if (h.start() != DesktopApp::kRunning)
        return 1;

    MainWindow& window = h.window();
    window.move(0, 0); // at its default size, which shows every column and the status bar
    window.view().selectRows({0}, 0);
    h.desktop().commands()->RunImmediately({0}, [](const Task&) { return true; });
    const TaskListModel& model = window.view().model();
    if (!QTest::qWaitFor([&] { return model.rowCount() > 0 && !model.rowAt(0).lastResult.isEmpty(); }, 20000)) {
        std::cerr << "the run did not end\n";
        return 1;
    }
    // The notification service draws the notification a moment after it was sent.
    QTest::qWait(1500);
    const QString path = QDir(folder).filePath(QStringLiteral("failed-run-notification.png"));
    const bool saved = QGuiApplication::primaryScreen()->grabWindow(0).save(path);
    std::cout << (saved ? "saved " : "could not save ") << path.toStdString() << "\n";
    return saved ? 0 : 1;
}

} // namespace kelvanto::test
