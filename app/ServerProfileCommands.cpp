#include "app/ServerProfileCommands.h"

#include "model/ServerProfileCheck.h"

#include <variant>

namespace kelvanto
{

namespace
{

std::optional<std::size_t> IndexOf(const ServerList& list, const std::string& name)
{
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list.profiles()[i].connectionName == name)
            return i;
    }
    return std::nullopt;
}

// What the dialog stores: the typed port, and no password without "Save password".
ServerConnection AsStored(ServerConnection profile, std::string_view portText)
{
    profile.port = static_cast<std::int32_t>(std::stol(std::string(portText)));
    if (profile.savePassword == 0)
        profile.password.clear();
    return profile;
}

} // namespace

std::string NoSuchProfileMessage(const std::string& name)
{
    return "no server profile named \"" + name + "\"";
}

Result<void> AddServerProfile(Application& app, ServerConnection profile, std::string_view portText)
{
    return app.ChangeServers([&](ServerList& list) -> Result<void> {
        if (auto refused = CheckServerProfile(profile, portText, true, list); !refused.empty())
            return Error {refused};
        list.add(AsStored(std::move(profile), portText));
        return Ok();
    });
}

Result<void> EditServerProfile(
    Application& app, const std::string& name, ServerConnection profile, std::string_view portText)
{
    return app.ChangeServers([&](ServerList& list) -> Result<void> {
        const auto index = IndexOf(list, name);
        if (!index)
            return Error {NoSuchProfileMessage(name)};
        if (auto refused = CheckServerProfile(profile, portText, false, list); !refused.empty())
            return Error {refused};
        list.replace(*index, AsStored(std::move(profile), portText));
        return Ok();
    });
}

Result<void> RemoveServerProfile(Application& app, const std::string& name)
{
    return app.ChangeServers([&](ServerList& list) -> Result<void> {
        const auto index = IndexOf(list, name);
        if (!index)
            return Error {NoSuchProfileMessage(name)};
        list.remove(*index);
        return Ok();
    });
}

Result<std::string> TestServerProfile(
    const Connector& connector, const ServerConnection& profile, std::string_view portText)
{
    if (auto refused = CheckServerAddress(profile, portText); !refused.empty())
        return Error {refused};
    ServerConnection settings = profile;
    settings.port = static_cast<std::int32_t>(std::stol(std::string(portText)));
    ConnectResult result = connector(settings);
    if (auto* error = std::get_if<ConnectError>(&result)) {
        return Error {"Failed to connect to the MySQL server!\n\nError NO. " + std::to_string(error->number) + "\n"
            + error->text};
    }
    const auto& connection = std::get<std::unique_ptr<Connection>>(result);
    return "Successfully connected to the MySQL server!\n\nMySQL version: " + connection->ServerInfo();
}

} // namespace kelvanto
