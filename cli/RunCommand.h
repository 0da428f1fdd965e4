#pragma once

#include "cli/CliContext.h"

#include <string>
#include <vector>

namespace kelvanto
{

// kelvanto-cli run NAME: Run Immediately, followed to the end of the run with every log
// line printed as it is written (and the run's progress on one updating line of standard
// error when that is a terminal). A running scheduler runs the task; without one the run
// happens in this process, through the same runner and engine, and the task list is saved
// afterwards so that the run times and the backup history are kept. Exit code 0 when the
// run ends with "Finished", 1 when it ends with an error (or cannot start), 130 when Ctrl-C
// stopped it (the scheduler is asked to stop the task, and the runner logs "User canceled!").
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
