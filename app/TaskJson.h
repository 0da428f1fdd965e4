#pragma once

#include "app/JsonText.h"
#include "model/Result.h"
#include "model/ServerList.h"
#include "model/Task.h"

#include <string>
#include <string_view>

namespace kelvanto
{

// The JSON form of a task (docs/task-json.md): every field of the record under its own
// name, nested records as objects, lists as arrays, enumerations as their numbers, time
// stamps as objects. A text that is not valid UTF-8 is written as {"hex": "..."} with its
// bytes in hexadecimal, so that every task can be exported and read back unchanged.

// The whole task as an indented JSON object, ending with a newline.
std::string TaskToJson(const Task& task);
Json TaskToJsonValue(const Task& task);

// Empties every member named "password", at any depth (a task's source and destination,
// the server of its extras' verifyRestore, whatever holds one): a task shown to others.
void BlankPasswords(Json& value);

// Reads a task; fields that are missing keep their defaults. Unknown fields, values of the
// wrong type and numbers out of their field's range are refused with a message that starts
// with the field's path (for example "backupSettings.fileSplit: ..."). A `source` or
// `destination` may name a stored profile of `profiles` ({"profile": "NAME", ...}): its
// settings are copied in, and the other members given change them. Two shortcuts for
// hand-written tasks (TaskJsonShortcuts.h): "script" instead of "sqlStatements", and restore
// files given by their path alone, completed from the files on disk. A `backupHistory` is
// read and checked, then dropped: the history is what rotation deletes, and only runs of
// this program record it.
Result<Task> TaskFromJson(std::string_view text, const ServerList* profiles = nullptr);
Result<Task> TaskFromJsonValue(const Json& value, const ServerList* profiles = nullptr);

// A server profile as the same JSON object as a task's `source`.
Json ServerProfileToJson(const ServerConnection& profile);
// Reads the members given over `start`; the same rules as a task's connection, without "profile".
Result<ServerConnection> ServerProfileFromJson(const Json& value, ServerConnection start);

} // namespace kelvanto
