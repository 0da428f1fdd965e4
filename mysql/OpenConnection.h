#pragma once

#include "model/Task.h"
#include "mysql/Connection.h"

namespace kelvanto
{

// The client flags a connection is opened with: CLIENT_COMPRESS (32) when useCompression
// is 1, plus CLIENT_SSL (2048) when useSsl is 1.
unsigned long ConnectFlags(const ServerConnection& settings);

// Initialises a client handle and connects with the profile's host, port, user and
// password (no default database, no socket), with the flags above plus
// CLIENT_MULTI_RESULTS, so that a CALL of a procedure that returns rows works, and with the
// control's time-outs and abort (see ConnectHandle: the attempt ends within the connect
// time-out, or at once when the abort is cancelled). Returns the open connection, or the
// client library's error number and text. With useSsl the connection is encrypted or not
// made: a server without TLS gives error 2026 (certificates are not checked).
ConnectResult OpenConnection(const ServerConnection& settings, const ConnectControl& control = {});

// A Connector that opens real MariaDB connections through OpenConnection.
Connector MakeMariaDbConnector();

} // namespace kelvanto
