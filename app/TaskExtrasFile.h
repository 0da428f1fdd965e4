#pragma once

#include "model/AtomicFileSet.h"
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
//
// Entries are judged one by one: a bad entry leaves its own task with unreadable extras (the
// task does not run) and no other; its JSON is kept and written back unchanged, so that
// nothing that could not be read is ever replaced by defaults.

// Every entry by log file name; a bad entry's extras hold only `unreadable`.
using TaskExtrasEntries = std::map<std::string, TaskExtras>;

// What a save must keep of an extras file besides the entries of the tasks.
struct TaskExtrasRemains
{
    // Why the file cannot be read whole (not readable, not JSON, another version); empty
    // when it can. Nothing is saved over such a file.
    std::string damage;
    // Entries that are written back as they stood (JSON text): those that name no task that
    // could be told, and the later entries of a task named twice.
    std::vector<std::string> unattached;
    // Why the first entry without a task that could be told was refused ("tasks[3]: ...");
    // while there is one, a task without an entry may be missing its own.
    std::string unkeyed;
};

struct TaskExtrasRead
{
    TaskExtrasEntries entries;
    TaskExtrasRemains remains;
};

// The extras file of a task list file saved or loaded under a name of the user's choice.
std::filesystem::path ExtrasFileBeside(const std::filesystem::path& taskListFile);

// Reads the text of an extras file entry by entry; `fileName` starts every problem text.
TaskExtrasRead ParseTaskExtras(std::string_view text, const std::string& fileName);
// A missing file holds no entries; one that cannot be read whole is damage. Changes no file.
TaskExtrasRead LoadTaskExtrasFile(const std::filesystem::path& path);

// Gives every task the entry of its log file name. A task without one has every extra off
// (a task list older than the extras file), unless the file is damaged or holds an entry
// whose task cannot be told: its extras are then unreadable, since they may be there.
void AttachTaskExtras(std::vector<Task>& tasks, const TaskExtrasRead& read);

// The tasks whose extras could not be read, as one text for the window or the journal;
// empty when there are none.
std::string UnreadableExtrasNotice(const std::vector<Task>& tasks);

std::string SerializeTaskExtras(
    const std::vector<Task>& tasks, const TaskExtrasRemains& remains = {}, const std::vector<Task>& leaving = {});

// Saves a task list and its extras together: both files change, or neither does. An empty
// list removes both files (the extras file stays while it keeps unattached entries). The
// entries of `leaving` (tasks that this save takes out of the list) are written as well, so
// that a crash between the two renames leaves no task of the old list without its entry;
// the next save drops them. Refused while the extras that were loaded are damaged.
Result<void> SaveTaskListWithExtras(const std::filesystem::path& listFile, const std::filesystem::path& extrasFile,
    const std::vector<Task>& tasks, const TaskExtrasRemains& remains = {}, const std::vector<Task>& leaving = {},
    const FileSetCalls& calls = FileSetCalls::Posix());

} // namespace kelvanto
