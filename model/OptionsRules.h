#pragma once

#include "model/Options.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace kelvanto
{

// The default backup folder: the data folder's "Data" folder, ending with '/'.
std::string DefaultBackupFolder(const std::filesystem::path& dataFolder);

// Sets an empty defaultBackupFolder to DefaultBackupFolder(dataFolder) (done when the
// options are loaded at start-up and when the options dialog is accepted).
void ApplyDefaultBackupFolder(Options& options, const std::filesystem::path& dataFolder);

// The maximum task log size check: 1-100000 KB, else the message; empty when accepted.
std::string CheckLogMaxSize(std::int64_t sizeKB);

// Login protection is on when a user name or a password is set.
bool IsLoginProtected(const Options& options);

// Both texts must equal the stored ones exactly (case-sensitive).
bool LoginMatches(const Options& options, std::string_view user, std::string_view password);

// An empty user name empties the password, as the General page does when it is left.
void NormalizeLogin(Options& options);

// "&Reset to default" of the General page and of the Backup and Log page.
void ResetGeneralOptions(Options& options);
void ResetBackupAndLogOptions(Options& options, const std::filesystem::path& dataFolder);

} // namespace kelvanto
