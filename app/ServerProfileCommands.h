#pragma once

#include "app/Application.h"
#include "model/Result.h"
#include "model/Task.h"
#include "mysql/Connection.h"

#include <string>
#include <string_view>

namespace kelvanto
{

// The server manager's commands without their windows, shared by the desktop application,
// the command line and the control socket. A refusal is the profile dialog's message.
// portText is the port as the user typed it (the dialog checks the text, not a number).

// Add Server: the checks of the profile dialog in new mode, then the profile is appended
// and the list saved. Without "Save password" no password is stored.
Result<void> AddServerProfile(Application& app, ServerConnection profile, std::string_view portText);

// Edit Server on the first profile named `name`: the checks in edit mode (the name is not
// compared with the others), then the profile is replaced and the list saved.
Result<void> EditServerProfile(
    Application& app, const std::string& name, ServerConnection profile, std::string_view portText);

// Delete Server on the first profile named `name`; the list is saved.
Result<void> RemoveServerProfile(Application& app, const std::string& name);

// "no server profile named "NAME"".
std::string NoSuchProfileMessage(const std::string& name);

// Test connection: host and port are checked, then a connection is opened with the
// settings. Success gives "Successfully connected to the MySQL server!\n\nMySQL version: "
// and the server's version text; a refusal gives the check's message or "Failed to
// connect to the MySQL server!\n\nError NO. %d\n%s".
Result<std::string> TestServerProfile(
    const Connector& connector, const ServerConnection& profile, std::string_view portText);

} // namespace kelvanto
