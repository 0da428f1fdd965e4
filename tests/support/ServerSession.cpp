#include "tests/support/ServerSession.h"

#include "mysql/OpenConnection.h"

#include <gtest/gtest.h>

#include <variant>

namespace kelvanto::test
{

ServerConnection SettingsFor(const TestServerAddress& server)
{
    ServerConnection settings;
    settings.host = server.host;
    settings.port = server.port;
    settings.user = server.user;
    settings.password = server.password;
    return settings;
}

std::unique_ptr<Connection> Open(const ServerConnection& settings)
{
    ConnectResult result = OpenConnection(settings);
    if (auto* error = std::get_if<ConnectError>(&result)) {
        ADD_FAILURE() << "connect failed: " << error->number << " " << error->text;
        return nullptr;
    }
    return std::move(std::get<std::unique_ptr<Connection>>(result));
}

std::string FirstValue(Connection& connection, const std::string& sql)
{
    if (!connection.Query(sql))
        return "<query failed: " + connection.ErrorText() + ">";
    auto result = connection.StoreResult();
    RowView row;
    if (!result || !result->FetchRow(row) || row.isNull(0))
        return "<no value>";
    return std::string(row.value(0));
}

} // namespace kelvanto::test
