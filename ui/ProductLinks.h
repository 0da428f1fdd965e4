#pragma once

namespace kelvanto::links
{

// Where the Help menu's "Web Site", "Support Page" and "Support E-mail", the about box and the
// welcome tip send the user: pages of the installed manual. This build has no web site or mail
// address of its own; the support page says where to get help for it.
inline constexpr const char* kWebSite = "::/index.html";
inline constexpr const char* kSupportPage = "::/support.html";
inline constexpr const char* kSupportEmail = "::/support.html#report";

} // namespace kelvanto::links
