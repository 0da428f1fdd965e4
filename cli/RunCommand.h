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
// afterwards so that the run times and the backup history are kept. The exit code follows
// the run's result (the runner's "Run ended: ..." line): 0 when it succeeded, 1 when it
// completed with errors or failed (or could not start, or its record could not be saved),
// 130 when it was cancelled, e.g. by Ctrl-C (the scheduler is asked to stop the task, and
// the runner logs "User canceled!").
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
