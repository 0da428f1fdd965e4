#pragma once

#include "app/TaskChecks.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelvanto
{

// The checks of the folder that a task writes its files to (the backup folder, the folder of
// its single backup file, the export directory), made where the task will run: at import and
// when the service starts, so that a folder that cannot work is told before the first run.

// True when this process is the system service: its unit sets KELVANTO_SERVICE=system.
bool RunsAsSystemService();

// True for /tmp, /var/tmp, /dev/shm and what lies below them (the path taken as written, "."
// and repeated slashes ignored). The system service has them to itself (PrivateTmp,
// PrivateDevices) and they are emptied when it stops.
bool IsPrivateTemporaryPath(std::string_view path);

// Why this process cannot write files into `folder`, or an empty text. A folder that does not
// exist is good when the one holding it does and is writable: a run makes it. readOnlyHint
// is added to the reason when the file system is read-only (the service's sandbox).
std::string FolderWriteProblem(const std::string& folder, std::string_view readOnlyHint = {});

// Refuses a task of the system service that writes below /tmp, /var/tmp or /dev/shm, or to a
// folder that links there; nullopt when the task writes elsewhere, has no folder set, or
// systemService is false.
std::optional<TaskFault> CheckTaskFolderPlace(const Task& task, bool systemService);

// The task's folder as this process can use it: nullopt when it can write there (or the task
// writes no files, or its folder is not set yet), else the field and the wizard's message
// with the reason on a second line ("Invalid folder!\nThe folder does not exist: /x").
std::optional<TaskFault> CheckTaskFolderAccess(const Task& task, bool systemService);

} // namespace kelvanto
