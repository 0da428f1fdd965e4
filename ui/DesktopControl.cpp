#include "ui/DesktopControl.h"

#include "app/Application.h"
#include "app/ControlServer.h"
#include "ui/CMainFrame.h"
#include "ui/CVelmTasksView.h"

namespace kelvanto
{

DesktopControl::DesktopControl(Application& app, TaskCommands& commands, TaskNotices& notices, CMainFrame& window,
    std::chrono::milliseconds busyWait)
    : m_app(app)
    , m_window(window)
    , m_queue(busyWait)
    , m_handler(app, commands, notices, "kelvanto",
          [this](ControlCommands::Access access, const std::function<void()>& work) { return Execute(access, work); })
{
    // Called inside the work, on the user-interface thread.
    m_handler.SetListChangedHook([this] { m_window.TaskListChangedElsewhere(); });
}

DesktopControl::~DesktopControl()
{
    Stop();
}

Result<void> DesktopControl::Start()
{
    auto server = ControlServer::Start(m_app.Folder().Root() / control::kSocketFileName, m_handler);
    if (!server)
        return Error {server.error()};
    m_server = std::move(*server);
    return Ok();
}

void DesktopControl::Stop()
{
    // First the waiting requests (their threads end), then the connections.
    m_queue.Close();
    if (m_server)
        m_server->Stop();
}

Result<void> DesktopControl::Execute(ControlCommands::Access access, const std::function<void()>& work)
{
    const bool changes = access == ControlCommands::Access::Change;
    return m_queue.Run(changes, [&] {
        work();
        // Started, stopped, run: the rows show it at once, as after the window's own command.
        if (changes)
            m_window.View().RefreshRows();
    });
}

} // namespace kelvanto
