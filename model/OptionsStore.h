#pragma once

#include "model/Options.h"
#include "model/Result.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace kelvanto
{

// Where the options of a load came from.
enum class OptionsOrigin {
    File, // read from the file
    Missing, // no file: defaults
    Unreadable, // a folder, or a file that cannot be read: defaults
    Foreign, // not an options file (wrong magic, or shorter than the magic): defaults
    Damaged, // the right magic but cut short: defaults, nothing half-read is kept
};

struct LoadedOptions
{
    Options options;
    OptionsOrigin origin = OptionsOrigin::Missing;
    std::string message; // why the defaults were taken; empty when read from the file
};

std::string SerializeOptions(const Options& options);
// The options of the bytes of an options file; defaults (with the origin and reason) when
// they are not a complete options file. After the original record's last field one byte may
// follow, the run notices (written only when not the default); an unknown value there, and
// any further byte, is ignored.
LoadedOptions ParseOptions(std::string_view bytes);

LoadedOptions LoadOptionsFile(const std::filesystem::path& path);
// Writes the options atomically with mode 0600.
Result<void> SaveOptionsFile(const std::filesystem::path& path, const Options& options);

} // namespace kelvanto
