#include "tests/ui/support/DesktopHarness.h"

#include "app/Application.h"
#include "model/OptionsStore.h"
#include "model/TaskListStore.h"
#include "schedule/TaskLog.h"
#include "ui/CMainFrame.h"

#include <chrono>
#include <thread>

namespace kelvanto::test
{

DesktopHarness::DesktopHarness()
{
    settings.dataFolder = DataDir();
    settings.clock = std::make_shared<SystemClock>();
    settings.trayAvailable = false;
    settings.splashMilliseconds = 0;
    settings.autostartEntry = tmp.path() / "config" / "autostart" / "kelvanto.desktop";
    settings.autostartCommand = {"/usr/bin/kelvanto"};
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
    desktop.reset();
}

Task DesktopHarness::MakeTask(const std::string& name, ScheduleKind kind)
{
    Task task;
    task.name = name;
    task.type = TaskType::ExecuteScript;
    task.schedule.kind = kind;
    task.logFileName = name + ".log";
    return task;
}

Options DesktopHarness::QuietOptions()
{
    Options options;
    options.dontAskAutoRun = 1;
    options.showTips = 0;
    return options;
}

void DesktopHarness::WriteTasks(const std::vector<Task>& tasks) const
{
    std::filesystem::create_directories(DataDir());
    (void)SaveTaskListFile(TaskListFile(), tasks);
}

void DesktopHarness::WriteOptions(const Options& options) const
{
    std::filesystem::create_directories(DataDir());
    (void)SaveOptionsFile(DataDir() / "opt_se.dll", options);
}

int DesktopHarness::Start()
{
    desktop = std::make_unique<DesktopApp>(settings, DesktopApp::Services {messages, help, files, taskDialogs});
    return desktop->Start();
}

CMainFrame& DesktopHarness::Window() const
{
    return *desktop->Window();
}

Application& DesktopHarness::App() const
{
    return *desktop->App();
}

std::vector<std::string> DesktopHarness::SavedTaskNames() const
{
    std::vector<std::string> names;
    if (auto tasks = LoadTaskListFile(TaskListFile())) {
        for (const Task& task : *tasks)
            names.push_back(task.name);
    }
    return names;
}

std::vector<std::string> DesktopHarness::LogOf(const std::string& logFileName) const
{
    TaskLog log(DataDir() / "Logs", settings.clock);
    std::vector<std::string> lines;
    for (const LogRecord& record : log.ReadLog(logFileName))
        lines.push_back(record.message);
    return lines;
}

} // namespace kelvanto::test
