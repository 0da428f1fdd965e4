#pragma once

#include "model/ServerList.h"
#include "model/Task.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelvanto
{

// True when portText is all digits and its value is 1-65535.
bool IsValidPortText(std::string_view portText);

// The checks of the profile dialog on OK, in order; returns the message of the first that
// fails, or an empty string. portText is the port field as typed. In new mode
// (isNewProfile) the name must not equal, byte for byte, the name of a profile in list.
std::string CheckServerProfile(
    const ServerConnection& profile, std::string_view portText, bool isNewProfile, const ServerList& list);

// The checks of "Test connection": host, then port; the message or an empty string.
std::string CheckServerAddress(const ServerConnection& profile, std::string_view portText);

// The port shown for a profile: a stored port outside 1-65535 shows as 3306.
std::int32_t DisplayedPort(std::int32_t storedPort);

} // namespace kelvanto
