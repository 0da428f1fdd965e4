#include "engines/export/ExportFileName.h"

#include "model/Text.h"

namespace kelvanto
{

const char* ExportFileExtension(int fileType)
{
    switch (fileType) {
    case 1:
        return ".csv";
    case 2:
        return ".xml";
    case 3:
        return ".html";
    case 4:
        return ".txt";
    default:
        return "";
    }
}

std::string BuildExportFileName(const ExportSettings& settings, const std::vector<TableItem>& list, std::size_t index)
{
    if (index >= list.size() || settings.directory.empty())
        return {};
    const TableItem& entry = list[index];
    std::string path = settings.directory;
    // A typed folder without its separator would otherwise glue the name onto it.
    if (path.back() != '/')
        path += '/';
    path += CleanNameForFile(entry.database);
    path += '_';
    path += CleanNameForFile(entry.name);
    path += ExportFileExtension(settings.fileType);
    return path;
}

} // namespace kelvanto
