#pragma once

#include "model/Result.h"
#include "model/Task.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kelvanto
{

// The bytes of a task list file in the current layout: magic, count, one record per task.
std::string SerializeTaskList(const std::vector<Task>& tasks);

// The tasks of a task list file of the current or one of the two older layouts, each with
// runNow 0 and status Stopped. A record whose start or end mark is wrong makes the whole
// file load as an empty list (success: the caller keeps the list it has). Anything else
// that is wrong (unknown or unsupported magic, a negative or oversized count or length, a
// file that ends early) is an Error; no partial list is ever returned.
Result<std::vector<Task>> ParseTaskList(std::string_view bytes);

// The bytes of a task list file as a save writes them; an Error when a text or list of a
// task is too long for the layout.
Result<std::string> TaskListFileBytes(const std::vector<Task>& tasks);

// Writes the tasks to path in the current layout, atomically and with mode 0600. An empty
// path fails; an empty list removes the file and succeeds (no file means no tasks).
// Saves from several threads are serialised.
Result<void> SaveTaskListFile(const std::filesystem::path& path, const std::vector<Task>& tasks);

// Reads and parses the task list file at path (see ParseTaskList). An empty path, a
// missing file, a folder or an unreadable file is an Error.
Result<std::vector<Task>> LoadTaskListFile(const std::filesystem::path& path);

} // namespace kelvanto
