#pragma once

#include "cli/CliContext.h"

#include <string>
#include <vector>

namespace kelvanto
{

// kelvanto-cli run NAME: runs the task once now, in the foreground, through the same runner
// and engine as the scheduler, printing every log line as it is written. Exit code 0 when
// the run ends with "Finished", 1 when it ends with an error (or cannot start), 130 when it
// was stopped by Ctrl-C (the runner then logs "User canceled!"). The task list is saved
// afterwards, so that the run times and the backup history are kept.
class RunCommand
{
public:
    explicit RunCommand(CliContext& context)
        : m_context(context)
    { }
    int Run(const std::vector<std::string>& args);

private:
    CliContext& m_context;
};

} // namespace kelvanto
