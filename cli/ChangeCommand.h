#pragma once

#include "app/JsonText.h"
#include "cli/CliContext.h"

#include <functional>
#include <string>
#include <vector>

namespace kelvanto
{

class ChangeTarget;

// The verbs that make one change to the task list or the server list, each one request of
// the control protocol carried out by the running scheduler or, without one, here under the
// folder's lock (ChangeTarget):
//   start NAME, stop NAME                     Start and Stop of the window's Run menu
//   task delete NAME, task rename NAME NEW,   Delete Task(s), Rename Task, Copy Task(s)
//   task copy NAME
// A refusal prints the window's message and exits 1.
class ChangeCommand
{
public:
    explicit ChangeCommand(CliContext& context)
        : m_context(context)
    { }

    // verb: "start", "stop", "task delete", "task rename", "task copy".
    int Run(const std::string& verb, const std::vector<std::string>& args);

    // Sends a request made by another verb (the server profiles) and prints success(reply).
    int Send(const std::string& verb, const Json& request, const std::function<std::string(const Json&)>& success);

private:
    int SendThrough(ChangeTarget& target, const Json& request, const std::function<std::string(const Json&)>& success);

    CliContext& m_context;
};

} // namespace kelvanto
