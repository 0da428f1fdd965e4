#pragma once

#include "cli/CliContext.h"

#include <string>
#include <vector>

namespace kelvanto
{

// kelvanto-cli task import FILE ("-" reads standard input): creates a task from its JSON
// form the way the task wizard does (status Stopped, created now, a new log file, the task
// list saved, "Create task" logged). A name that is empty or already taken is refused.
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
