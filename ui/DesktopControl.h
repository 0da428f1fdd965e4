#pragma once

#include "app/ControlCommands.h"
#include "model/Result.h"
#include "ui/UiCommandQueue.h"

#include <chrono>
#include <memory>

namespace kelvanto
{

class Application;
class MainWindow;
class ControlServer;
class TaskCommands;
class TaskNotices;

// The control socket of the desktop program: while the program holds a data folder it
// answers kelvanto-cli as the service does. Every request is carried out on the
// user-interface thread with the window's own commands (TaskCommands), so that a change
// from outside is the very change the window's command makes; changes wait while a dialog
// is open (UiCommandQueue), and the window's rows follow each one.
class DesktopControl
{
public:
    DesktopControl(Application& app, TaskCommands& commands, TaskNotices& notices, MainWindow& window,
        std::chrono::milliseconds busyWait = UiCommandQueue::kDefaultBusyWait);
    // stop()s.
    ~DesktopControl();
    DesktopControl(const DesktopControl&) = delete;
    DesktopControl& operator=(const DesktopControl&) = delete;

    // Listens on the socket in the data folder; an Error when it cannot.
    Result<void> start();
    // On the user-interface thread: requests waiting for it are refused, followed runs are
    // let go, the socket is removed; no request runs afterwards. Safe to call twice.
    void stop();

private:
    Result<void> execute(ControlCommands::Access access, const std::function<void()>& work);

    Application& m_app;
    MainWindow& m_window;
    UiCommandQueue m_queue;
    ControlCommands m_handler;
    std::unique_ptr<ControlServer> m_server;
};

} // namespace kelvanto
