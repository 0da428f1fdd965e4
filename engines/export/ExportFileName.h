#pragma once

#include "model/Task.h"

#include <cstddef>
#include <string>
#include <vector>

namespace kelvanto
{

// ".csv", ".xml", ".html" or ".txt" for the export file types 1 to 4; "" for any other.
const char* ExportFileExtension(int fileType);

// The file of one entry of an export list: the export directory, "/" when it does not end
// with one, the entry's database name, "_", its object name (both without CR, LF, TAB,
// \ / : * ? " < > | and trimmed) and the extension of the file type. Empty for an index
// outside the list or an empty directory.
std::string BuildExportFileName(const ExportSettings& settings, const std::vector<TableItem>& list, std::size_t index);

} // namespace kelvanto
