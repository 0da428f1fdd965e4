#pragma once

#include "model/Task.h"

#include <filesystem>

namespace kelvanto::test
{

// The example task examples/NAME.json, as importing it would make it. The restore example
// names dump files under /srv/dumps/: they are made in scratch first (the structure file of
// 23004 bytes, the records file of 1023, both last written on 2026-12-01 at 03:00:12), so
// that the entries get their sizes and times, and the paths are then given back as written.
Task loadExample(const char* name, const std::filesystem::path& scratch);

} // namespace kelvanto::test
