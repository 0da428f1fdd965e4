#include "mysql/OpenConnection.h"

#include "mysql/ConnectHandle.h"
#include "mysql/MariaDbConnection.h"

#include <errmsg.h>
#include <mysql.h>

namespace kelvanto
{

unsigned long ConnectFlags(const ServerConnection& settings)
{
    unsigned long flags = 0;
    if (settings.useCompression == 1)
        flags |= CLIENT_COMPRESS;
    if (settings.useSsl == 1)
        flags |= CLIENT_SSL;
    return flags;
}

ConnectResult OpenConnection(const ServerConnection& settings, const ConnectControl& control)
{
    MariaDbConnection::Handle handle(mysql_init(nullptr));
    if (!handle)
        return ConnectError {CR_OUT_OF_MEMORY, "MySQL client ran out of memory"};
    // A CALL of a procedure that returns rows needs the client to take several results.
    const unsigned long flags = ConnectFlags(settings) | CLIENT_MULTI_RESULTS;
    if (auto error = ConnectHandle(handle.get(), settings, flags, control.timeouts, control.abort))
        return *error;
    return std::make_unique<MariaDbConnection>(std::move(handle), settings, flags);
}

Connector MakeMariaDbConnector()
{
    return [](const ServerConnection& settings, const ConnectControl& control) {
        return OpenConnection(settings, control);
    };
}

} // namespace kelvanto
