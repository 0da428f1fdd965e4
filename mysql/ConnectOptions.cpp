#include "mysql/ConnectOptions.h"

#include <errmsg.h>
#include <mysql.h>

namespace kelvanto
{

void SetConnectOptions(st_mysql* handle, const ServerConnection& settings)
{
    if (settings.useCompression == 1)
        mysql_options(handle, MYSQL_OPT_COMPRESS, nullptr);
    if (settings.useSsl == 1) {
        // Without this option the library does not set TLS up, and the CLIENT_SSL flag alone
        // makes a server that offers TLS refuse the handshake.
        const my_bool enforce = 1;
        mysql_optionsv(handle, MYSQL_OPT_SSL_ENFORCE, &enforce);
    }
}

std::optional<ConnectError> CheckTlsRequirement(st_mysql* handle, const ServerConnection& settings)
{
    if (settings.useSsl != 1 || mysql_get_ssl_cipher(handle) != nullptr)
        return std::nullopt;
    // The text that the library itself gives when it must refuse a server without TLS.
    return ConnectError {CR_SSL_CONNECTION_ERROR, "TLS/SSL error: SSL is required, but the server does not support it"};
}

} // namespace kelvanto
