#pragma once

#include "model/Task.h"
#include "mysql/Connection.h"
#include "tests/support/TestServer.h"

#include <memory>
#include <string>

namespace kelvanto::test
{

// Connection settings for a private test server.
ServerConnection SettingsFor(const TestServerAddress& server);

// Opens a connection through the production layer; a failure is added to the running test
// and gives nullptr.
std::unique_ptr<Connection> Open(const ServerConnection& settings);

// The first column of the first row of a query, or a text in angle brackets saying why none.
std::string FirstValue(Connection& connection, const std::string& sql);

} // namespace kelvanto::test
