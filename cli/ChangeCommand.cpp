#include "cli/ChangeCommand.h"

#include "app/ControlProtocol.h"
#include "cli/ChangeTarget.h"
#include "cli/ExitCode.h"

#include <ostream>

namespace kelvanto
{

namespace
{

struct Verb
{
    const char* name;
    const char* command; // of the control protocol
    const char* arguments; // for the usage line
    std::size_t count;
};

const Verb kVerbs[] = {
    {"start", "start", "NAME", 1},
    {"stop", "stop", "NAME", 1},
    {"task delete", "task-delete", "NAME", 1},
    {"task rename", "task-rename", "NAME NEW", 2},
    {"task copy", "task-copy", "NAME", 1},
};

std::string Quoted(const Json& text)
{
    return "\"" + TextOf(text) + "\"";
}

// What the command line says when a change was made.
std::string Success(const std::string& verb, const std::vector<std::string>& args, const Json& reply, bool remote)
{
    const std::string name = Quoted(reply.value("name", Json()));
    const std::string status = reply.value("status", "");
    if (verb == "start") {
        if (reply.value("changed", false))
            return remote ? "Started task " + name + " (" + status + ")"
                          : "Started task " + name
                    + "; no scheduler runs for this data folder, so it waits for the "
                      "next one to start";
        return "Task " + name + " was started already (" + status + ")";
    }
    if (verb == "stop")
        return reply.value("changed", false) ? "Stopped task " + name : "Task " + name + " was not started";
    if (verb == "task delete")
        return "Deleted task " + name;
    if (verb == "task rename")
        return "Renamed task \"" + args[0] + "\" to " + name;
    return "Created task " + name;
}

} // namespace

int ChangeCommand::Run(const std::string& verb, const std::vector<std::string>& args)
{
    const Verb* found = nullptr;
    for (const Verb& v : kVerbs) {
        if (verb == v.name)
            found = &v;
    }
    if (!found || args.size() != found->count) {
        m_context.Fail("usage: " + verb + " " + (found ? found->arguments : ""));
        return ExitCode::Usage;
    }
    Json members {{"name", TextToJson(args[0])}};
    if (found->count == 2)
        members["newName"] = TextToJson(args[1]);

    auto target = ChangeTarget::Open(m_context, verb);
    if (!target)
        return ExitCode::Failure;
    const bool remote = target->Remote();
    return SendThrough(*target, ControlRequestLine(found->command, std::move(members)),
        [&](const Json& reply) { return Success(verb, args, reply, remote); });
}

int ChangeCommand::Send(
    const std::string& verb, const Json& request, const std::function<std::string(const Json&)>& success)
{
    auto target = ChangeTarget::Open(m_context, verb);
    if (!target)
        return ExitCode::Failure;
    return SendThrough(*target, request, success);
}

int ChangeCommand::SendThrough(
    ChangeTarget& target, const Json& request, const std::function<std::string(const Json&)>& success)
{
    auto reply = target.Request(request);
    if (!reply) {
        m_context.Fail(reply.error());
        return ExitCode::Failure;
    }
    if ((*reply)["ok"] != true) {
        m_context.err << TextOf(reply->value("error", Json())) << "\n";
        return ExitCode::Failure;
    }
    m_context.out << success(*reply) << "\n";
    return ExitCode::Ok;
}

} // namespace kelvanto
