#pragma once

#include "cli/CliContext.h"

#include <string>
#include <vector>

namespace kelvanto
{

// kelvanto-cli serve [--lock-wait SECONDS]: the scheduler without a window, in the
// foreground (the service that systemd starts). Start-up: the data folder's lock (refused at
// once, naming the holder, while another scheduler has the folder; a command line that holds
// it is waited for up to SECONDS, 5 by default), the folders, the options, the server list
// and its upgrade, the task list, the conversion of old logs and the marker, the control
// socket, then StartAll, and each task's folder checked (a folder that the service cannot
// write to is told in the task's log; a task of the system service that writes to its private
// /tmp is stopped); systemd hears READY. SIGHUP reloads the task list from its file as
// Load From does. SIGTERM and SIGINT quit: STOPPING, the socket closed, the options and the
// task list saved, StopAll. Every line of every task's log also goes to the journal (or
// standard error) with the task's name and the priority of its level; the task list is
// saved after every run. Exit code 0 after a quit, 1 when start-up fails.
class ServeCommand
{
public:
    explicit ServeCommand(CliContext& context)
        : m_context(context)
    { }
    int Run(const std::vector<std::string>& args);

private:
    CliContext& m_context;
};

} // namespace kelvanto
