#include "app/TaskExtrasFile.h"

#include "app/JsonText.h"
#include "app/TaskExtrasJson.h"
#include "model/AtomicFile.h"
#include "model/FileBytes.h"
#include "model/TaskListStore.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <system_error>

namespace kelvanto
{

namespace
{

constexpr int kVersion = 1;
constexpr int kMaxSetAsideNames = 1000;

bool PathExists(const std::filesystem::path& path)
{
    struct stat info
    { };
    return ::lstat(path.c_str(), &info) == 0 || errno != ENOENT;
}

// Renames the file to "<name>.damaged" (or "<name>.damaged.N" when that is taken), never over
// another file. Returns the new name, or an empty path when it could not be moved.
std::filesystem::path SetAside(const std::filesystem::path& path)
{
    for (int n = 1; n <= kMaxSetAsideNames; ++n) {
        std::filesystem::path aside = path;
        aside += n == 1 ? std::string(".damaged") : ".damaged." + std::to_string(n);
        if (PathExists(aside))
            continue;
        std::error_code error;
        std::filesystem::rename(path, aside, error);
        return error ? std::filesystem::path {} : aside;
    }
    return {};
}

} // namespace

std::filesystem::path ExtrasFileBeside(const std::filesystem::path& taskListFile)
{
    std::filesystem::path extras = taskListFile;
    extras += ".extras.json";
    return extras;
}

std::string SerializeTaskExtras(const std::vector<Task>& tasks)
{
    Json entries = Json::array();
    for (const Task& task : tasks)
        entries.push_back(
            Json {{"logFileName", TextToJson(task.logFileName)}, {"extras", TaskExtrasToJson(task.extras)}});
    const Json document {{"version", kVersion}, {"tasks", std::move(entries)}};
    // Every text is valid UTF-8 or written as hex, so dump cannot throw.
    return document.dump(2) + "\n";
}

Result<TaskExtrasEntries> ParseTaskExtras(std::string_view text)
{
    Json document;
    try {
        document = Json::parse(text.begin(), text.end());
    } catch (const Json::parse_error& e) {
        return Error {"not valid JSON at byte " + std::to_string(e.byte)};
    } catch (const Json::exception&) {
        return Error {"not valid JSON"};
    }
    if (!document.is_object())
        return Error {"the file must hold one JSON object"};
    for (auto it = document.begin(); it != document.end(); ++it) {
        if (it.key() != "version" && it.key() != "tasks")
            return Error {it.key() + ": unknown field"};
    }
    if (!document.contains("version") || document["version"] != kVersion)
        return Error {"version: must be " + std::to_string(kVersion)};
    const auto tasks = document.find("tasks");
    if (tasks == document.end() || !tasks->is_array())
        return Error {"tasks: must be an array of objects"};

    TaskExtrasEntries entries;
    for (std::size_t i = 0; i < tasks->size(); ++i) {
        const Json& entry = (*tasks)[i];
        const std::string path = "tasks[" + std::to_string(i) + "]";
        if (!entry.is_object() || !entry.contains("logFileName") || !entry.contains("extras") || entry.size() != 2)
            return Error {path + ": must be an object {\"logFileName\": ..., \"extras\": {...}}"};
        std::string logFileName;
        std::string problem;
        if (!TextFromJson(entry["logFileName"], path + ".logFileName", logFileName, &problem))
            return Error {problem};
        // Keys missing from an entry are off: a file written before they existed keeps its meaning.
        auto extras = TaskExtrasFromJson(entry["extras"], path + ".extras", TaskExtras {});
        if (!extras)
            return Error {extras.error()};
        entries[logFileName] = std::move(*extras);
    }
    return entries;
}

Result<void> SaveTaskExtrasFile(const std::filesystem::path& path, const std::vector<Task>& tasks)
{
    if (path.empty())
        return Error {"No extras file name was given."};
    if (tasks.empty())
        return RemoveFileOfEmptyList(path, "the task extras");
    return WriteFileAtomically(path, SerializeTaskExtras(tasks));
}

TaskExtrasLoad LoadTaskExtrasFile(const std::filesystem::path& path, DamagedExtras damaged)
{
    if (!PathExists(path))
        return {};
    std::string problem;
    Result<std::string> bytes = ReadFileBytes(path);
    if (!bytes) {
        problem = bytes.error();
    } else if (auto parsed = ParseTaskExtras(*bytes); !parsed) {
        problem = parsed.error();
    } else {
        return {std::move(*parsed), {}};
    }

    // Short enough for one line of a task's log.
    std::string text = "The task extras file " + path.string() + " cannot be used (" + problem + ")";
    if (damaged == DamagedExtras::SetAside) {
        const auto aside = SetAside(path);
        text += aside.empty() ? ", nor set aside" : ", kept as " + aside.filename().string();
    }
    text += ": the tasks run without their extra settings.";
    return {{}, std::move(text)};
}

void AttachTaskExtras(std::vector<Task>& tasks, const TaskExtrasEntries& entries)
{
    for (Task& task : tasks) {
        const auto found = entries.find(task.logFileName);
        task.extras = found == entries.end() ? TaskExtras {} : found->second;
    }
}

Result<void> SaveTaskListWithExtras(
    const std::filesystem::path& listFile, const std::filesystem::path& extrasFile, const std::vector<Task>& tasks)
{
    if (listFile.empty())
        return SaveTaskListFile(listFile, tasks);
    if (auto saved = SaveTaskExtrasFile(extrasFile, tasks); !saved)
        return saved;
    return SaveTaskListFile(listFile, tasks);
}

} // namespace kelvanto
