#pragma once

#include "model/Result.h"
#include "model/ServerList.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace kelvanto
{

// The bytes of a server list file: the magic, then every profile in list order.
std::string SerializeServerList(const ServerList& list);

// Fills list (emptied first) from the bytes of a server list file of the current layout or
// the legacy one (legacy key, no connectionName, which is then set to the host, and no
// reserved byte). Records run to the end of the data; a record cut short rejects the whole
// file, so list stays empty rather than holding a garbled profile.
Result<void> ParseServerList(std::string_view bytes, ServerList& list);

// Reads the file at path into list (emptied first). Missing, unreadable, foreign or damaged
// file: an Error, and the list stays empty.
Result<void> LoadServerListFile(const std::filesystem::path& path, ServerList& list);

// Writes the whole list atomically with mode 0600; an empty list is the four magic bytes.
Result<void> SaveServerListFile(const std::filesystem::path& path, const ServerList& list);

// The start-up rule: true when the file exists, holds at least four bytes and they are not
// the current magic, so the loaded list should be saved over it in the current layout.
// A legacy file that cannot be read whole is left alone (its profiles were not loaded, and
// rewriting it would destroy them).
bool ServerListNeedsUpgrade(const std::filesystem::path& path);

} // namespace kelvanto
