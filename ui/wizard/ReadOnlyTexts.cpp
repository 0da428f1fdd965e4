#include "ui/wizard/ReadOnlyTexts.h"

namespace kelvanto::wizard
{

std::string serverLabel(const ServerConnection& server)
{
    const bool ipv6 = server.host.find(':') != std::string::npos;
    std::string label = ipv6 ? "[" + server.host + "]" : server.host;
    label += ":" + std::to_string(server.port);
    if (!server.connectionName.empty())
        label += " (" + server.connectionName + ")";
    return label;
}

std::string serverOptionsText(const ServerConnection& server)
{
    std::string text;
    if (server.useCompression == 1)
        text += "Use compression protocol\r\n";
    if (server.useSsl == 1)
        text += "Use SSL protocol";
    return text.empty() ? "None" : text;
}

std::string tableLabel(const TableItem& table)
{
    return table.name + (table.kind == 2 ? " (View)" : " (Table)");
}

std::string exportTableLabel(const TableItem& table)
{
    return table.kind == 2 ? table.name + " (View)" : table.name;
}

std::string backupFileKindText(const BackupSettings& settings)
{
    return settings.fileType == 2 ? "PHP File" : "SQL File";
}

std::string backupFileModeText(const BackupSettings& settings)
{
    return settings.fileMode == 1 ? "Always backup data to the same file" : "Backup data to the new file(s) every time";
}

std::string backupFileDetailsText(const BackupSettings& settings)
{
    std::string text;
    if (settings.fileMode == 1) {
        text = "Backup to file:\r\n" + settings.singleFilePath;
    } else {
        text = "Backup to folder:\r\n" + settings.backupFolder;
        switch (settings.fileSplit) {
        case 1:
            text += "\r\n\r\nOne file contains all selected databases and tables\r\n\r\n";
            break;
        case 2:
            text += "\r\n\r\nEach file contains a selected database\r\n\r\n";
            break;
        case 3:
            text += "\r\n\r\nEach file contains a selected table\r\n\r\n";
            break;
        default:
            break;
        }
        text += "File Name Format:\r\n" + settings.fileNameFormat;
        if (settings.newFolderPerRun == 1)
            text += "\r\n\r\nCreate a new folder and named it after DATE_TIME every time for storing the backup files";
        if (settings.autoDelete == 1) {
            text += "\r\n\r\nAuto delete the backup files if they are more than "
                + std::to_string(settings.autoDeleteLimit) + " days old";
        } else if (settings.autoDelete == 2) {
            text += "\r\n\r\nAuto delete the oldest backup files when more than "
                + std::to_string(settings.autoDeleteLimit) + " backup copies";
        }
    }
    if (settings.unixLineEnds == 1)
        text += "Use the '\\n' instead of '\\r\\n' in the backup files";
    return text;
}

std::string exportFileKindText(const ExportSettings& settings)
{
    switch (settings.fileType) {
    case 1:
        return "CSV File  (Table Export)";
    case 2:
        return "XML File  (Table Export)";
    case 3:
        return "HTML File  (Table Export)";
    case 4:
        return "TEXT File  (Table Export)";
    default:
        return "None";
    }
}

std::string scriptText(const std::vector<std::string>& statements)
{
    std::string text;
    for (const std::string& statement : statements) {
        if (!text.empty())
            text += "\r\n\r\n";
        text += statement;
    }
    return text;
}

std::string fileSizeText(std::int32_t bytes)
{
    return std::to_string(bytes / 1024) + " KB";
}

} // namespace kelvanto::wizard
