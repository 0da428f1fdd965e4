#pragma once

#include <filesystem>
#include <string>

namespace kelvanto::test
{

// Files that another user planted in a shared folder. Only root can give a file to another
// user (CI runs as root); elsewhere the tests that need it skip with WhyNoOtherUser().

// Whether entries can be given to another user here.
bool CanPlantAsOtherUser();
// "planting a file as another user needs root" (the skip message).
std::string WhyNoOtherUser();
// Gives the entry (a symbolic link itself, not its target) to the user "nobody".
void GiveToOtherUser(const std::filesystem::path& path);
// A folder that everybody can write, as /tmp (mode 1777).
void MakeShared(const std::filesystem::path& folder);

} // namespace kelvanto::test
