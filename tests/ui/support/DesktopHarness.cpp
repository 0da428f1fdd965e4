#include "tests/ui/support/DesktopHarness.h"

#include "app/Application.h"
#include "model/OptionsStore.h"
#include "model/TaskListStore.h"
#include "schedule/TaskLog.h"
#include "ui/MainWindow.h"

#include <chrono>
#include <thread>

namespace kelvanto::test
{

DesktopHarness::DesktopHarness()
{
    settings.dataFolder = dataDir();
    settings.clock = std::make_shared<SystemClock>();
    settings.trayAvailable = false;
    settings.splashMilliseconds = 0;
    settings.autostartEntry = tmp.path() / "config" / "autostart" / "kelvanto.desktop";
    settings.autostartCommand = {"/usr/bin/kelvanto"};
    settings.windowStateFile = tmp.path() / "config" / "kelvanto" / "window.ini";
    settings.notifier = notifier;
    settings.connector = [](const ServerConnection&) -> ConnectResult { return ConnectError {2003, "no server here"}; };
    auto hold = holdRuns;
    auto counter = runs;
    settings.engines = [hold, counter] {
        EngineTable engines;
        engines[TaskType::ExecuteScript] = Engine {[hold, counter](RunContext& context) {
                                                       ++*counter;
                                                       context.ReportProgress(RunProgress {"fake.items", 7, 10});
                                                       while (hold->load() && !context.QuitRequested())
                                                           std::this_thread::sleep_for(std::chrono::milliseconds(1));
                                                       if (context.QuitRequested())
                                                           return RunOutcome::Cancelled;
                                                       if (context.TaskCopy().comment == "fails") {
                                                           context.Log(LogLevel::Error, "Table `t1` cannot be read");
                                                           context.Log(LogLevel::Error, "Table `t2` cannot be read");
                                                           return RunOutcome::Failed;
                                                       }
                                                       context.Log(LogLevel::General, "Finished");
                                                       return RunOutcome::Finished;
                                                   },
            {}};
        return engines;
    };
}

DesktopHarness::~DesktopHarness()
{
    holdRuns->store(false);
    program.reset();
}

Task DesktopHarness::makeTask(const std::string& name, ScheduleKind kind)
{
    Task task;
    task.name = name;
    task.type = TaskType::ExecuteScript;
    task.schedule.kind = kind;
    task.logFileName = name + ".log";
    return task;
}

Options DesktopHarness::quietOptions()
{
    Options options;
    options.dontAskAutoRun = 1;
    options.showTips = 0;
    return options;
}

void DesktopHarness::writeTasks(const std::vector<Task>& tasks) const
{
    std::filesystem::create_directories(dataDir());
    (void)SaveTaskListFile(taskListFile(), tasks);
}

void DesktopHarness::writeOptions(const Options& options) const
{
    std::filesystem::create_directories(dataDir());
    (void)SaveOptionsFile(dataDir() / "opt_se.dll", options);
}

int DesktopHarness::start()
{
    program = std::make_unique<DesktopApp>(settings, DesktopApp::Services {messages, help, files, taskDialogs});
    return program->start();
}

MainWindow& DesktopHarness::window() const
{
    return *program->window();
}

Application& DesktopHarness::app() const
{
    return *program->app();
}

std::vector<std::string> DesktopHarness::savedTaskNames() const
{
    std::vector<std::string> names;
    if (auto tasks = LoadTaskListFile(taskListFile())) {
        for (const Task& task : *tasks)
            names.push_back(task.name);
    }
    return names;
}

std::vector<std::string> DesktopHarness::logOf(const std::string& logFileName) const
{
    TaskLog log(dataDir() / "Logs", settings.clock);
    std::vector<std::string> lines;
    for (const LogRecord& record : log.ReadLog(logFileName))
        lines.push_back(record.message);
    return lines;
}

} // namespace kelvanto::test
