#include "app/ControlProtocol.h"

#include <initializer_list>
#include <string_view>

namespace kelvanto
{

namespace
{

enum class Kind {
    Text,
    Object,
};

struct Member
{
    const char* name;
    Kind kind;
    bool required = true;
};

struct Command
{
    const char* name;
    std::initializer_list<Member> members;
};

// Every command of version 1 and the members it takes.
const Command kCommands[] = {
    {"hello", {}},
    {"list", {}},
    {"run", {{"name", Kind::Text}}},
    {"start", {{"name", Kind::Text}}},
    {"stop", {{"name", Kind::Text}}},
    {"task-import", {{"task", Kind::Object}}},
    {"task-delete", {{"name", Kind::Text}}},
    {"task-rename", {{"name", Kind::Text}, {"newName", Kind::Text}}},
    {"task-copy", {{"name", Kind::Text}}},
    {"server-add", {{"profile", Kind::Object}, {"portText", Kind::Text, false}}},
    {"server-edit", {{"name", Kind::Text}, {"profile", Kind::Object}, {"portText", Kind::Text, false}}},
    {"server-remove", {{"name", Kind::Text}}},
};

const Command* FindCommand(std::string_view name)
{
    for (const Command& command : kCommands) {
        if (name == command.name)
            return &command;
    }
    return nullptr;
}

const Member* FindMember(const Command& command, std::string_view name)
{
    for (const Member& member : command.members) {
        if (name == member.name)
            return &member;
    }
    return nullptr;
}

} // namespace

Result<ControlRequest> ParseControlRequest(std::string_view line)
{
    if (line.size() > control::kMaxRequestBytes)
        return Error {"request too long"};
    // The request's members (a task, a profile) may nest as deep as any JSON document.
    if (std::string fault = JsonDepthFault(line, control::kMaxRequestDepth); !fault.empty())
        return Error {std::move(fault)};
    const Json request = Json::parse(line.begin(), line.end(), nullptr, false);
    if (request.is_discarded())
        return Error {"not valid JSON"};
    if (!request.is_object())
        return Error {"a request must be a JSON object"};

    const auto version = request.find("v");
    if (version == request.end() || !version->is_number_integer())
        return Error {"v: the protocol version is missing"};
    if (*version != control::kVersion)
        return Error {"v: protocol version " + version->dump() + " is not spoken here (this scheduler speaks version "
            + std::to_string(control::kVersion) + ")"};
    const auto name = request.find("cmd");
    if (name == request.end() || !name->is_string())
        return Error {"cmd: the command is missing"};
    const Command* command = FindCommand(name->get_ref<const std::string&>());
    if (!command)
        return Error {"cmd: unknown command " + name->dump()};

    ControlRequest parsed;
    parsed.command = command->name;
    for (auto it = request.begin(); it != request.end(); ++it) {
        if (it.key() == "v" || it.key() == "cmd")
            continue;
        const Member* member = FindMember(*command, it.key());
        if (!member)
            return Error {it.key() + ": unknown member of " + parsed.command};
        if (member->kind == Kind::Object) {
            if (!it->is_object())
                return Error {it.key() + ": must be an object"};
            parsed.objects[it.key()] = *it;
        } else {
            std::string problem;
            if (!TextFromJson(*it, it.key(), parsed.texts[it.key()], &problem))
                return Error {problem};
        }
    }
    for (const Member& member : command->members) {
        if (member.required && !parsed.texts.count(member.name) && !parsed.objects.count(member.name))
            return Error {std::string(member.name) + ": missing"};
    }
    return parsed;
}

Json ControlOk(Json members)
{
    Json reply {{"v", control::kVersion}, {"ok", true}};
    for (auto it = members.begin(); it != members.end(); ++it)
        reply[it.key()] = std::move(*it);
    return reply;
}

Json ControlError(const std::string& message)
{
    return Json {{"v", control::kVersion}, {"ok", false}, {"error", TextToJson(message)}};
}

Json ControlEvent(const std::string& name, Json members)
{
    Json event {{"v", control::kVersion}, {"event", name}};
    for (auto it = members.begin(); it != members.end(); ++it)
        event[it.key()] = std::move(*it);
    return event;
}

Json ControlRequestLine(const std::string& command, Json members)
{
    Json request {{"v", control::kVersion}, {"cmd", command}};
    for (auto it = members.begin(); it != members.end(); ++it)
        request[it.key()] = std::move(*it);
    return request;
}

std::string EncodeControlLine(const Json& message)
{
    return message.dump(-1, ' ', false, Json::error_handler_t::replace);
}

} // namespace kelvanto
