#pragma once

#include "cli/CliContext.h"

#include <string>
#include <vector>

namespace kelvanto
{

// kelvanto-cli server list | add | edit | remove | test: the server manager on the command
// line, with the profile dialog's checks and messages. add, edit and remove go to the
// running scheduler (or, without one, to the server list under the folder's lock); list and
// test only read the server list.
//   server list
//   server add NAME --host HOST [--port N] [--user U] [--password P | --password-stdin]
//              [--database D] [--comment C] [--[no-]save-password] [--[no-]compression] [--[no-]ssl]
//   server edit NAME [--name NEW] [the options of add]
//   server remove NAME
//   server test NAME [the options of add], or server test --host HOST [...]
class ServerCommand
{
public:
    explicit ServerCommand(CliContext& context)
        : m_context(context)
    { }
    int Run(const std::vector<std::string>& args);

private:
    int List(const std::vector<std::string>& args);
    int Change(const std::string& sub, const std::vector<std::string>& args);
    int Test(const std::vector<std::string>& args);

    CliContext& m_context;
};

} // namespace kelvanto
