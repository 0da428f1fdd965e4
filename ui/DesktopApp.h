#pragma once

#include "app/DataFolderLock.h"
#include "app/TaskNotices.h"
#include "mysql/Connection.h"
#include "schedule/Clock.h"
#include "schedule/RunContext.h"
#include "ui/GlobalHotKey.h"
#include "ui/MainContext.h"
#include "ui/ShutdownInhibitor.h"
#include "ui/SingleInstance.h"
#include "ui/UiCommandQueue.h"
#include "ui/UiTaskObserver.h"

#include <QObject>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kelvanto
{

class Application;
class CMainFrame;
class DesktopControl;
class FileDialogs;
class HelpOpener;
class Messages;
class TaskCommands;
class TaskDialogs;

// How the desktop program was started and what the desktop offers; main() fills it from the
// process, tests with their own.
struct DesktopSettings
{
    std::filesystem::path dataFolder; // located (absolute), maybe not created yet
    std::shared_ptr<Clock> clock = std::make_shared<SystemClock>();
    std::function<EngineTable()> engines;
    Connector connector;
    bool trayAvailable = false;
    int splashMilliseconds = 3000; // 0: no splash
    // Where the autostart entry goes, and the command it runs (the executable's full path and
    // the arguments that choose this data folder).
    std::filesystem::path autostartEntry;
    std::vector<std::string> autostartCommand;
    // How long a change asked for on the control socket waits for an open dialog to close.
    std::chrono::milliseconds controlBusyWait = UiCommandQueue::kDefaultBusyWait;
};

// The desktop program: its start-up in order, the main window, and its end.
//
// Start-up: one program per user and data folder (a second start asks the first to show its
// window and ends); the data folder's lock (a folder held by another process is refused with
// its name); the splash; the folders, options, server list, task list and logs; the question
// about starting at login; the window shown, or hidden in the notification area when a task
// is scheduled; the login; the runner; the control socket that kelvanto-cli talks to; the
// hot key; the wizard or the tip of the day.
class DesktopApp : public QObject
{
    Q_OBJECT

public:
    struct Services
    {
        Messages& messages;
        HelpOpener& help;
        FileDialogs& fileDialogs;
        TaskDialogs& taskDialogs;
    };
    DesktopApp(DesktopSettings settings, Services services);
    ~DesktopApp() override;

    static constexpr int kRunning = -1;
    // Runs the start-up; kRunning when the event loop should run now, else the exit code of
    // a start that ended (0 when another instance was shown or the login was refused).
    int Start();

    // True once the start-up is over and the event loop runs the program.
    bool Running() const { return m_running; }
    CMainFrame* Window() const { return m_window.get(); }
    Application* App() const { return m_app.get(); }
    TaskCommands* Commands() const { return m_commands.get(); }
    // The runner's notices (the window hears them, so do runs followed through the socket).
    TaskNotices& Notices() { return m_notices; }
    GlobalHotKey& GlobalKey() { return m_hotKey; }
    const ShutdownInhibitor& Inhibitor() const { return m_inhibitor; }

    // The session is ending (the session manager's commit-data request). With "Disable
    // shutdown/log off/suspend when a task running" and a Running task the answer is no and
    // nothing changes; otherwise the program quits without asking and the answer is yes.
    bool SessionMayEnd();

private:
    enum class FolderClaim {
        Taken,
        OtherInstanceShown,
        Refused,
    };
    // The data folder's lock; a folder held by another process is refused with its name.
    FolderClaim TakeDataFolder(const QString& socketName);
    void AskAutoRun();
    void ApplyAutostart();
    void RegisterHotKey();
    void UpdateInhibitor();

    DesktopSettings m_settings;
    Services m_services;
    SingleInstance m_instance;
    DataFolderLock m_lock;
    GlobalHotKey m_hotKey;
    ShutdownInhibitor m_inhibitor;
    // Declared before the application, whose runner calls them: they go after the runner.
    UiTaskObserver m_observer;
    TaskNotices m_notices;
    std::unique_ptr<Application> m_app;
    std::unique_ptr<TaskCommands> m_commands;
    std::optional<MainContext> m_context;
    std::unique_ptr<CMainFrame> m_window;
    std::unique_ptr<DesktopControl> m_control;
    bool m_running = false;
};

} // namespace kelvanto
