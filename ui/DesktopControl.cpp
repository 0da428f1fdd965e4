#include "ui/DesktopControl.h"

#include "app/Application.h"
#include "app/ControlServer.h"
#include "ui/MainWindow.h"
#include "ui/TaskListView.h"

namespace kelvanto
{

DesktopControl::DesktopControl(Application& app, TaskCommands& commands, TaskNotices& notices, MainWindow& window,
    std::chrono::milliseconds busyWait)
    : m_app(app)
    , m_window(window)
    , m_queue(busyWait)
    , m_handler(app, commands, notices, "kelvanto",
          [this](ControlCommands::Access access, const std::function<void()>& work) { return execute(access, work); })
{
    // Called inside the work, on the user-interface thread.
    m_handler.SetListChangedHook([this] { m_window.taskListChangedElsewhere(); });
}

DesktopControl::~DesktopControl()
{
    stop();
}

Result<void> DesktopControl::start()
{
    auto server = ControlServer::Start(m_app.Folder().Root() / control::kSocketFileName, m_handler);
    if (!server)
        return Error {server.error()};
    m_server = std::move(*server);
    return Ok();
}

void DesktopControl::stop()
{
    // First the waiting requests (their threads end), then the connections.
    m_queue.close();
    if (m_server)
        m_server->Stop();
}

Result<void> DesktopControl::execute(ControlCommands::Access access, const std::function<void()>& work)
{
    const bool changes = access == ControlCommands::Access::Change;
    return m_queue.run(changes, [&] {
        work();
        // Started, stopped, run: the rows show it at once, as after the window's own command.
        if (changes)
            m_window.view().refreshRows();
    });
}

} // namespace kelvanto
