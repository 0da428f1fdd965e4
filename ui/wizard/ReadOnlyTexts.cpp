#include "ui/wizard/ReadOnlyTexts.h"

#include <QCoreApplication>

namespace kelvanto::wizard
{

namespace
{

const QLatin1String kLineEnd("\r\n");
const QLatin1String kEmptyLine("\r\n\r\n");

} // namespace

std::string serverLabel(const ServerConnection& server)
{
    const bool ipv6 = server.host.find(':') != std::string::npos;
    std::string label = ipv6 ? "[" + server.host + "]" : server.host;
    label += ":" + std::to_string(server.port);
    if (!server.connectionName.empty())
        label += " (" + server.connectionName + ")";
    return label;
}

QString serverOptionsText(const ServerConnection& server)
{
    QString text;
    if (server.useCompression == 1)
        text += QCoreApplication::translate("kelvanto::wizard", "Use compression protocol") + kLineEnd;
    if (server.useSsl == 1)
        text += QCoreApplication::translate("kelvanto::wizard", "Use SSL protocol");
    return text.isEmpty() ? QCoreApplication::translate("kelvanto::wizard", "None") : text;
}

QString tableLabel(const TableItem& table)
{
    return table.kind == 2
        ? QCoreApplication::translate("kelvanto::wizard", "%1 (View)").arg(QString::fromStdString(table.name))
        : QCoreApplication::translate("kelvanto::wizard", "%1 (Table)").arg(QString::fromStdString(table.name));
}

QString exportTableLabel(const TableItem& table)
{
    return table.kind == 2 ? tableLabel(table) : QString::fromStdString(table.name);
}

QString backupFileKindText(const BackupSettings& settings)
{
    return settings.fileType == 2 ? QCoreApplication::translate("kelvanto::wizard", "PHP File")
                                  : QCoreApplication::translate("kelvanto::wizard", "SQL File");
}

QString backupFileModeText(const BackupSettings& settings)
{
    return settings.fileMode == 1
        ? QCoreApplication::translate("kelvanto::wizard", "Always backup data to the same file")
        : QCoreApplication::translate("kelvanto::wizard", "Backup data to the new file(s) every time");
}

QString backupFileDetailsText(const BackupSettings& settings)
{
    QString text;
    if (settings.fileMode == 1) {
        text = QCoreApplication::translate("kelvanto::wizard", "Backup to file:") + kLineEnd
            + QString::fromStdString(settings.singleFilePath);
    } else {
        text = QCoreApplication::translate("kelvanto::wizard", "Backup to folder:") + kLineEnd
            + QString::fromStdString(settings.backupFolder);
        switch (settings.fileSplit) {
        case 1:
            text += kEmptyLine
                + QCoreApplication::translate("kelvanto::wizard", "One file contains all selected databases and tables")
                + kEmptyLine;
            break;
        case 2:
            text += kEmptyLine
                + QCoreApplication::translate("kelvanto::wizard", "Each file contains a selected database")
                + kEmptyLine;
            break;
        case 3:
            text += kEmptyLine + QCoreApplication::translate("kelvanto::wizard", "Each file contains a selected table")
                + kEmptyLine;
            break;
        default:
            break;
        }
        text += QCoreApplication::translate("kelvanto::wizard", "File Name Format:") + kLineEnd
            + QString::fromStdString(settings.fileNameFormat);
        if (settings.newFolderPerRun == 1)
            text += kEmptyLine
                + QCoreApplication::translate("kelvanto::wizard",
                    "Create a new folder and named it after DATE_TIME every time for storing the backup files");
        if (settings.autoDelete == 1) {
            text += kEmptyLine
                + QCoreApplication::translate(
                    "kelvanto::wizard", "Auto delete the backup files if they are more than %1 days old")
                      .arg(settings.autoDeleteLimit);
        } else if (settings.autoDelete == 2) {
            text += kEmptyLine
                + QCoreApplication::translate(
                    "kelvanto::wizard", "Auto delete the oldest backup files when more than %1 backup copies")
                      .arg(settings.autoDeleteLimit);
        }
    }
    // On a paragraph of its own: run on, it read as part of the path before it.
    if (settings.unixLineEnds == 1)
        text += kEmptyLine
            + QCoreApplication::translate("kelvanto::wizard", "Use the '\\n' instead of '\\r\\n' in the backup files");
    return text;
}

QString exportFileKindText(const ExportSettings& settings)
{
    switch (settings.fileType) {
    case 1:
        return QCoreApplication::translate("kelvanto::wizard", "CSV File  (Table Export)");
    case 2:
        return QCoreApplication::translate("kelvanto::wizard", "XML File  (Table Export)");
    case 3:
        return QCoreApplication::translate("kelvanto::wizard", "HTML File  (Table Export)");
    case 4:
        return QCoreApplication::translate("kelvanto::wizard", "TEXT File  (Table Export)");
    default:
        return QCoreApplication::translate("kelvanto::wizard", "None");
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

QString fileSizeText(std::int32_t bytes)
{
    return QCoreApplication::translate("kelvanto::wizard", "%1 KB").arg(bytes / 1024);
}

} // namespace kelvanto::wizard
