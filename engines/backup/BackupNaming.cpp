#include "engines/backup/BackupNaming.h"

#include "model/SafeFolder.h"
#include "model/Text.h"

#include <cstdio>
#include <filesystem>
#include <sys/stat.h>

namespace kelvanto
{

namespace
{

std::string Format(const char* format, int a, int b, int c)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, a, b, c);
    return buffer;
}

std::string DateText(const TimeStamp& time)
{
    return Format("%04d-%02d-%02d", time.year, time.month, time.day);
}

// A name part of a database name: no '.', '\\' or '/', and no blanks at either end.
std::string CleanDatabaseNamePart(std::string_view text)
{
    std::string cleaned;
    for (char c : text) {
        if (c != '.' && c != '\\' && c != '/')
            cleaned += c;
    }
    return std::string(TrimBlanks(cleaned));
}

std::string TimeText(const TimeStamp& time)
{
    return Format("%02d-%02d-%02d", time.hour, time.minute, time.second);
}

// Replaces every occurrence, left to right; inserted text is not searched again for the
// same placeholder (so a value that holds it cannot loop), only by the later ones.
void ReplaceAll(std::string& text, std::string_view placeholder, std::string_view value)
{
    std::size_t position = 0;
    while ((position = text.find(placeholder, position)) != std::string::npos) {
        text.replace(position, placeholder.size(), value);
        position += value.size();
    }
}

// The dump extensions, compressed ones first, so that "_<number>" goes before all of it.
constexpr std::string_view kDumpExtensions[] = {".sql.zst", ".sql.gz", ".sql", ".php"};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string WithoutTrailingSlash(std::string path)
{
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace

std::string WithoutPathComponents(std::string_view name)
{
    std::string joined;
    std::string part;
    const auto endPart = [&] {
        if (part != "." && part != "..")
            joined += part;
        part.clear();
    };
    for (const char c : name) {
        if (c == '/')
            endPart();
        else if (c != '\0')
            part += c;
    }
    endPart();
    return joined;
}

std::string RunFolderName(const TimeStamp& runTime)
{
    return DateText(runTime) + "_" + TimeText(runTime) + "/";
}

std::string RunFolderFor(const BackupSettings& settings, const TimeStamp& runTime)
{
    if (settings.fileMode == 2 && settings.newFolderPerRun == 1)
        return RunFolderName(runTime);
    return {};
}

Result<void> CreateBackupFolders(const BackupSettings& settings, const std::string& runFolder)
{
    const std::string base = WithoutTrailingSlash(settings.backupFolder);
    if (base.empty())
        return Error {"Backup directory name is empty!"};
    ::mkdir(base.c_str(), 0777);
    Result<UniqueFd> opened = OpenFolder(base);
    if (!opened)
        return Error {opened.error()};
    if (runFolder.empty())
        return Ok();
    // A run folder holds whole databases (and a PHP dump the password): its owner's only.
    Result<UniqueFd> run = OpenOwnFolderAt(opened->get(), WithoutTrailingSlash(runFolder), 0700);
    if (!run)
        return Error {run.error() + " (in " + base + ")"};
    return Ok();
}

std::string CleanNamePart(std::string_view text)
{
    return CleanNameForFile(text);
}

std::string BuildBackupFilePath(const BackupSettings& settings, const std::string& runFolder,
    const std::string& taskName, const ServerConnection& connection, const std::string& database,
    const std::string& table, const TimeStamp& runTime)
{
    if (settings.fileMode == 1)
        return settings.singleFilePath;
    std::string name = settings.fileNameFormat;
    ReplaceAll(name, "%TASKNAME%", CleanNamePart(taskName));
    ReplaceAll(name, "%HOST%", CleanNamePart(connection.host));
    ReplaceAll(name, "%DATABASE%", CleanNamePart(database));
    ReplaceAll(name, "%TABLE%", CleanNamePart(table));
    ReplaceAll(name, "%DATE%", DateText(runTime));
    ReplaceAll(name, "%TIME%", TimeText(runTime));
    name = WithoutPathComponents(name);

    std::string path = settings.backupFolder;
    // A folder stored without its separator would otherwise glue the name onto it.
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += runFolder;
    path += name;
    path += settings.fileType == 2 ? ".php" : ".sql";
    return path;
}

std::string NumberedBackupFilePath(const std::string& path, unsigned number)
{
    const std::size_t nameStart = path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1;
    const std::string_view name = std::string_view(path).substr(nameStart);
    std::size_t at = path.size();
    for (const std::string_view extension : kDumpExtensions) {
        if (name.ends_with(extension)) {
            at = path.size() - extension.size();
            break;
        }
    }
    return path.substr(0, at) + "_" + std::to_string(number) + path.substr(at);
}

std::optional<std::string_view> StripNameNumber(std::string_view stem)
{
    std::size_t digits = 0;
    while (digits < stem.size() && IsDigit(stem[stem.size() - 1 - digits]))
        ++digits;
    if (digits == 0 || digits == stem.size() || stem[stem.size() - 1 - digits] != '_')
        return std::nullopt;
    const std::string_view number = stem.substr(stem.size() - digits);
    if (number.front() == '0' || number == "1")
        return std::nullopt;
    return stem.substr(0, stem.size() - digits - 1);
}

std::string BackupPathKey(const std::string& path)
{
    std::string key = std::filesystem::path(path).lexically_normal().string();
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

std::string MissingNamePlaceholders(const BackupSettings& settings, std::size_t databases)
{
    if (settings.fileMode != 2 || (settings.fileSplit != 2 && settings.fileSplit != 3))
        return {};
    const std::string_view format = settings.fileNameFormat;
    std::string missing;
    if (databases > 1 && format.find("%DATABASE%") == std::string_view::npos)
        missing = "%DATABASE%";
    if (settings.fileSplit == 3 && format.find("%TABLE%") == std::string_view::npos)
        missing += (missing.empty() ? "" : " and ") + std::string("%TABLE%");
    return missing;
}

std::string MissingPlaceholdersWarning(const BackupSettings& settings, std::size_t databases)
{
    const std::string missing = MissingNamePlaceholders(settings, databases);
    if (missing.empty())
        return {};
    return "The file name format \"" + settings.fileNameFormat + "\" lacks " + missing
        + ", so files of this backup may get the same name: a file whose name is taken gets a number before "
          "its extension (_2, _3...)";
}

std::string ExpandDestinationDatabaseName(const std::string& name, const std::string& taskName,
    const std::string& sourceHost, const std::string& database, const TimeStamp& runTime)
{
    std::string expanded = name;
    ReplaceAll(expanded, "%TASKNAME%", CleanDatabaseNamePart(taskName));
    ReplaceAll(expanded, "%HOST%", CleanDatabaseNamePart(sourceHost));
    ReplaceAll(expanded, "%DATABASE%", database);
    ReplaceAll(expanded, "%DATE%", Format("%d-%02d-%02d", runTime.year, runTime.month, runTime.day));
    ReplaceAll(expanded, "%TIME%", TimeText(runTime));
    return expanded;
}

} // namespace kelvanto
