#include "ui/wizard/WizardChecks.h"

#include "schedule/ScheduleValidation.h"
#include "ui/wizard/WizardTexts.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace kelvanto::wizard
{

namespace
{

bool Has(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

std::string CheckKeepLimit(std::string_view text, const char* message)
{
    const int value = ParseNumberField(text);
    return value >= 1 && value <= kMaxKeepLimit ? std::string() : std::string(message);
}

bool IsFolder(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

} // namespace

std::string CheckFileNameFormat(std::string_view format, int fileSplit)
{
    if (format.empty())
        return kInputFormat;
    if (format.find_first_of("\r\n\t\\/:*?\"<>|") != std::string_view::npos)
        return kBadFormatCharacters;
    const bool database = Has(format, "%DATABASE%");
    const bool table = Has(format, "%TABLE%");
    switch (fileSplit) {
    case 2:
        if (table)
            return kNoTableInFormat;
        if (!database)
            return kNeedDatabaseInFormat;
        break;
    case 3:
        if (!table)
            return kNeedTableInFormat;
        break;
    default:
        if (database)
            return kNoDatabaseInFormat;
        if (table)
            return kNoTableInFormat;
        break;
    }
    return {};
}

std::string CheckKeepDays(std::string_view text)
{
    return CheckKeepLimit(text, kBadKeepingDays);
}

std::string CheckKeepCopies(std::string_view text)
{
    return CheckKeepLimit(text, kBadCopies);
}

std::string CheckNewDatabaseName(std::string_view name)
{
    if (name.empty())
        return kInputNewDatabase;
    if (name.find_first_of("/\\.") != std::string_view::npos)
        return kBadDatabaseName;
    return {};
}

bool SameServer(const ServerConnection& source, const ServerConnection& destination)
{
    return source.host == destination.host && source.port == destination.port;
}

bool SameDatabase(const ServerConnection& source, const ServerConnection& destination)
{
    return SameServer(source, destination) && source.database == destination.database;
}

bool IsUsableFolder(const std::string& folder)
{
    std::string trimmed = folder;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const std::filesystem::path path = std::filesystem::path(trimmed).lexically_normal();
    if (trimmed.empty() || !path.is_absolute())
        return false;
    if (IsFolder(path))
        return true;
    std::error_code error;
    if (std::filesystem::exists(path, error))
        return false;
    const std::filesystem::path parent = path.parent_path();
    return IsFolder(parent) && ::access(parent.c_str(), W_OK | X_OK) == 0;
}

bool IsUsableFilePath(const std::string& path)
{
    const std::filesystem::path file(path);
    if (path.empty() || path.back() == '/' || !file.is_absolute() || IsFolder(file))
        return false;
    return IsFolder(file.parent_path());
}

std::string WithTrailingSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

void EmptyListsUnusedBy(Task& task)
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

std::string ShowTypedEscapes(std::string_view stored)
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
