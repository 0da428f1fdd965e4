#pragma once

#include "model/ConnectionTimeouts.h"
#include "model/Task.h"
#include "mysql/Connection.h"

#include <optional>

struct st_mysql;

namespace kelvanto
{

class ConnectAbort;

// The error of an attempt that a ConnectAbort ended (the number of an interrupted query).
inline constexpr unsigned kConnectCancelledError = 1317;

// Connects a fresh client handle: the profile's options (SetConnectOptions), the read and
// write time-outs, then the connection itself through the client library's non-blocking
// calls, polled together with the abort's descriptor, so that the whole attempt (the TCP
// connection, the server's greeting, TLS, the login and the session's lock_wait_timeout)
// ends within timeouts.connect seconds or as soon as the abort is cancelled. A server that
// accepts and never greets fails in time. nullopt when the handle is connected and may be
// used; otherwise the library's error number and text, with " (timed out after N s)" added
// when the time-out ended it, or kConnectCancelledError after a cancel.
std::optional<ConnectError> ConnectHandle(st_mysql* handle, const ServerConnection& settings, unsigned long flags,
    const ConnectionTimeouts& timeouts, ConnectAbort* abort);

} // namespace kelvanto
