#include "ui/wizard/WizardChecks.h"

#include "app/TaskChecks.h"
#include "ui/wizard/WizardTexts.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace kelvanto::wizard
{

namespace
{

bool IsFolder(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

// Files may be made in it: written to and searched.
bool IsWritable(const std::filesystem::path& folder)
{
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

} // namespace

bool sameServer(const ServerConnection& source, const ServerConnection& destination)
{
    return source.host == destination.host && source.port == destination.port;
}

bool sameDatabase(const ServerConnection& source, const ServerConnection& destination)
{
    return sameServer(source, destination) && source.database == destination.database;
}

bool isUsableFolder(const std::string& folder)
{
    return folderFault(folder) == nullptr;
}

const char* folderFault(const std::string& folder)
{
    std::string trimmed = folder;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    if (!IsAbsolutePath(trimmed))
        return kFolderNotAbsolute;
    const std::filesystem::path path = std::filesystem::path(trimmed).lexically_normal();
    if (IsFolder(path))
        return IsWritable(path) ? nullptr : kFolderNotWritable;
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(path, error)))
        return kFolderNotAFolder;
    const std::filesystem::path parent = path.parent_path();
    if (!IsFolder(parent))
        return kFolderMissing;
    return IsWritable(parent) ? nullptr : kFolderCannotBeMade;
}

QString invalidFolderText(const char* message, const std::string& folder)
{
    // The message is the core's check text, shown as it is.
    const QString text = QString::fromUtf8(message);
    const char* fault = folderFault(folder);
    return fault ? text + QLatin1Char('\n') + tr(fault) : text;
}

bool isUsableFilePath(const std::string& path)
{
    const std::filesystem::path file(path);
    if (!IsAbsolutePath(path) || path.back() == '/' || IsFolder(file))
        return false;
    return IsFolder(file.parent_path());
}

std::string withTrailingSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

void emptyListsUnusedBy(Task& task)
{
    const TaskType type = task.type;
    if (type == TaskType::ExportTables || type == TaskType::ExecuteScript || type == TaskType::RestoreFromFiles)
        task.databases.clear();
    if (type != TaskType::ExportTables)
        task.exportTables.clear();
    if (type != TaskType::ExecuteScript)
        task.sqlStatements.clear();
    if (type != TaskType::RestoreFromFiles)
        task.restoreFiles.clear();
}

std::string showTypedEscapes(std::string_view stored)
{
    std::string shown;
    for (char c : stored) {
        switch (c) {
        case '\a':
            shown += "\\a";
            break;
        case '\b':
            shown += "\\b";
            break;
        case '\f':
            shown += "\\f";
            break;
        case '\n':
            shown += "\\n";
            break;
        case '\r':
            shown += "\\r";
            break;
        case '\t':
            shown += "\\t";
            break;
        case '\v':
            shown += "\\v";
            break;
        case '\\':
            shown += "\\\\";
            break;
        default:
            shown += c;
            break;
        }
    }
    return shown;
}

} // namespace kelvanto::wizard
