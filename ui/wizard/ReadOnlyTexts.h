#pragma once

#include "model/Task.h"

#include <QString>

#include <string>
#include <vector>

namespace kelvanto::wizard
{

// The texts of the property sheet's read-only pages. Those with words are in the user's language
// (marked for translation in the context "kelvanto::wizard").

// A server as summaries and read-only pages name it: "host:port" ("[host]:port" for an IPv6
// address), then the profile's name in parentheses when the connection came from one.
std::string serverLabel(const ServerConnection& server);

// "Use compression protocol\r\n" when on, then "Use SSL protocol" when on; "None" when neither.
QString serverOptionsText(const ServerConnection& server);

// A table or view as the read-only lists show it: the name, then " (View)" for a view and
// " (Table)" for anything else; the export list shows " (View)" only.
QString tableLabel(const TableItem& table);
QString exportTableLabel(const TableItem& table);

// "PHP File" or "SQL File"; "Always backup data to the same file" or "Backup data to the new
// file(s) every time"; and the details: the file or the folder with the split mode, the name
// format, the new folder and the expiry, then the '\n' line-end switch.
QString backupFileKindText(const BackupSettings& settings);
QString backupFileModeText(const BackupSettings& settings);
QString backupFileDetailsText(const BackupSettings& settings);

// "CSV File  (Table Export)" ... "TEXT File  (Table Export)" for file types 1-4, "None" otherwise.
QString exportFileKindText(const ExportSettings& settings);

// The stored statements joined by "\r\n\r\n".
std::string scriptText(const std::vector<std::string>& statements);

// A restore file's size as "%d KB": the bytes divided by 1024, cut to a whole number.
QString fileSizeText(std::int32_t bytes);

} // namespace kelvanto::wizard
