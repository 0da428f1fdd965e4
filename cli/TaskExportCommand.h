#pragma once

#include "cli/CliContext.h"

#include <string>
#include <vector>

namespace kelvanto
{

// kelvanto-cli task export NAME [--with-passwords]: the task's JSON form on standard output,
// with the passwords of its connections left empty unless --with-passwords is given.
class TaskExportCommand
{
public:
    explicit TaskExportCommand(CliContext& context)
        : m_context(context)
    { }
    int Run(const std::vector<std::string>& args);

private:
    CliContext& m_context;
};

} // namespace kelvanto
