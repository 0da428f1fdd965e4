#include "mysql/OpenConnection.h"

#include "mysql/ConnectOptions.h"
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

ConnectResult OpenConnection(const ServerConnection& settings)
{
    MariaDbConnection::Handle handle(mysql_init(nullptr));
    if (!handle)
        return ConnectError {CR_OUT_OF_MEMORY, "MySQL client ran out of memory"};
    SetConnectOptions(handle.get(), settings);
    // A CALL of a procedure that returns rows needs the client to take several results.
    const unsigned long flags = ConnectFlags(settings) | CLIENT_MULTI_RESULTS;
    // Open only when the library hands back the very handle that was passed in.
    MYSQL* connected = mysql_real_connect(handle.get(), settings.host.c_str(), settings.user.c_str(),
        settings.password.c_str(), nullptr, static_cast<unsigned>(settings.port), nullptr, flags);
    if (connected != handle.get()) {
        ConnectError error {mysql_errno(handle.get()), mysql_error(handle.get())};
        if (error.number == 0) {
            error.number = CR_UNKNOWN_ERROR;
            error.text = "The connection was not established on its own handle";
        }
        return error;
    }
    if (auto refused = CheckTlsRequirement(handle.get(), settings))
        return *refused;
    return std::make_unique<MariaDbConnection>(std::move(handle), settings, flags);
}

Connector MakeMariaDbConnector()
{
    return [](const ServerConnection& settings) { return OpenConnection(settings); };
}

} // namespace kelvanto
