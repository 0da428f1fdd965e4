#include "app/TaskExtrasFile.h"

#include "app/JsonText.h"
#include "app/TaskExtrasJson.h"
#include "model/FileBytes.h"
#include "model/TaskListStore.h"

#include <cerrno>
#include <mutex>
#include <set>
#include <sys/stat.h>

namespace kelvanto
{

namespace
{

constexpr int kVersion = 1;

bool PathExists(const std::filesystem::path& path)
{
    struct stat info
    { };
    return ::lstat(path.c_str(), &info) == 0 || errno != ENOENT;
}

TaskExtras Unreadable(std::string problem, std::string entry)
{
    TaskExtras extras;
    extras.unreadable = UnreadableExtras {std::move(problem), std::move(entry)};
    return extras;
}

std::string EntryPath(std::size_t index)
{
    return "tasks[" + std::to_string(index) + "]";
}

// Why the file as a whole cannot be read; empty when its frame (version, list of entries) is sound.
std::string FrameFault(const Json& document)
{
    if (!document.is_object())
        return "the file must hold one JSON object";
    for (auto it = document.begin(); it != document.end(); ++it) {
        if (it.key() != "version" && it.key() != "tasks")
            return it.key() + ": unknown field";
    }
    if (!document.contains("version") || document["version"] != kVersion)
        return "version: must be " + std::to_string(kVersion);
    const auto tasks = document.find("tasks");
    if (tasks == document.end() || !tasks->is_array())
        return "tasks: must be an array of objects";
    return {};
}

// The entry of a task as written: its good extras, or the entry that could not be read as
// it stood, under the task's log file name (a copy's is its own).
void AddEntry(Json& entries, const Task& task)
{
    if (!task.extras.unreadable) {
        entries.push_back(
            Json {{"logFileName", TextToJson(task.logFileName)}, {"extras", TaskExtrasToJson(task.extras)}});
        return;
    }
    auto kept = ParseJson(task.extras.unreadable->entry);
    if (!kept || !kept->is_object())
        return; // nothing of the task's entry is known
    (*kept)["logFileName"] = TextToJson(task.logFileName);
    entries.push_back(std::move(*kept));
}

} // namespace

std::filesystem::path ExtrasFileBeside(const std::filesystem::path& taskListFile)
{
    std::filesystem::path extras = taskListFile;
    extras += ".extras.json";
    return extras;
}

TaskExtrasRead ParseTaskExtras(std::string_view text, const std::string& fileName)
{
    TaskExtrasRead read;
    auto document = ParseJson(text);
    if (!document) {
        read.remains.damage = fileName + ": " + document.error();
        return read;
    }
    if (std::string fault = FrameFault(*document); !fault.empty()) {
        read.remains.damage = fileName + ": " + fault;
        return read;
    }
    const Json& tasks = (*document)["tasks"];
    std::map<std::string, std::size_t> firstIndex;
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        const Json& entry = tasks[i];
        const std::string path = EntryPath(i);
        // Every text was valid UTF-8 to the parser, so dump cannot throw.
        std::string entryText = entry.dump();
        std::string logFileName;
        std::string problem;
        if (!entry.is_object() || !entry.contains("logFileName")) {
            problem = path + ": must be an object {\"logFileName\": ..., \"extras\": {...}}";
        } else {
            (void)TextFromJson(entry["logFileName"], path + ".logFileName", logFileName, &problem);
        }
        if (!problem.empty()) {
            read.remains.unattached.push_back(std::move(entryText));
            if (read.remains.unkeyed.empty())
                read.remains.unkeyed = fileName + ": " + problem;
            continue;
        }
        if (const auto first = firstIndex.find(logFileName); first != firstIndex.end()) {
            // Which of two entries holds the task's settings cannot be told.
            read.remains.unattached.push_back(std::move(entryText));
            TaskExtras& earlier = read.entries[logFileName];
            std::string earlierText = earlier.unreadable ? earlier.unreadable->entry : tasks[first->second].dump();
            earlier = Unreadable(
                fileName + ": " + EntryPath(first->second) + " and " + path + " both name the task's log file",
                std::move(earlierText));
            continue;
        }
        firstIndex[logFileName] = i;
        if (!entry.contains("extras") || entry.size() != 2) {
            read.entries[logFileName]
                = Unreadable(fileName + ": " + path + ": must be an object {\"logFileName\": ..., \"extras\": {...}}",
                    std::move(entryText));
            continue;
        }
        // Keys missing from an entry are off: a file written before they existed keeps its meaning.
        auto extras = TaskExtrasFromJson(entry["extras"], path + ".extras", TaskExtras {});
        read.entries[logFileName]
            = extras ? std::move(*extras) : Unreadable(fileName + ": " + extras.error(), std::move(entryText));
    }
    return read;
}

TaskExtrasRead LoadTaskExtrasFile(const std::filesystem::path& path)
{
    if (!PathExists(path))
        return {};
    Result<std::string> bytes = ReadFileBytes(path);
    if (!bytes) {
        TaskExtrasRead read;
        read.remains.damage = bytes.error();
        return read;
    }
    return ParseTaskExtras(*bytes, path.string());
}

void AttachTaskExtras(std::vector<Task>& tasks, const TaskExtrasRead& read)
{
    const TaskExtrasRemains& remains = read.remains;
    for (Task& task : tasks) {
        const auto found = read.entries.find(task.logFileName);
        if (!remains.damage.empty())
            task.extras = Unreadable(remains.damage, {});
        else if (found != read.entries.end())
            task.extras = found->second;
        else if (!remains.unkeyed.empty())
            task.extras = Unreadable(remains.unkeyed + " (it may be this task's entry)", {});
        else
            task.extras = TaskExtras {};
    }
}

std::string UnreadableExtrasNotice(const std::vector<Task>& tasks)
{
    std::string notice;
    std::size_t count = 0;
    for (const Task& task : tasks) {
        if (!task.extras.unreadable)
            continue;
        ++count;
        notice += "\n\"" + task.name + "\": " + task.extras.unreadable->problem;
    }
    if (count == 0)
        return {};
    return "The extra settings of " + std::to_string(count) + (count == 1 ? " task" : " tasks")
        + " cannot be read; they do not run until the task extras file is mended and the task list is loaded again."
        + notice;
}

std::string SerializeTaskExtras(
    const std::vector<Task>& tasks, const TaskExtrasRemains& remains, const std::vector<Task>& leaving)
{
    Json entries = Json::array();
    std::set<std::string> written;
    for (const Task& task : tasks) {
        AddEntry(entries, task);
        written.insert(task.logFileName);
    }
    for (const Task& task : leaving) {
        if (written.insert(task.logFileName).second)
            AddEntry(entries, task);
    }
    for (const std::string& entry : remains.unattached) {
        if (auto kept = ParseJson(entry))
            entries.push_back(std::move(*kept));
    }
    const Json document {{"version", kVersion}, {"tasks", std::move(entries)}};
    // Every text is valid UTF-8 or written as hex, so dump cannot throw.
    return document.dump(2) + "\n";
}

Result<void> SaveTaskListWithExtras(const std::filesystem::path& listFile, const std::filesystem::path& extrasFile,
    const std::vector<Task>& tasks, const TaskExtrasRemains& remains, const std::vector<Task>& leaving,
    const FileSetCalls& calls)
{
    if (listFile.empty())
        return Error {"No task file name was given."};
    if (extrasFile.empty())
        return Error {"No extras file name was given."};
    if (!remains.damage.empty())
        return Error {"nothing is saved while the task extras cannot be read (" + remains.damage
            + "); mend the file or move it away, then load the task list again"};
    // One save at a time, whichever thread it comes from.
    static std::mutex saveMutex;
    const std::lock_guard lock(saveMutex);

    if (tasks.empty()) {
        // No task is left without its entry, whichever file changes first.
        std::optional<std::string> extras;
        if (!remains.unattached.empty())
            extras = SerializeTaskExtras({}, remains);
        return ReplaceFilesTogether({{listFile, std::nullopt}, {extrasFile, std::move(extras)}}, calls);
    }
    auto listBytes = TaskListFileBytes(tasks);
    if (!listBytes)
        return Error {listBytes.error()};
    // The extras first: a crash between the two renames leaves every task of either list
    // its entry.
    return ReplaceFilesTogether(
        {{extrasFile, SerializeTaskExtras(tasks, remains, leaving)}, {listFile, std::move(*listBytes)}}, calls);
}

} // namespace kelvanto
