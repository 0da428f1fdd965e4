#pragma once

namespace kelvanto::links
{

// The program's addresses, in one place: the web site, the support page and the support
// e-mail address (the Help menu, the about box and the welcome tip name them).
inline constexpr const char* kWebSite = "https://kelvanto.org/";
inline constexpr const char* kSupportPage = "https://kelvanto.org/support/";
inline constexpr const char* kSupportEmail = "support@kelvanto.org";

} // namespace kelvanto::links
