#pragma once

#include "cli/CliContext.h"

#include <string>
#include <vector>

namespace kelvanto
{

// kelvanto-cli list: one line per task, fields separated by tabs: name, type, schedule,
// status, last run and next run (without seconds, in the options' formats; empty when never).
// A running scheduler gives its live list, where a running task has a seventh field with
// the progress of its run; without one, the list is read from its file.
class ListCommand
{
public:
    explicit ListCommand(CliContext& context)
        : m_context(context)
    { }
    int Run(const std::vector<std::string>& args);

private:
    CliContext& m_context;
};

} // namespace kelvanto
