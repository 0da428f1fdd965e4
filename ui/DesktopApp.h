#pragma once

#include "app/DataFolderLock.h"
#include "app/TaskNotices.h"
#include "mysql/Connection.h"
#include "schedule/Clock.h"
#include "schedule/RunContext.h"
#include "ui/DesktopSettings.h"
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
class MainWindow;
class DesktopControl;
class FileDialogs;
class HelpOpener;
class Messages;
class Notifier;
class RunNotifications;
class TaskCommands;
class TaskDialogs;

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
    int start();

    // True once the start-up is over and the event loop runs the program.
    bool running() const { return m_running; }
    MainWindow* window() const { return m_window.get(); }
    Application* app() const { return m_app.get(); }
    TaskCommands* commands() const { return m_commands.get(); }
    // The runner's notices (the window hears them, so do runs followed through the socket).
    TaskNotices& notices() { return m_notices; }
    GlobalHotKey& globalKey() { return m_hotKey; }
    const ShutdownInhibitor& inhibitor() const { return m_inhibitor; }

    // The session is ending (the session manager's commit-data request). With "Disable
    // shutdown/log off/suspend when a task running" and a Running task the answer is no and
    // nothing changes; otherwise the program quits without asking and the answer is yes.
    bool sessionMayEnd();

private:
    enum class FolderClaim {
        Taken,
        OtherInstanceShown,
        Refused,
    };
    // The data folder's lock; a folder held by another process is refused with its name.
    FolderClaim takeDataFolder(const QString& socketName);
    void askAutoRun();
    void applyAutostart();
    void registerHotKey();
    void updateInhibitor();
    // Notifications of runs and the icon's overlay, once the window is there.
    void startRunNotifications(MainWindow& window);

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
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<DesktopControl> m_control;
    std::shared_ptr<Notifier> m_notifier;
    std::unique_ptr<RunNotifications> m_runNotifications;
    bool m_running = false;
};

} // namespace kelvanto
