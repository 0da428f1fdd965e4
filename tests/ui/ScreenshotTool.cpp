// kelvanto_screenshots OUTPUT_DIR: opens the program's windows on a sample data folder (tasks
// of several types and states, a filled log, a server list) and saves a picture of each:
// the main window, the task log window following a running task, the server manager and
// both pages of the options.
// kelvanto_screenshots --failed-run OUTPUT_DIR: the notification of a failed run, on a display
// with a notification service (ScreenshotFailedRun.h).
// scripts/screenshots runs it on an offscreen or virtual display.
#include "app/Application.h"
#include "app/TaskCommands.h"
#include "model/ServerListStore.h"
#include "schedule/TaskServerOwner.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempDir.h"
#include "tests/ui/ScreenshotFailedRun.h"
#include "tests/ui/support/FakeTaskDialogs.h"
#include "tests/ui/support/RecordingHelp.h"
#include "tests/ui/support/ScriptedFileDialogs.h"
#include "tests/ui/support/ScriptedMessages.h"
#include "ui/MainContext.h"
#include "ui/MainWindow.h"
#include "ui/OptionsDialog.h"
#include "ui/ServerManagerDialog.h"
#include "ui/TaskListView.h"
#include "ui/TaskLogDialog.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <iostream>
#include <tuple>

using namespace kelvanto;

namespace
{

constexpr TimeStamp kNow {2026, 12, 7, 9, 30, 15, 2};

TimeStamp At(int day, int hour, int minute, int weekday)
{
    return TimeStamp {2026, 12, day, hour, minute, 0, weekday};
}

struct Sample
{
    const char* name;
    TaskType type;
    ScheduleKind kind;
    TaskStatus status;
    TimeStamp lastRun;
    TimeStamp nextRun;
};

const Sample kSamples[] = {
    {"Nightly shop backup", TaskType::BackupToFiles, ScheduleKind::EveryDay, TaskStatus::Running, At(7, 9, 30, 2),
        At(8, 2, 0, 3)},
    {"Weekly full dump", TaskType::BackupToFiles, ScheduleKind::EveryWeek, TaskStatus::Waiting, At(6, 3, 0, 1),
        At(13, 3, 0, 1)},
    {"Mirror to standby", TaskType::BackupToServer, ScheduleKind::TimeInterval, TaskStatus::Waiting, At(7, 9, 15, 2),
        At(7, 9, 45, 2)},
    {"Orders export", TaskType::ExportTables, ScheduleKind::EveryMonth, TaskStatus::Waiting, At(1, 6, 0, 3),
        At(31, 6, 0, 5)},
    {"Purge old sessions", TaskType::ExecuteScript, ScheduleKind::EveryDay, TaskStatus::Stopped, At(5, 23, 55, 7), {}},
    {"Restore test copy", TaskType::RestoreFromFiles, ScheduleKind::Manual, TaskStatus::Stopped, At(2, 14, 12, 4), {}},
};

void WriteSampleLog(Application& app, test::FakeClock& clock, const std::string& logFile)
{
    TaskLog& log = app.Log();
    clock.Set(TimeStamp {2026, 12, 1, 10, 4, 51, 3});
    log.WriteLog(logFile, LogLevel::General, "Create task");
    const struct
    {
        int day;
        int weekday;
        bool fails;
    } runs[] = {{4, 6, false}, {5, 7, true}, {6, 1, false}, {7, 2, false}};
    for (const auto& run : runs) {
        clock.Set(TimeStamp {2026, 12, run.day, 2, 0, 0, run.weekday});
        log.WriteLog(logFile, LogLevel::General, "Running...");
        if (run.fails) {
            log.WriteLog(logFile, LogLevel::Error,
                "Failed to connect to the MySQL server!  Error NO. 2003  Can't connect to server on 'db1' (115)");
            continue;
        }
        log.WriteLog(
            logFile, LogLevel::General, "Successfully connected to the MySQL server!  MySQL version: 10.11.6-MariaDB");
        clock.Set(TimeStamp {2026, 12, run.day, 2, 0, 1, run.weekday});
        for (const char* table : {"customer", "orders", "order_items", "products"})
            log.WriteLog(logFile, LogLevel::General, std::string("Backing up table: shop.") + table);
        clock.Set(TimeStamp {2026, 12, run.day, 2, 0, 14, run.weekday});
        if (run.day == 6)
            log.WriteLog(logFile, LogLevel::Warning, "Delete the expired backup copies");
        log.WriteLog(logFile, LogLevel::General, "Finished");
    }
    clock.Set(kNow);
    log.WriteLog(logFile, LogLevel::General, "Run task immediately");
    log.WriteLog(logFile, LogLevel::General, "Running...");
}

// The lines the running task writes while its log window is open.
void WriteRunningLines(Application& app, test::FakeClock& clock, const std::string& logFile)
{
    TaskLog& log = app.Log();
    clock.Set(TimeStamp {2026, 12, 7, 9, 30, 16, 2});
    log.WriteLog(
        logFile, LogLevel::General, "Successfully connected to the MySQL server!  MySQL version: 10.11.6-MariaDB");
    for (const char* table : {"customer", "orders"})
        log.WriteLog(logFile, LogLevel::General, std::string("Backing up table: shop.") + table);
    clock.Set(kNow);
}

bool save(QWidget& widget, const QString& folder, const char* name)
{
    widget.show();
    QTest::qWait(50);
    const QString path = QDir(folder).filePath(name);
    const bool saved = widget.grab().save(path);
    std::cout << (saved ? "saved " : "could not save ") << path.toStdString() << "\n";
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc == 3 && std::string(argv[1]) == "--failed-run") {
        const QString output = QString::fromLocal8Bit(argv[2]);
        QDir().mkpath(output);
        return test::takeFailedRunPicture(output);
    }
    if (argc != 2) {
        std::cerr << "usage: kelvanto_screenshots [--failed-run] OUTPUT_DIR\n";
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(output);

    test::TempDir tmp;
    auto clock = std::make_shared<test::FakeClock>(kNow);
    clock->Freeze(true);
    auto folder = DataFolder::Prepare(tmp.path() / "data");
    if (!folder)
        return 1;
    ServerList servers;
    for (const auto& [name, host, comment] : {std::tuple {"Shop (production)", "db1.example.com", "Main shop database"},
             std::tuple {"Standby", "db2.example.com", "Replica in the second rack"},
             std::tuple {"Local MariaDB", "127.0.0.1", "Developer copy"}}) {
        ServerConnection profile;
        profile.connectionName = name;
        profile.host = host;
        profile.user = "backup";
        profile.savePassword = std::string(name) != "Local MariaDB";
        profile.password = profile.savePassword ? "secret" : "";
        profile.comment = comment;
        servers.add(profile);
    }
    (void)SaveServerListFile(folder->ServerListFile(), servers);
    auto opened = Application::Open(*folder, clock, {});
    if (!opened) {
        std::cerr << opened.error() << "\n";
        return 1;
    }
    Application& app = **opened;
    Options sampleOptions = app.GetOptions();
    sampleOptions.defaultBackupFolder = "/var/backups/mysql/";
    app.SetOptions(sampleOptions);
    for (const Sample& sample : kSamples) {
        Task task;
        task.name = sample.name;
        task.type = sample.type;
        task.schedule.kind = sample.kind;
        task.logFileName = std::string(sample.name) + ".log";
        const int index = app.Server().AddTask(task);
        app.Server().TaskAt(index).Update([&](Task& stored) {
            stored.status = sample.status;
            stored.lastRunTime = sample.lastRun;
            stored.nextRunTime = sample.nextRun;
        });
    }
    WriteSampleLog(app, *clock, std::string(kSamples[0].name) + ".log");

    test::ScriptedMessages messages;
    test::RecordingHelp help;
    test::ScriptedFileDialogs files;
    test::FakeTaskDialogs taskDialogs;
    TaskServerOwner owner;
    TaskCommands commands(app, &owner);
    MainContext context {app, commands, messages, help, files, taskDialogs, {}};

    bool saved = true;
    MainWindow window(context, false);
    window.resize(1000, 360);
    window.view().selectRows({0}, 0);
    saved = save(window, output, "main-window.png") && saved;

    TaskLogDialog log(app.Log(), kSamples[0].name, std::string(kSamples[0].name) + ".log", 1, 1,
        TaskLogDialog::Services {messages, help, files});
    log.resize(820, 400);
    log.show();
    // The window follows the log: the running task's next lines appear in it by themselves.
    const int before = log.findChild<QTableWidget*>("logList")->rowCount();
    WriteRunningLines(app, *clock, std::string(kSamples[0].name) + ".log");
    const auto* rows = log.findChild<QTableWidget*>("logList");
    if (!QTest::qWaitFor([&] { return rows->rowCount() == before + 3; }, 5000)) {
        std::cerr << "the log window did not follow the log\n";
        saved = false;
    }
    saved = save(log, output, "task-log.png") && saved;

    ServerManagerDialog manager(app.MutableServers(),
        ServerManagerDialog::Services {messages, help, {}, [&app] { return app.SaveServerList(); }});
    manager.resize(880, 200);
    manager.findChild<QTableWidget*>("serverList")->selectRow(0);
    saved = save(manager, output, "server-manager.png") && saved;

    OptionsDialog options(app.GetOptions(), app.Folder().Root(), messages, help, files);
    saved = save(options, output, "options-general.png") && saved;
    options.findChild<QTabWidget*>("pages")->setCurrentIndex(1);
    saved = save(options, output, "options-backup-log.png") && saved;
    return saved ? 0 : 1;
}
