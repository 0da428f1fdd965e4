#pragma once

#include "app/JsonText.h"
#include "model/Result.h"
#include "model/ServerList.h"
#include "model/Task.h"

#include <string>
#include <vector>

namespace kelvanto
{

// The JSON form of a task's extras: the "extras" object of a task in JSON form, and each
// entry of the extras file. Every key is listed once, in TaskExtrasJson.cpp's table.

struct TaskExtrasKey
{
    const char* name;
    // Carried out by this version and described in docs/task-json.md. A key that is not is
    // neither written nor accepted ("extras.onFailure: is not available in this version").
    bool documented;
};

// Every key, in the order written.
std::vector<TaskExtrasKey> TaskExtrasKeys();

// Every key written explicitly, off values included, so that a task read back behaves the same.
Json TaskExtrasToJson(const TaskExtras& extras);

// Reads the members given over `start`; the others keep their value there. Unknown keys,
// values of the wrong type and numbers out of range are refused with a message that starts
// with the member's path below `path` ("extras.definer: must be ..."). A `verifyRestore`
// server may name a stored profile ({"server": {"profile": NAME}}); with `profiles` given the
// name must exist there.
Result<TaskExtras> TaskExtrasFromJson(
    const Json& value, const std::string& path, TaskExtras start, const ServerList* profiles = nullptr);

} // namespace kelvanto
