#include "app/TaskFolderChecks.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace kelvanto
{

namespace
{

constexpr const char* kServiceReadOnlyHint
    = "the system service may write only to its data folder and to folders that a ReadWritePaths= drop-in "
      "opens to it";
constexpr const char* kPrivateTemporary
    = "The system service has /tmp, /var/tmp and /dev/shm to itself and empties them when it stops, so that its files "
      "there would be lost: choose a folder in the data folder, or one that a ReadWritePaths= drop-in opens to "
      "the service.";

// The folder a task writes to, with its field and the message that starts its fault.
struct TaskFolder
{
    std::string field;
    std::string path;
    const char* message = kInvalidFolder;
};

std::optional<TaskFolder> FolderOf(const Task& task)
{
    if (task.type == TaskType::BackupToFiles) {
        const BackupSettings& settings = task.backupSettings;
        if (settings.fileMode == 1) {
            const std::string& file = settings.singleFilePath;
            const std::size_t slash = file.rfind('/');
            if (file.empty() || slash == std::string::npos)
                return std::nullopt;
            return TaskFolder {
                "backupSettings.singleFilePath", slash == 0 ? std::string("/") : file.substr(0, slash), kInvalidFile};
        }
        if (settings.backupFolder.empty())
            return std::nullopt;
        return TaskFolder {"backupSettings.backupFolder", settings.backupFolder, kInvalidFolder};
    }
    if (task.type == TaskType::ExportTables && !task.exportSettings.directory.empty())
        return TaskFolder {"exportSettings.directory", task.exportSettings.directory, kInvalidDirectory};
    return std::nullopt;
}

std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// Whether this process may make entries in the folder; errno tells why not.
bool MayWriteInto(const std::string& folder)
{
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string NotWritable(const std::string& folder, int error, std::string_view readOnlyHint)
{
    std::string reason = "The folder is not writable: " + folder + " (" + std::strerror(error);
    if (error == EROFS && !readOnlyHint.empty())
        reason += ": " + std::string(readOnlyHint);
    return reason + ")";
}

} // namespace

bool RunsAsSystemService()
{
    const char* kind = std::getenv("KELVANTO_SERVICE");
    return kind != nullptr && std::strcmp(kind, "system") == 0;
}

bool IsPrivateTemporaryPath(std::string_view path)
{
    if (path.empty() || path.front() != '/')
        return false;
    // The first two components, "." and empty ones left out; ".." is refused by the task checks.
    std::string parts[2];
    int seen = 0;
    for (std::size_t start = 1; start <= path.size() && seen < 2;) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view part = path.substr(start, end - start);
        if (!part.empty() && part != ".")
            parts[seen++] = std::string(part);
        start = end + 1;
    }
    return parts[0] == "tmp" || (parts[0] == "var" && parts[1] == "tmp") || (parts[0] == "dev" && parts[1] == "shm");
}

std::string FolderWriteProblem(const std::string& folder, std::string_view readOnlyHint)
{
    const std::string path = WithoutTrailingSlashes(folder);
    struct stat info
    { };
    if (::stat(path.c_str(), &info) != 0) {
        if (errno != ENOENT)
            return "The folder cannot be reached: " + path + " (" + std::strerror(errno) + ")";
        // A run makes the folder itself, one level, inside a folder that must be there.
        const std::size_t slash = path.rfind('/');
        const std::string parent = slash == 0 ? std::string("/") : path.substr(0, slash);
        struct stat parentInfo
        { };
        if (slash == std::string::npos || ::stat(parent.c_str(), &parentInfo) != 0 || !S_ISDIR(parentInfo.st_mode))
            return "The folder does not exist: " + path;
        if (!MayWriteInto(parent)) {
            const int error = errno;
            return "The folder does not exist, and it cannot be made: " + NotWritable(parent, error, readOnlyHint);
        }
        return {};
    }
    if (!S_ISDIR(info.st_mode))
        return "Not a folder: " + path;
    if (!MayWriteInto(path))
        return NotWritable(path, errno, readOnlyHint);
    return {};
}

std::optional<TaskFault> CheckTaskFolderPlace(const Task& task, bool systemService)
{
    if (!systemService)
        return std::nullopt;
    const auto folder = FolderOf(task);
    if (!folder)
        return std::nullopt;
    // A link that leads there counts as well.
    bool temporary = IsPrivateTemporaryPath(folder->path);
    if (!temporary) {
        std::error_code error;
        const std::filesystem::path resolved = std::filesystem::canonical(folder->path, error);
        temporary = !error && IsPrivateTemporaryPath(resolved.string());
    }
    if (!temporary)
        return std::nullopt;
    return TaskFault {folder->field, std::string(folder->message) + "\n" + kPrivateTemporary};
}

std::optional<TaskFault> CheckTaskFolderAccess(const Task& task, bool systemService)
{
    const auto folder = FolderOf(task);
    // A relative path is refused by the task checks; it says nothing about this process.
    if (!folder || !IsAbsolutePath(folder->path))
        return std::nullopt;
    std::string problem = FolderWriteProblem(folder->path, systemService ? kServiceReadOnlyHint : "");
    if (problem.empty())
        return std::nullopt;
    return TaskFault {folder->field, std::string(folder->message) + "\n" + problem};
}

} // namespace kelvanto
