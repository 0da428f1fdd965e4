#pragma once

#include "model/Task.h"
#include "mysql/Connection.h"

#include <optional>

struct st_mysql;

namespace kelvanto
{

// The client options that a profile asks for, set on a fresh handle before it connects:
// the compress option with useCompression, and TLS with useSsl. Every connection made for
// a profile (a task's own, and the short one that cancels it) goes through here.
void SetConnectOptions(st_mysql* handle, const ServerConnection& settings);

// "Use SSL protocol" means TLS or no connection. The client library uses TLS when the server
// offers it, but without certificate checks it would go on in clear text with a server that
// offers none; this check, made right after connecting and before any statement is sent,
// turns that into the library's own error. nullopt when the connection may be used.
std::optional<ConnectError> CheckTlsRequirement(st_mysql* handle, const ServerConnection& settings);

} // namespace kelvanto
