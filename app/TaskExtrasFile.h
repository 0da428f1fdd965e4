#pragma once

#include "model/Result.h"
#include "model/Task.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kelvanto
{

// The extras file: the extras of every task of a task list, in JSON, beside the task list
// file ("tasks_extras.json" in the data folder, "<file>.extras.json" beside any other).
//
//     {"version": 1, "tasks": [{"logFileName": "Nightly_20261207201500.log", "extras": {...}}, ...]}
//
// Each entry is keyed by the task's log file name, which is stored in the task list, survives
// a rename and is new for a copy. An entry holds every key of the extras (TaskExtrasJson.h);
// a key missing from an entry is off.

using TaskExtrasEntries = std::map<std::string, TaskExtras>;

// The extras file of a task list file saved or loaded under a name of the user's choice.
std::filesystem::path ExtrasFileBeside(const std::filesystem::path& taskListFile);

std::string SerializeTaskExtras(const std::vector<Task>& tasks);
// Any fault (not JSON, another version, an unknown key, a bad value) refuses the whole text.
Result<TaskExtrasEntries> ParseTaskExtras(std::string_view text);

// Writes the extras of the tasks atomically with mode 0600; an empty list removes the file.
Result<void> SaveTaskExtrasFile(const std::filesystem::path& path, const std::vector<Task>& tasks);

enum class DamagedExtras {
    // The data folder's own file, which the next save would overwrite: renamed aside.
    SetAside,
    // A file beside a task list of the user's choice: left where it is.
    LeaveAlone,
};

struct TaskExtrasLoad
{
    TaskExtrasEntries entries;
    // Why the file could not be used (and where it was set aside); empty when it could, or
    // when there was none.
    std::string problem;
};

// A missing file holds no entries. A file that cannot be read or parsed whole yields no
// entries and a problem text; it never stops the task list from loading.
TaskExtrasLoad LoadTaskExtrasFile(const std::filesystem::path& path, DamagedExtras damaged);

// Gives every task the entry of its log file name, and a task without one every extra off.
// Entries that match no task are not used (the next save leaves them out).
void AttachTaskExtras(std::vector<Task>& tasks, const TaskExtrasEntries& entries);

// Saves a task list and its extras: the extras file first, then the task list, each
// atomically, so that a task in a saved list always finds its entry. When the extras cannot
// be written the task list is left as it was.
Result<void> SaveTaskListWithExtras(
    const std::filesystem::path& listFile, const std::filesystem::path& extrasFile, const std::vector<Task>& tasks);

} // namespace kelvanto
