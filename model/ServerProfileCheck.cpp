#include "model/ServerProfileCheck.h"

namespace kelvanto
{

bool IsValidPortText(std::string_view portText)
{
    if (portText.empty())
        return false;
    std::int64_t value = 0;
    for (char c : portText) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
        if (value > 65535)
            return false;
    }
    return value >= 1;
}

std::string CheckServerAddress(const ServerConnection& profile, std::string_view portText)
{
    if (profile.host.empty())
        return "Please input the Host name or IP address.";
    if (!IsValidPortText(portText))
        return "Please input a number between 1 and 65535.";
    return {};
}

std::string CheckServerProfile(
    const ServerConnection& profile, std::string_view portText, bool isNewProfile, const ServerList& list)
{
    if (profile.connectionName.empty())
        return "Please input the Connection Name.";
    if (std::string address = CheckServerAddress(profile, portText); !address.empty())
        return address;
    if (profile.savePassword) {
        if (profile.user.empty())
            return "Please input the username.";
        if (profile.password.empty())
            return "Please input the password.";
    }
    if (isNewProfile && list.containsName(profile.connectionName))
        return "The connection name already exists!";
    return {};
}

std::int32_t DisplayedPort(std::int32_t storedPort)
{
    return storedPort >= 1 && storedPort <= 65535 ? storedPort : 3306;
}

} // namespace kelvanto
