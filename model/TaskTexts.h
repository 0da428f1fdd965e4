#pragma once

#include "model/Task.h"
#include "model/TimeStamp.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelvanto
{

// Display texts of the task codes; a code outside the known ones reads "Unknown".
std::string TaskTypeText(TaskType type);
std::string TaskStatusText(TaskStatus status);
// The task list column text (kind 5 reads "Minutes").
std::string ScheduleKindText(ScheduleKind kind);

// The id a task gets when it is added to the task list: year, month, day, hour, minute and
// second of now, then the number of tasks already in the list, each printed with "%d".
std::string MakeTaskId(const TimeStamp& now, std::size_t tasksBefore);

// The task name with \r \n \t \ / : * ? < > | and '"' removed and blanks trimmed.
std::string CleanTaskNameForFile(const std::string& name);

// The log file name of a task: the cleaned name ("Default" when nothing is left), "_",
// the creation time's year..second printed with "%d", ".log".
std::string MakeLogFileName(const std::string& name, const TimeStamp& created);

// The name of a copy of a task: the old name + "_Copy".
std::string CopyTaskName(const std::string& name);

// The name the wizard proposes for a new task: "Task %d".
std::string DefaultTaskName(int number);

// The file name format proposed for a fileSplit value (1 one file, 2 a file per database,
// 3 a file per table); any other value gets the one-file format.
std::string DefaultFileNameFormat(std::uint8_t fileSplit);

} // namespace kelvanto
