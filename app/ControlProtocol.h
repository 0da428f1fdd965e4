#pragma once

#include "app/JsonText.h"
#include "model/Result.h"

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace kelvanto
{

// The control protocol of a scheduler (docs/control-protocol.md): one JSON object per line
// each way. A request is {"v": 1, "cmd": NAME, ...its members}; every reply carries "v" and
// "ok", with "error" when ok is false. A run that is followed goes on with event lines
// {"v": 1, "event": ...} until its "end" event.
namespace control
{

constexpr int kVersion = 1;
// The longest request line accepted; a task with a long SQL script still fits.
constexpr std::size_t kMaxRequestBytes = 8 * 1024 * 1024;
// The deepest nesting of a request line: the request object, and in it a task or a profile
// as deep as any JSON document the program reads.
constexpr std::size_t kMaxRequestDepth = kMaxJsonDepth + 1;
// The longest reply line a client accepts (a list of many tasks).
constexpr std::size_t kMaxReplyBytes = 64 * 1024 * 1024;
// The socket's file name in the data folder.
constexpr const char* kSocketFileName = "kelvanto.sock";

} // namespace control

// A request that passed validation: its command, its texts (decoded from a string or
// {"hex": ...}) and its objects, exactly the members that the command takes.
struct ControlRequest
{
    std::string command;
    std::map<std::string, std::string> texts;
    std::map<std::string, Json> objects;

    const std::string& Text(const std::string& key) const { return texts.at(key); }
};

// Parses and validates one request line: a JSON object of the current version, a known
// command, every member it needs with the right type, no other member.
Result<ControlRequest> ParseControlRequest(std::string_view line);

// {"v": 1, "ok": true, ...members}
Json ControlOk(Json members = Json::object());
// {"v": 1, "ok": false, "error": message}
Json ControlError(const std::string& message);
// {"v": 1, "event": name, ...members}
Json ControlEvent(const std::string& name, Json members = Json::object());

// A request as a client sends it: {"v": 1, "cmd": command, ...members}.
Json ControlRequestLine(const std::string& command, Json members = Json::object());

// One line of the protocol; texts that are not UTF-8 were already written as {"hex": ...},
// and any that slipped through are replaced rather than thrown on.
std::string EncodeControlLine(const Json& message);

} // namespace kelvanto
