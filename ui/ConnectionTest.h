#pragma once

#include "model/Task.h"
#include "mysql/Connection.h"

#include <string>

class QWidget;

namespace kelvanto
{

class Messages;

// "Test connection" of the profile dialog: connects with the entered settings off the
// user-interface thread (the wait cursor shows meanwhile and the window stays responsive),
// then shows "Successfully connected to the MySQL server!\n\nMySQL version: " and the server's
// version text, or the connection-failure dialog with the client library's error. The
// connection is closed again on the thread that opened it.
void runConnectionTest(QWidget* busy, const Connector& connector, const ServerConnection& settings, Messages& messages);

} // namespace kelvanto
