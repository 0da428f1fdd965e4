#pragma once

#include "cli/CliContext.h"

#include <string>
#include <vector>

namespace kelvanto
{

// kelvanto-cli log NAME [--all] [--csv FILE] [--txt FILE] [--log FILE]: the task's log as
// the log viewer lists it: the last 200 records (every record with --all), one line each
// with the serial number, the date and time (with seconds, in the options' formats), the
// level name and the message, separated by tabs. With an export option the loaded records
// are appended to FILE as CSV or TXT lines instead, and --log copies the log file itself.
class LogCommand
{
public:
    explicit LogCommand(CliContext& context)
        : m_context(context)
    { }
    int Run(const std::vector<std::string>& args);

    // The number of records the viewer shows when it opens.
    static constexpr std::size_t kViewerRecords = 200;

private:
    CliContext& m_context;
};

} // namespace kelvanto
