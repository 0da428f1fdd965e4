#pragma once

#include "cli/CliContext.h"

#include <string>
#include <vector>

namespace kelvanto
{

// kelvanto-cli [--data-dir DIR] VERB ARGS...: reads the global options into the context
// and hands the rest to the verb's class. Exit codes: 0 success, 1 failure, 2 usage error,
// 130 a run stopped by Ctrl-C.
class CommandLine
{
public:
    explicit CommandLine(CliContext& context)
        : m_context(context)
    { }
    // args excludes the program name.
    int Run(const std::vector<std::string>& args);

    static const char* UsageText();

private:
    int Usage(const std::string& fault);

    CliContext& m_context;
};

} // namespace kelvanto
