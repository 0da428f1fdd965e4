#pragma once

// STAND-IN, TO BE REPLACED: the engine functions that the wizard pages call and that other
// branches are still building. Each declaration carries the name and signature of the real
// one; this file and its .cpp are deleted when those branches are merged, and the pages then
// include the real headers (noted beside each function).

#include "model/Result.h"
#include "model/Task.h"

#include <string>
#include <string_view>
#include <vector>

namespace kelvanto
{

// Real one: engines/SqlSplitter.h. Cuts a script into statements and appends them.
void SplitScript(std::string_view text, std::vector<std::string>& statements);

// Real one: engines/RestoreFileEntry.h. The restore-file entry for a file as the wizard adds it.
Result<RestoreFile> RestoreFileEntry(const std::string& path);

// Real one: the export engine's typed-escape conversion. The four CSV/TEXT field texts as
// typed turned into the characters they denote (\a \b \f \n \r \t \v \' \" \\ \?, each
// replaced throughout in that order).
std::string ConvertTypedEscapes(std::string_view typed);

} // namespace kelvanto
