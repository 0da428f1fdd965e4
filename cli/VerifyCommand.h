#pragma once

#include "cli/CliContext.h"

#include <string>
#include <vector>

namespace kelvanto
{

// kelvanto-cli verify NAME [--all]: checks the latest recorded backup of the task (every
// recorded backup with --all) against its manifest: one line per file ("OK" or "FAIL" with
// what is wrong) and a summary line per backup. Exit 0 when every check holds, 1 when any
// does not (a backup without a manifest included), 2 on a usage error.
class VerifyCommand
{
public:
    explicit VerifyCommand(CliContext& context)
        : m_context(context)
    { }
    int Run(const std::vector<std::string>& args);

private:
    CliContext& m_context;
};

} // namespace kelvanto
