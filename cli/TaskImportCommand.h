#pragma once

#include "cli/CliContext.h"

#include <string>
#include <vector>

namespace kelvanto
{

// kelvanto-cli task import FILE ("-" reads standard input): New Task with a task from its
// JSON form, as the wizard's Finish does it (created now, a new log file, the task list
// saved, "Create task" logged, a scheduled task started; a Manual one stays Stopped). A
// running scheduler creates it; without one, it is created here under the folder's lock.
// A name that is empty or already taken is refused with the wizard's message.
class TaskImportCommand
{
public:
    explicit TaskImportCommand(CliContext& context)
        : m_context(context)
    { }
    int Run(const std::vector<std::string>& args);

private:
    CliContext& m_context;
};

} // namespace kelvanto
